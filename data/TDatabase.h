#pragma once

#include "data/Driver.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class TSession;
class TTable;

// A named connection to one alias inside a session.
class TDatabase : public QObject {
    Q_OBJECT
public:
    using Event = std::function<void(TDatabase&)>;

    explicit TDatabase(QObject* parent = nullptr);
    ~TDatabase() override;

    const QString& DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& name);
    const QString& SessionName() const { return m_sessionName; }
    void SetSessionName(const QString& name);
    const QString& AliasName() const { return m_aliasName; }
    void SetAliasName(const QString& alias) { m_aliasName = alias; }

    // "NAME=value" lines.
    QStringList& Params() { return m_params; }
    QString ParamValue(const QString& key) const;
    void SetParamValue(const QString& key, const QString& value);

    bool LoginPrompt = true;
    bool KeepConnection = true;
    TTransIsolation TransIsolation = tiReadCommitted;
    // Set before a connect; the connection opens read-only then.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    Event AfterConnect;
    Event AfterDisconnect;

    bool Connected() const { return m_connection != nullptr; }
    void Connect();
    void Disconnect();
    void ReadTableList(QStringList& list, bool systemTables = false);

    bool IsSqlServer() const;
    bool TransactionActive() const;
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();
    // `parameters` names the statement's '?' markers in order.
    void ExecuteStatement(const QString& sql, const QStringList& parameters = {});
    // The statements of a script run, which may be answered later than they are handed over
    // (see StatementRun).
    std::unique_ptr<StatementRun> StartStatementRun();

    // The open driver connection; throws "Cannot perform this operation on a closed database".
    DriverConnection& driver() const;

private:
    bool m_readOnly = false;
    friend class TTable;
    void attach(TTable* table) { m_tables.append(table); }
    void detach(TTable* table) { m_tables.removeAll(table); }
    TSession* session() const;

    QString m_databaseName;
    QString m_sessionName = QStringLiteral("Default");
    QString m_aliasName;
    QStringList m_params;
    std::unique_ptr<DriverConnection> m_connection;
    QList<TTable*> m_tables;
};

// Finds a connection by session and database name; throws when there is none.
TDatabase& FindDatabase(const QString& sessionName, const QString& databaseName);
