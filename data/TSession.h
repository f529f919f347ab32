#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class AliasConfig;
class TDatabase;

// A named engine session. "Default" exists from start; the main window owns "ses". Connections
// and tables find their session by name, and their connection by DatabaseName in it.
class TSession : public QObject {
    Q_OBJECT
public:
    explicit TSession(const QString& sessionName, QObject* parent = nullptr);
    ~TSession() override;

    const QString& SessionName() const { return m_name; }

    // Clears the list, then fills it with every alias name in configuration order.
    void ReadAliasList(QStringList& list);

    TDatabase* FindDatabase(const QString& databaseName) const;

    QStringList& TablePasswords() { return m_passwords; }

    static TSession& Default();
    // nullptr when no session has that name.
    static TSession* Find(const QString& sessionName);

    // The alias configuration every session shares, read on first use.
    static const AliasConfig& Aliases();
    // Drops the configuration read so far; the next use reads it again (tests, changed env).
    static void ReloadAliases();

private:
    friend class TDatabase;
    void attach(TDatabase* db);
    void detach(TDatabase* db);

    QString m_name;
    QList<TDatabase*> m_databases;
    QStringList m_passwords;
};
