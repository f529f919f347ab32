#pragma once

#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <memory>

// The process's one ODBC environment (ODBC 3 behaviour), made on first use.
SQLHENV OdbcEnvironment();

// A statement handle, freed with its owner.
class OdbcStmt {
public:
    OdbcStmt() = default;
    // Allocates a statement on the connection; throws EDBEngineError when it cannot.
    explicit OdbcStmt(SQLHDBC dbc);
    ~OdbcStmt();
    OdbcStmt(OdbcStmt&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    OdbcStmt& operator=(OdbcStmt&& other) noexcept;
    OdbcStmt(const OdbcStmt&) = delete;
    OdbcStmt& operator=(const OdbcStmt&) = delete;

    SQLHSTMT get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Closes an open result and drops the bound parameters, so the statement runs again.
    void reset();

private:
    SQLHSTMT m_handle = nullptr;
};

// UTF-16 text as the wide ODBC calls take it (unixODBC's SQLWCHAR is two bytes).
inline SQLWCHAR* OdbcWide(const QString& text) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(text.utf16()));
}

inline QString OdbcString(const SQLWCHAR* text, qsizetype length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}
