#include "data/odbc/OdbcHandles.h"

#include "data/Exceptions.h"
#include "data/odbc/OdbcError.h"

SQLHENV OdbcEnvironment() {
    static SQLHENV env = [] {
        SQLHENV handle = nullptr;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle)))
            throw EDBEngineError(QStringLiteral("Cannot start the ODBC driver manager"), QString(),
                                 false);
        SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return handle;
    }();
    return env;
}

OdbcStmt::OdbcStmt(SQLHDBC dbc) {
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_handle);
    if (!SQL_SUCCEEDED(rc)) {
        m_handle = nullptr;
        throw OdbcEngineError(SQL_HANDLE_DBC, dbc);
    }
}

OdbcStmt::~OdbcStmt() {
    if (m_handle)
        SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
}

OdbcStmt& OdbcStmt::operator=(OdbcStmt&& other) noexcept {
    if (this != &other) {
        if (m_handle)
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        m_handle = other.m_handle;
        other.m_handle = nullptr;
    }
    return *this;
}

void OdbcStmt::reset() {
    SQLFreeStmt(m_handle, SQL_CLOSE);
    SQLFreeStmt(m_handle, SQL_RESET_PARAMS);
    SQLFreeStmt(m_handle, SQL_UNBIND);
}
