#include "data/Exceptions.h"
#include "data/sqlite/SqliteDriver.h"
#include "data/sqlite/SqliteHandles.h"
#include "data/sqlite/SqliteSchema.h"
#include "data/sqlite/SqliteTable.h"

#include <QFileInfo>

namespace {

class SqliteConnection : public DriverConnection {
public:
    explicit SqliteConnection(SqliteDb db) : m_db(std::move(db)) {}

    bool isSqlServer() const override { return false; }

    QStringList tableNames(bool systemTables) override {
        SqliteStmt stmt = PrepareSqlite(
            m_db.get(),
            QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY rowid"));
        QStringList names;
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
            if (systemTables || !name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                names.append(name);
        }
        if (rc != SQLITE_DONE)
            ThrowSqliteError(m_db.get(), rc);
        return names;
    }

    std::unique_ptr<TableCursor> openTable(const QString& name, bool readOnly) override {
        return std::make_unique<SqliteTable>(m_db.get(), name, readOnly);
    }

    bool inTransaction() override { return sqlite3_get_autocommit(m_db.get()) == 0; }

    void beginTransaction(TTransIsolation isolation) override {
        ExecSqlite(m_db.get(), isolation == tiDirtyRead ? "PRAGMA read_uncommitted = 1"
                                                        : "PRAGMA read_uncommitted = 0");
        ExecSqlite(m_db.get(), "BEGIN");
    }

    void commitTransaction() override { ExecSqlite(m_db.get(), "COMMIT"); }
    void rollbackTransaction() override { ExecSqlite(m_db.get(), "ROLLBACK"); }

    void executeStatement(const QString& sql, const QStringList& parameters) override {
        const QByteArray utf8 = sql.toUtf8();
        const char* tail = utf8.constData();
        const char* end = tail + utf8.size();
        bool first = true;
        // Every statement of the text runs, one after another; none is silently skipped.
        while (tail < end) {
            sqlite3_stmt* raw = nullptr;
            const int rc =
                sqlite3_prepare_v2(m_db.get(), tail, static_cast<int>(end - tail), &raw, &tail);
            if (rc != SQLITE_OK)
                ThrowSqliteError(m_db.get(), rc);
            SqliteStmt stmt(raw);
            if (!stmt)
                continue;  // only blanks or comments were left
            if (first && !parameters.isEmpty())
                throw EDatabaseError(
                    QStringLiteral("No value for parameter '%1'").arg(parameters.first()));
            first = false;
            int step;
            while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            }
            if (step != SQLITE_DONE)
                ThrowSqliteError(m_db.get(), step);
        }
    }

    SqlEngine engine() const override { return SqlEngine::SQLite; }
    QString quoteIdentifier(const QString& name) const override {
        return QuoteSqliteIdentifier(name);
    }
    TableStructure describeTable(const QString& name) override {
        return SqliteSchema::Describe(m_db.get(), name);
    }

private:
    SqliteDb m_db;
};

}  // namespace

std::unique_ptr<DriverConnection> OpenSqliteConnection(const ConnectRequest& request) {
    const QString path = request.params.value(QStringLiteral("PATH"));
    if (path.isEmpty()) {
        throw EDBEngineError(QStringLiteral("Alias '%1' has no PATH").arg(request.aliasName),
                             QString(), false);
    }
    // A device or a folder would open as an empty database.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        throw EDBEngineError(
            QStringLiteral("Cannot open database file '%1': it is not a regular file")
                .arg(info.absoluteFilePath()),
            QString(), false);
    }
    // How long to wait for a lock another connection holds, in milliseconds.
    int busyTimeout = 5000;
    const QString wait = request.params.value(QStringLiteral("BUSY TIMEOUT"));
    if (!wait.isEmpty()) {
        bool ok = false;
        busyTimeout = wait.trimmed().toInt(&ok);
        if (!ok || busyTimeout < 0) {
            throw EDBEngineError(
                QStringLiteral("Alias '%1': BUSY TIMEOUT is a number of milliseconds, not '%2'")
                    .arg(request.aliasName, wait),
                QString(), false);
        }
    }
    // A missing file is an error, not a new empty database.
    const int flags =
        (request.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFileInfo(path).absoluteFilePath().toUtf8().constData(), &raw,
                                   flags, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) {
        ThrowSqliteError(db.get(), rc,
                         QStringLiteral("Cannot open database file '%1'")
                             .arg(QFileInfo(path).absoluteFilePath()));
    }
    sqlite3_busy_timeout(db.get(), busyTimeout);
    sqlite3_extended_result_codes(db.get(), 1);
    // Opening is lazy: read the schema now so that a file that is no database fails here.
    const int check =
        sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) {
        ThrowSqliteError(db.get(), check,
                         QStringLiteral("Cannot open database file '%1'")
                             .arg(QFileInfo(path).absoluteFilePath()));
    }
    return std::make_unique<SqliteConnection>(std::move(db));
}
