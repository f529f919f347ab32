#include "settings/SettingsStore.h"

#include "data/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <exception>

namespace {

QString relativeFolder(QString keyPath) {
    keyPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString software = QStringLiteral("Software/");
    if (keyPath.startsWith(software, Qt::CaseInsensitive))
        keyPath.remove(0, software.size());
    return keyPath;
}

}  // namespace

SettingsStore::SettingsStore(QString keyPath, QString section)
    : m_keyPath(std::move(keyPath)), m_section(std::move(section)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::configFolder() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return QDir::cleanPath(config);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString SettingsStore::folderPath() const {
    return configFolder() + QLatin1Char('/') + relativeFolder(m_keyPath);
}

QString SettingsStore::filePath() const {
    return folderPath() + QLatin1Char('/') + m_section + QStringLiteral(".conf");
}

void SettingsStore::open(Access access) {
    // Like opening a registry key with create rights: the key appears, its values do not.
    QDir().mkpath(folderPath());
    m_settings = std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
    m_access = access;
    m_firstUnsaved.clear();
}

void SettingsStore::close() {
    const std::unique_ptr<QSettings> settings = std::move(m_settings);
    if (!settings || m_firstUnsaved.isEmpty())
        return;
    const QString name = m_firstUnsaved;
    m_firstUnsaved.clear();
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
}

QString SettingsStore::existingName(const QString& name) const {
    if (m_settings->contains(name))
        return name;
    const QStringList names = m_settings->childKeys();
    for (const QString& candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return QString();
}

QString SettingsStore::readString(const QString& name, const QString& defaultValue) {
    SettingsSession session(*this, Access::Read);
    if (m_settings->status() == QSettings::AccessError && QFileInfo::exists(filePath()))
        throw Exception(QStringLiteral("Failed to get data for '%1'").arg(name));
    const QString stored = existingName(name);
    if (stored.isEmpty())
        return defaultValue;
    const QVariant value = m_settings->value(stored);
    QString text;
    switch (value.typeId()) {
        case QMetaType::QString:
            text = value.toString();
            break;
        case QMetaType::QStringList:
            // QSettings reads unquoted commas as a list; a hand-edited value is still one text.
            text = value.toStringList().join(QLatin1Char(','));
            break;
        default:
            throw Exception(
                QStringLiteral("Invalid data type for '%1' in %2").arg(name, filePath()));
    }
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    session.close();
    return text;
}

int SettingsStore::readInteger(const QString& name, int defaultValue) {
    bool ok = false;
    const int value = readString(name, QString()).toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void SettingsStore::writeString(const QString& name, const QString& text) {
    SettingsSession session(*this, Access::Full);
    if (m_access != Access::Full)
        throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
    if (!QDir().mkpath(folderPath()))
        throw Exception(QStringLiteral("Failed to create key %1").arg(filePath()));
    const QString stored = existingName(name);
    if (!stored.isEmpty() && stored != name)
        m_settings->remove(stored);
    m_settings->setValue(name, text);
    if (m_firstUnsaved.isEmpty())
        m_firstUnsaved = name;
    session.close();
}

void SettingsStore::writeInteger(const QString& name, int value) {
    writeString(name, QString::number(value));
}

SettingsSession::SettingsSession(SettingsStore& store, SettingsStore::Access access)
    : m_store(store), m_opened(!store.isOpen()) {
    if (m_opened)
        m_store.open(access);
}

SettingsSession::~SettingsSession() {
    if (!m_opened)
        return;
    try {
        m_store.close();
    } catch (const std::exception&) {
        // Only reached while another error unwinds: that one is reported.
    }
}

void SettingsSession::close() {
    if (!m_opened)
        return;
    m_opened = false;
    m_store.close();
}
