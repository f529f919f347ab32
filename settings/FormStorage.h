#pragma once

#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QWidget;

// The settings storage of one window (object name "FormStorage1"): loads the listed properties
// of the window's controls, and for the main window its placement, when the window is shown;
// stores them when it closes, and when it is destroyed without a store since the last load.
// The window's own code makes no call for this: the storage watches the window's events.
class FormStorage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ storedProps)
    Q_PROPERTY(QString IniFileName READ iniFileName)
    Q_PROPERTY(QString IniSection READ iniSection)
    Q_PROPERTY(bool Active READ isActive)

public:
    struct Config {
        QString iniFileName = SettingsKeyPath;
        QString iniSection = SettingsSection;
        // "component.Property" entries, in the order of loading and storing.
        QStringList storedProps;
        WindowPlacement::Options options = 0;
        bool active = true;
        int version = 0;
    };

    // Create it once the window's controls exist: entries naming a missing component, or
    // without a ".", are dropped here.
    FormStorage(QWidget* window, Config config,
                const QString& name = QStringLiteral("FormStorage1"));
    ~FormStorage() override;

    // May raise (a value of another type in "FormVersion" or the placement); the restored flag
    // then stays clear.
    void RestoreFormPlacement();
    // Does nothing for an active storage that has never loaded, so that a window whose settings
    // could not be read does not overwrite them with its defaults.
    void SaveFormPlacement();

    QString ReadString(const QString& name, const QString& defaultValue);
    int ReadInteger(const QString& name, int defaultValue);
    void WriteString(const QString& name, const QString& text);
    void WriteInteger(const QString& name, int value);

    QStringList storedProps() const;
    QString iniFileName() const { return m_config.iniFileName; }
    QString iniSection() const { return m_config.iniSection; }
    bool isActive() const { return m_config.active; }
    bool isRestored() const { return m_restored; }
    bool isSaved() const { return m_saved; }
    bool isDestroying() const { return m_destroying; }
    QString filePath() const { return m_store.filePath(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QString component;
        QString property;
    };
    class DestroyGuard;

    void loadProperties();
    void storeProperties();
    void windowShown();
    void windowClosed();
    void windowDestroying();
    void keepGuardFirst();

    QPointer<QWidget> m_window;
    Config m_config;
    QList<Entry> m_entries;
    SettingsStore m_store;
    QPointer<QWidget> m_guard;
    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
};
