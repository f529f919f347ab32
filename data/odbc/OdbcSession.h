#pragma once

#include "data/Driver.h"
#include "data/odbc/OdbcDialect.h"
#include "data/odbc/OdbcHandles.h"

// An open ODBC connection, shared by the connection object and its open tables. Transactions
// run with auto-commit off and end with SQLEndTran.
class OdbcSession {
public:
    // Connects with a complete connection string. Throws EDBEngineError when it cannot; the
    // message never repeats the string (it may hold the password).
    OdbcSession(const QString& connectionString, bool readOnly);
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    SQLHDBC dbc() const { return m_dbc; }
    const OdbcDialect& dialect() const { return m_dialect; }
    bool readOnly() const { return m_readOnly; }

    bool inTransaction() const { return m_inTransaction; }
    void begin(TTransIsolation isolation);
    void commit();
    void rollback();

    // Throws the diagnostics of a statement (or of the connection when `stmt` is null) unless
    // `rc` is a success or SQL_NO_DATA.
    void check(SQLRETURN rc, SQLHSTMT stmt) const;
    // Runs one statement that returns no rows.
    void exec(const QString& sql);

private:
    void endTransaction(SQLSMALLINT completion);
    bool resultsInUtf8();

    SQLHDBC m_dbc = nullptr;
    bool m_connected = false;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    OdbcDialect m_dialect;
};
