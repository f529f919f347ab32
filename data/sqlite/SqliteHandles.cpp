#include "data/sqlite/SqliteHandles.h"

#include "data/Exceptions.h"

void ThrowSqliteError(sqlite3* db, int rc, const QString& context) {
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    const int primaryCode = code & 0xff;
    if (db && (primaryCode == SQLITE_BUSY || primaryCode == SQLITE_LOCKED)) {
        // The wait is the connection's own setting, asked after the message was read.
        int waited = 0;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA busy_timeout", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            waited = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        message += QStringLiteral(
                       " (after waiting %1 ms for another connection to let go of it; "
                       "the alias's BUSY TIMEOUT sets the wait)")
                       .arg(waited);
    }
    // A constraint, a datatype mismatch or a value too big lies in the row written.
    const int primary = code & 0xff;
    const bool values =
        primary == SQLITE_CONSTRAINT || primary == SQLITE_MISMATCH || primary == SQLITE_TOOBIG;
    throw EDBEngineError(message, QString::number(code),
                         rc != SQLITE_CANTOPEN && rc != SQLITE_NOTADB,
                         values ? FailureCause::Values : FailureCause::Engine);
}

SqliteStmt PrepareSqlite(sqlite3* db, const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &stmt, nullptr);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc);
    return SqliteStmt(stmt);
}

void ExecSqlite(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc);
}

QString QuoteSqliteIdentifier(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}
