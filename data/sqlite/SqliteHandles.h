#pragma once

#include <sqlite3.h>

#include <QString>
#include <memory>

struct SqliteDbDeleter {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteStmtDeleter {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteDbDeleter>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteStmtDeleter>;

// Raises the connection's last error as an EDBEngineError with its extended result code.
[[noreturn]] void ThrowSqliteError(sqlite3* db, int rc, const QString& context = QString());

// Prepares one statement (the first of `sql`); throws on failure.
SqliteStmt PrepareSqlite(sqlite3* db, const QString& sql);

// Runs a statement without results (BEGIN, COMMIT, SAVEPOINT ...).
void ExecSqlite(sqlite3* db, const char* sql);

QString QuoteSqliteIdentifier(const QString& name);
