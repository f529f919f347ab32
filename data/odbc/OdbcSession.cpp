#include "data/odbc/OdbcSession.h"

#include "data/odbc/OdbcError.h"

#include <optional>

OdbcSession::OdbcSession(const QString& connectionString, bool readOnly) : m_readOnly(readOnly) {
    SQLHENV env = OdbcEnvironment();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &m_dbc)))
        throw OdbcEngineError(SQL_HANDLE_ENV, env);
    try {
        SQLSetConnectAttr(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(30), 0);
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLDriverConnectW(m_dbc, nullptr, OdbcWide(connectionString), SQL_NTS,
                                               nullptr, 0, &length, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            EDBEngineError error = OdbcEngineError(SQL_HANDLE_DBC, m_dbc);
            throw EDBEngineError(error.message(), error.code(), false);
        }
        m_connected = true;
        m_dialect = OdbcDialect::detect(m_dbc);
        if (m_dialect.utf8Text)
            m_dialect.utf8Text = resultsInUtf8();
        if (m_dialect.engine == OdbcDialect::Engine::MySQL) {
            // Quoted text as the SQL standard reads it: a script's 'C:\new' is that text, not
            // "C:" and a line feed.
            exec(QStringLiteral(
                "SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')"));
        }
        if (readOnly) {
            // A hint most drivers take; the engine's own setting makes sure.
            SQLSetConnectAttr(m_dbc, SQL_ATTR_ACCESS_MODE,
                              reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
            const QString statement = m_dialect.readOnlyStatement();
            if (!statement.isEmpty())
                exec(statement);
        }
    } catch (...) {
        if (m_connected)
            SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        throw;
    }
}

OdbcSession::~OdbcSession() {
    if (m_inTransaction)
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
}

void OdbcSession::check(SQLRETURN rc, SQLHSTMT stmt) const {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    if (stmt)
        throw OdbcEngineError(SQL_HANDLE_STMT, stmt, m_dbc);
    throw OdbcEngineError(SQL_HANDLE_DBC, m_dbc, m_dbc);
}

// Whether the server sends text in UTF-8 on this connection, so that narrow text is UTF-8.
bool OdbcSession::resultsInUtf8() {
    OdbcStmt stmt(m_dbc);
    if (!SQL_SUCCEEDED(SQLExecDirectW(
            stmt.get(), OdbcWide(QStringLiteral("SELECT @@character_set_results")), SQL_NTS)) ||
        !SQL_SUCCEEDED(SQLFetch(stmt.get())))
        return false;
    char name[64] = {};
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(SQLGetData(stmt.get(), 1, SQL_C_CHAR, name, sizeof(name), &length)))
        return false;
    return qstrncmp(name, "utf8", 4) == 0;
}

void OdbcSession::exec(const QString& sql) {
    OdbcStmt stmt(m_dbc);
    check(SQLExecDirectW(stmt.get(), OdbcWide(sql), SQL_NTS), stmt.get());
}

void OdbcSession::begin(TTransIsolation isolation) {
    if (m_inTransaction)
        throw EDBEngineError(QStringLiteral("A transaction is already active"), QString());
    static const SQLULEN levels[] = {SQL_TXN_READ_UNCOMMITTED, SQL_TXN_READ_COMMITTED,
                                     SQL_TXN_REPEATABLE_READ};
    // Not every driver offers every level; the engine's default then applies.
    SQLSetConnectAttr(m_dbc, SQL_ATTR_TXN_ISOLATION,
                      reinterpret_cast<SQLPOINTER>(levels[static_cast<int>(isolation)]), 0);
    check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
          nullptr);
    m_inTransaction = true;
}

void OdbcSession::endTransaction(SQLSMALLINT completion) {
    if (!m_inTransaction)
        throw EDBEngineError(QStringLiteral("No transaction is active"), QString());
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc, completion);
    std::optional<EDBEngineError> error;
    if (!SQL_SUCCEEDED(rc)) {
        error = OdbcEngineError(SQL_HANDLE_DBC, m_dbc, m_dbc);
        // Turning auto-commit back on would commit what a failed commit left open.
        if (completion == SQL_COMMIT)
            SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    }
    m_inTransaction = false;
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      0);
    if (error)
        throw *error;
}

void OdbcSession::commit() {
    endTransaction(SQL_COMMIT);
}

void OdbcSession::rollback() {
    endTransaction(SQL_ROLLBACK);
}
