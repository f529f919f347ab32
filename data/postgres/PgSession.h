#pragma once

#include "data/postgres/PgHandles.h"
#include "data/postgres/PgParams.h"

#include <QByteArray>
#include <QHash>

// One open server connection, shared by the connection object and the tables opened on it, so
// that a table that outlives its connection fails cleanly instead of touching freed memory.
class PgSession {
public:
    explicit PgSession(PgConnPtr conn);

    // The live connection; throws when it was closed or has broken.
    PGconn* conn();
    // The connection whatever its state, or nullptr once closed.
    PGconn* handle() const { return m_conn.get(); }
    void close();
    // Connects once more with the same parameters after the connection broke. The session
    // starts afresh: its prepared statements are gone.
    bool reconnect();

    // Runs `sql` by the simple protocol (it may hold several statements); throws on failure.
    PgResultPtr exec(const char* sql);
    PgResultPtr exec(const QByteArray& sql) { return exec(sql.constData()); }
    // Runs one statement with bound values; results come as text.
    PgResultPtr execParams(const QByteArray& sql, const PgParams& params);
    // Name of a server-side prepared statement for `sql`, prepared on first use.
    QByteArray prepared(const QByteArray& sql);
    // For statements prepared inside a pipeline: the known name or empty; a fresh name; and
    // the name to remember once the server has accepted the statement.
    QByteArray cachedStatement(const QByteArray& sql) const { return m_statements.value(sql); }
    QByteArray newStatementName();
    void rememberStatement(const QByteArray& sql, const QByteArray& name);
    PgResultPtr execPrepared(const QByteArray& name, const PgParams& params);
    // Prepares `sql` as the unnamed statement, types left to the server; throws on refusal.
    void prepareUnnamed(const QByteArray& sql);

    // Enters libpq's pipeline mode. Statements sent in a pipeline are not to start or end a
    // transaction, so until the mode is left inTransaction() answers as it did on entry.
    void enterPipelineMode();
    bool inTransaction();
    int serverVersion();

private:
    PgResultPtr checked(PGresult* result);
    PgResultPtr finishCopy(ExecStatusType status);

    PgConnPtr m_conn;
    QHash<QByteArray, QByteArray> m_statements;
    int m_statementCount = 0;
    bool m_transactionAtPipeline = false;
};
