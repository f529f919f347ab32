#include "data/sqlite/SqliteHandles.h"

#include "data/Exceptions.h"

void ThrowSqliteError(sqlite3* db, int rc, const QString& context) {
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw EDBEngineError(message, QString::number(code),
                         rc != SQLITE_CANTOPEN && rc != SQLITE_NOTADB);
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
