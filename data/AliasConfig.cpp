#include "data/AliasConfig.h"

#include "data/DemoDatabases.h"
#include "data/Exceptions.h"
#include "data/TextExcerpt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

[[noreturn]] void malformed(const QString& path, int line, const QString& what) {
    throw EDatabaseError(QStringLiteral("Alias configuration %1, line %2: %3")
                             .arg(path, QString::number(line), what));
}

}  // namespace

QString AliasConfig::defaultPath() {
    const QString overridePath = qEnvironmentVariable("ROWCART_ALIASES");
    if (!overridePath.isEmpty())
        return overridePath;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/rowcart/aliases.conf");
}

AliasConfig AliasConfig::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EDatabaseError(
            QStringLiteral("Cannot read alias configuration %1: %2").arg(path, file.errorString()));
    return parse(file, path);
}

AliasConfig AliasConfig::parse(QIODevice& device, const QString& path) {
    AliasConfig config;
    config.m_path = path;
    const QDir base = QFileInfo(path).absoluteDir();
    QTextStream in(&device);
    int lineNo = 0;
    AliasDefinition* current = nullptr;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                malformed(path, lineNo, QStringLiteral("a section header needs a closing ']'"));
            const QString name = line.mid(1, line.size() - 2).trimmed();
            if (name.isEmpty())
                malformed(path, lineNo, QStringLiteral("the alias name is empty"));
            if (name.size() > 31)
                malformed(path, lineNo,
                          QStringLiteral("alias name '%1' is longer than 31 characters")
                              .arg(TextExcerpt(name)));
            if (config.find(name))
                malformed(path, lineNo,
                          QStringLiteral("alias '%1' is defined twice").arg(TextExcerpt(name)));
            config.m_aliases.append(AliasDefinition{name, {}});
            current = &config.m_aliases.last();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            malformed(
                path, lineNo,
                QStringLiteral("expected [ALIAS] or KEY=value, found '%1'").arg(TextExcerpt(line)));
        if (!current)
            malformed(path, lineNo,
                      QStringLiteral("'%1' stands before the first [ALIAS] section")
                          .arg(TextExcerpt(line)));
        const QString key = line.left(eq).trimmed().toUpper();
        QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("PASSWORD"))
            malformed(path, lineNo,
                      QStringLiteral("passwords are not kept in the alias configuration"));
        if (key == QLatin1String("PATH") && !value.isEmpty())
            value = QDir::cleanPath(base.absoluteFilePath(value));
        current->params.insert(key, value);
    }
    for (const AliasDefinition& alias : config.m_aliases) {
        const QString driver = alias.params.value(QStringLiteral("DRIVER")).toUpper();
        if (driver != QLatin1String("SQLITE") && driver != QLatin1String("POSTGRES") &&
            driver != QLatin1String("ODBC")) {
            throw EDatabaseError(
                QStringLiteral("Alias configuration %1: alias '%2' needs DRIVER=SQLITE, "
                               "DRIVER=POSTGRES or DRIVER=ODBC")
                    .arg(path, TextExcerpt(alias.name)));
        }
    }
    return config;
}

const AliasDefinition* AliasConfig::find(const QString& name) const {
    for (const AliasDefinition& alias : m_aliases) {
        if (alias.name.compare(name, Qt::CaseInsensitive) == 0)
            return &alias;
    }
    return nullptr;
}

void AliasConfig::ensureDefault(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return;
    if (info.isSymLink())
        throw EDatabaseError(
            QStringLiteral("Alias configuration %1 is a symbolic link to %2, which does not exist")
                .arg(path, info.symLinkTarget()));
    const QDir dir = info.absoluteDir();
    if (!QDir().mkpath(dir.absolutePath()))
        throw EDatabaseError(QStringLiteral("Cannot create the folder %1").arg(dir.absolutePath()));
    struct Demo {
        QString alias, stem;
        bool withRows;
    };
    const Demo demos[] = {{QStringLiteral("DEMO"), QStringLiteral("demo"), true},
                          {QStringLiteral("WORK"), QStringLiteral("work"), false}};
    QStringList created;
    QString notes, sections;
    try {
        for (const Demo& demo : demos) {
            // A file of the user's under the usual name is left alone.
            const QString name = DemoDatabases::createFree(dir, demo.stem, demo.withRows);
            const QString usual = demo.stem + QStringLiteral(".db");
            if (name.isEmpty()) {
                notes +=
                    QStringLiteral("; %1 and its numbered variants exist already: no %2 alias.\n")
                        .arg(usual, demo.alias);
                continue;
            }
            created.append(dir.absoluteFilePath(name));
            if (name != usual)
                notes += QStringLiteral("; %1 existed already and was left alone: %2 uses %3.\n")
                             .arg(usual, demo.alias, name);
            sections += QStringLiteral("\n[%1]\nDRIVER=SQLITE\nPATH=%2\n").arg(demo.alias, name);
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            throw EDatabaseError(QStringLiteral("Cannot write alias configuration %1: %2")
                                     .arg(path, file.errorString()));
        QTextStream out(&file);
        out << "; Rowcart database aliases: one [ALIAS] section each, in the order the alias "
               "lists show.\n"
               "; DRIVER=SQLITE with PATH (relative to this file), or DRIVER=POSTGRES with SERVER "
               "NAME,\n"
               "; PORT, DATABASE NAME and optionally USER NAME (then a login is asked) and "
               "OPTIONS.\n"
            << notes << sections;
        out.flush();
        if (!file.commit())
            throw EDatabaseError(QStringLiteral("Cannot write alias configuration %1: %2")
                                     .arg(path, file.errorString()));
    } catch (...) {
        // Only what this call created goes.
        for (const QString& database : created)
            QFile::remove(database);
        throw;
    }
}
