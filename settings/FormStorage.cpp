#include "settings/FormStorage.h"

#include "data/UserPrompts.h"
#include "settings/ComponentProperty.h"
#include "settings/PropertyText.h"

#include <QDialog>
#include <QEvent>
#include <QWidget>
#include <exception>
#include <functional>

namespace {

void reportFailures(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {
        ShowErrorReport(error);
    }
}

}  // namespace

// Qt tells nobody that a window is about to go while its controls still exist: the window's
// destroyed() signal comes after they are gone. A window deletes its children in list order, and
// lower() moves a child widget to the front of that list, so a hidden child kept in front is
// deleted while every control is still there.
class FormStorage::DestroyGuard : public QWidget {
public:
    DestroyGuard(QWidget* window, FormStorage* storage) : QWidget(window), m_storage(storage) {
        setObjectName(storage->objectName() + QStringLiteral("DestroyGuard"));
        setAttribute(Qt::WA_DontShowOnScreen);
        hide();
    }
    ~DestroyGuard() override {
        if (m_storage)
            m_storage->windowDestroying();
    }

private:
    QPointer<FormStorage> m_storage;
};

FormStorage::FormStorage(QWidget* window, Config config, const QString& name)
    : QObject(window),
      m_window(window),
      m_config(std::move(config)),
      m_store(m_config.iniFileName, m_config.iniSection) {
    setObjectName(name);
    for (const QString& item : std::as_const(m_config.storedProps)) {
        const qsizetype dot = item.indexOf(QLatin1Char('.'));
        if (dot < 0)
            continue;
        Entry entry{item.left(dot).trimmed(), item.mid(dot + 1).trimmed()};
        if (FindComponent(window, entry.component))
            m_entries.append(entry);
    }
    window->installEventFilter(this);
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        // A dialog closed by accept() or done() gets no close event; finished() covers every way.
        connect(dialog, &QDialog::finished, this, [this] { windowClosed(); });
    }
    m_guard = new DestroyGuard(window, this);
    keepGuardFirst();
}

FormStorage::~FormStorage() {
    delete m_guard;
}

QStringList FormStorage::storedProps() const {
    QStringList list;
    for (const Entry& entry : m_entries)
        list.append(entry.component + QLatin1Char('.') + entry.property);
    return list;
}

void FormStorage::keepGuardFirst() {
    if (m_guard)
        m_guard->lower();
}

void FormStorage::RestoreFormPlacement() {
    m_saved = false;
    SettingsSession session(m_store, SettingsStore::Access::Read);
    if (m_store.readInteger(QStringLiteral("FormVersion"), 0) >= m_config.version) {
        if (m_config.options && m_window)
            WindowPlacement::load(m_window, m_store, m_config.options);
        m_restored = true;
        try {
            loadProperties();
        } catch (const std::exception&) {
            // A pass that fails as a whole leaves the remaining properties as they were.
        }
    }
    m_restored = true;
    session.close();
}

void FormStorage::loadProperties() {
    for (const Entry& entry : std::as_const(m_entries)) {
        QObject* component = FindComponent(m_window, entry.component);
        const auto property = ComponentProperty::find(component, entry.property);
        if (!property)
            continue;
        try {
            const QString current = PropertyText::toText(property->read(), property->kind());
            const QString valueName =
                component->objectName() + QLatin1Char('_') + property->declaredName();
            const QString text = PropertyText::trimmed(m_store.readString(valueName, current));
            if (const auto value = PropertyText::fromText(text, property->kind()))
                property->write(*value);
        } catch (const std::exception&) {
            // A value of another type leaves this property as it was.
        }
    }
}

void FormStorage::SaveFormPlacement() {
    if (!m_restored && m_config.active)
        return;
    SettingsSession session(m_store, SettingsStore::Access::Full);
    m_store.writeString(QStringLiteral("FormVersion"), QString::number(m_config.version));
    if (m_config.options && m_window) {
        WindowPlacement::store(m_window, m_store);
        m_store.writeString(QStringLiteral("Visible"),
                            m_destroying ? QStringLiteral("1") : QStringLiteral("0"));
    }
    storeProperties();
    session.close();
    m_saved = true;
}

void FormStorage::storeProperties() {
    for (const Entry& entry : std::as_const(m_entries)) {
        QObject* component = FindComponent(m_window, entry.component);
        const auto property = ComponentProperty::find(component, entry.property);
        if (!property)
            continue;
        const QString valueName =
            component->objectName() + QLatin1Char('_') + property->declaredName();
        m_store.writeString(valueName, PropertyText::trimmed(PropertyText::toText(
                                           property->read(), property->kind())));
    }
}

QString FormStorage::ReadString(const QString& name, const QString& defaultValue) {
    return m_store.readString(name, defaultValue);
}

int FormStorage::ReadInteger(const QString& name, int defaultValue) {
    return m_store.readInteger(name, defaultValue);
}

void FormStorage::WriteString(const QString& name, const QString& text) {
    m_store.writeString(name, text);
}

void FormStorage::WriteInteger(const QString& name, int value) {
    m_store.writeInteger(name, value);
}

bool FormStorage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        windowShown();
        return false;
    }
    if (event->type() == QEvent::Close && !qobject_cast<QDialog*>(m_window)) {
        // The window's own close handler decides first; only a close it allows is stored.
        static_cast<QObject*>(m_window)->event(event);
        if (event->isAccepted())
            windowClosed();
        return true;
    }
    return false;
}

void FormStorage::windowShown() {
    keepGuardFirst();
    if (m_config.active)
        reportFailures([this] { RestoreFormPlacement(); });
}

void FormStorage::windowClosed() {
    if (m_config.active && m_window && m_window->windowHandle())
        reportFailures([this] { SaveFormPlacement(); });
}

void FormStorage::windowDestroying() {
    if (!m_config.active || m_saved)
        return;
    m_destroying = true;
    reportFailures([this] { SaveFormPlacement(); });
    m_destroying = false;
}
