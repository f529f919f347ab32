#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user key every window of Rowcart keeps its settings under.
inline const QString SettingsKeyPath = QStringLiteral("Software\\Quorvex");
inline const QString SettingsSection = QStringLiteral("Rowcart");

// One sub-key of the per-user settings, kept as an INI file: the key path names a folder below
// the XDG config folder (a leading "Software\" dropped, backslashes as folder separators) and the
// section names the file in it, so "Software\Quorvex" + "Rowcart" is <config>/Quorvex/Rowcart.conf.
// Values are plain texts; anything QSettings holds in another form counts as a value of another
// type. A load or store keeps one session open over all its reads and writes; a single read or
// write outside a session opens one for its own duration.
class SettingsStore {
public:
    enum class Access { Read, Full };

    SettingsStore(QString keyPath, QString section);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
    static QString configFolder();
    QString folderPath() const;
    QString filePath() const;

    // Opens the key, creating its folder when missing; the file is created by the first write.
    void open(Access access);
    // Writes what the session changed; a failing write raises "Failed to set data for '%s'".
    void close();
    bool isOpen() const { return m_settings != nullptr; }

    // Missing value: the default. A value of another type than text: "Invalid data type for '%s' in
    // <file>". Names are matched without regard to case, as the registry does.
    QString readString(const QString& name, const QString& defaultValue);
    // Missing, or not an integer: the default.
    int readInteger(const QString& name, int defaultValue);
    void writeString(const QString& name, const QString& text);
    void writeInteger(const QString& name, int value);

private:
    QString existingName(const QString& name) const;

    QString m_keyPath;
    QString m_section;
    std::unique_ptr<QSettings> m_settings;
    Access m_access = Access::Read;
    QString m_firstUnsaved;
};

// Opens a store for one load or store and closes it again on every way out; a close that fails
// while an error is already unwinding is dropped so the first error is the one reported.
class SettingsSession {
public:
    SettingsSession(SettingsStore& store, SettingsStore::Access access);
    ~SettingsSession();
    SettingsSession(const SettingsSession&) = delete;
    SettingsSession& operator=(const SettingsSession&) = delete;
    // Closes now, so that a failing write is raised to the caller.
    void close();

private:
    SettingsStore& m_store;
    bool m_opened;
};
