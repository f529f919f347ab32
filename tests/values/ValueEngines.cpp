#include "tests/values/ValueSuite.h"

#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "tests/data/odbc/OdbcTestSupport.h"
#include "tests/support/PgTestServer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>

namespace {

struct SqliteFile {
    explicit SqliteFile(const QString& path) {
        if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
            throw Exception(QStringLiteral("Cannot open ") + path);
    }
    ~SqliteFile() { sqlite3_close(db); }
    void exec(const QString& sql) const {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString message = QString::fromUtf8(error);
            sqlite3_free(error);
            throw Exception(message + QStringLiteral(" in ") + sql.left(200));
        }
    }
    void check(int rc) const {
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            throw Exception(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3* db = nullptr;
};

int bindText(sqlite3_stmt* stmt, int parameter, const QByteArray& utf8) {
    return sqlite3_bind_text64(stmt, parameter, utf8.constData(), sqlite3_uint64(utf8.size()),
                               SQLITE_TRANSIENT, SQLITE_UTF8);
}

// A value as SQLite keeps it: numbers as integers or doubles, a decimal as the integer or double
// it reads as, memos as text whatever their bytes, dates and times as ISO text.
int bindSqlite(sqlite3_stmt* stmt, int parameter, const ColumnSpec& column, const QVariant& value) {
    const int type = value.userType();
    if (!value.isValid())
        return sqlite3_bind_null(stmt, parameter);
    if (type == QMetaType::Bool || type == QMetaType::LongLong)
        return sqlite3_bind_int64(stmt, parameter, value.toLongLong());
    if (type == QMetaType::Double)
        return sqlite3_bind_double(stmt, parameter, value.toDouble());
    if (type == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (column.kind == Kind::Memo)
            return bindText(stmt, parameter, bytes);
        // A null pointer would bind NULL, not the empty blob.
        return sqlite3_bind_blob64(stmt, parameter, bytes.isEmpty() ? "" : bytes.constData(),
                                   sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    if (type == QMetaType::QDate)
        return bindText(stmt, parameter, IsoDate(value.toDate()).toUtf8());
    if (type == qMetaTypeId<TimeOfDay>())
        return bindText(stmt, parameter, IsoTime(value.value<TimeOfDay>()).toUtf8());
    if (type == qMetaTypeId<TimeStamp>())
        return bindText(stmt, parameter, IsoStamp(value.value<TimeStamp>()).toUtf8());
    bool whole = false;
    const qlonglong integer = value.toString().toLongLong(&whole);
    if (column.kind == Kind::Decimal)
        return whole ? sqlite3_bind_int64(stmt, parameter, integer)
                     : sqlite3_bind_double(stmt, parameter, value.toString().toDouble());
    return bindText(stmt, parameter, value.toString().toUtf8());
}

QString insertSql(const QString& table, const QVector<ColumnSpec>& columns,
                  const QStringList& values) {
    QStringList names{QStringLiteral("id")};
    for (const ColumnSpec& column : columns)
        names.append(column.name);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

// Closes the connections and removes the files at the end of the run.
class EnginesEnvironment : public ::testing::Environment {
public:
    void TearDown() override { engines.reset(); }
    std::unique_ptr<ValueEngines> engines;
};

}  // namespace

ValueEngines& ValueEngines::instance() {
    static auto* environment = static_cast<EnginesEnvironment*>(
        ::testing::AddGlobalTestEnvironment(new EnginesEnvironment));
    if (!environment->engines)
        environment->engines.reset(new ValueEngines);
    return *environment->engines;
}

ValueEngines::ValueEngines() {
    SqliteFile(file(QStringLiteral("values.db"))).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    m_keys[int(Engine::Sqlite)] = {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                                   {QStringLiteral("PATH"), QStringLiteral("values.db")}};
    if (!PgTestServer::available()) {
        m_missing[int(Engine::Postgres)] = QStringLiteral("no PostgreSQL test server");
    } else {
        // The test executable's own database, dropped at the end of the run. Ansi scripts write
        // dates day first, as the tests' British locale does.
        m_keys[int(Engine::Postgres)] = PgTestServer::aliasKeys(PgTestServer::sharedDatabase());
        m_keys[int(Engine::Postgres)].insert(
            QStringLiteral("OPTIONS"),
            QStringLiteral("-c datestyle=ISO,DMY -c timezone=Asia/Kolkata"));
    }
    m_missing[int(Engine::Mariadb)] = OdbcTestSupport::mariadbUnavailable();
    if (m_missing[int(Engine::Mariadb)].isEmpty())
        m_keys[int(Engine::Mariadb)] = OdbcTestSupport::mariadbKeys(QStringLiteral("values"));

    QFile aliases(file(QStringLiteral("aliases.conf")));
    if (!aliases.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(QStringLiteral("Cannot write ") + aliases.fileName());
    for (Engine engine : {Engine::Sqlite, Engine::Postgres, Engine::Mariadb}) {
        if (!missing(engine).isEmpty())
            continue;
        aliases.write("\n[" + alias(engine).toUtf8() + "]\n");
        for (auto it = keys(engine).begin(); it != keys(engine).end(); ++it)
            aliases.write((it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n')).toUtf8());
    }
    aliases.close();
    // The command line's logins: the servers trust loopback.
    QFile password(file(QStringLiteral("passwords")));
    password.open(QIODevice::WriteOnly | QIODevice::Truncate);
    password.write("any\n");
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
    TSession::ReloadAliases();
}

ValueEngines::~ValueEngines() = default;

QString ValueEngines::missing(Engine engine) const {
    if (int(engine) > int(Engine::Mariadb))
        return QStringLiteral("%1 is no engine of the program").arg(EngineName(engine));
    return m_missing[int(engine)];
}

QString ValueEngines::alias(Engine engine) const {
    static const char* const names[] = {"VSQLITE", "VPG", "VMARIA"};
    return int(engine) <= int(Engine::Mariadb) ? QLatin1String(names[int(engine)]) : QString();
}

DriverConnection& ValueEngines::connection(Engine engine) {
    std::unique_ptr<DriverConnection>& held = m_connections[int(engine)];
    if (!held && engine == Engine::Postgres) {
        held = PgTestServer::open(keys(engine));
    } else if (!held) {
        ConnectRequest request;
        request.aliasName = alias(engine);
        request.params = keys(engine);
        held = OpenDriverConnection(request);
    }
    return *held;
}

void ValueEngines::recreate(Engine engine, const QString& table,
                            const QVector<ColumnSpec>& columns) {
    for (const QString& sql : {QStringLiteral("DROP TABLE IF EXISTS ") + table,
                               CreateTableSql(engine, table, columns)}) {
        if (engine == Engine::Sqlite)
            SqliteFile(file(QStringLiteral("values.db"))).exec(sql);
        else
            connection(engine).executeStatement(sql, {});
    }
}

void ValueEngines::fill(Engine engine, const QString& table, const QVector<ColumnSpec>& columns,
                        const QVector<ValueRow>& rows) {
    if (engine != Engine::Sqlite) {
        DriverConnection& db = connection(engine);
        db.beginTransaction(tiReadCommitted);
        for (const ValueRow& row : rows) {
            QStringList literals{QString::number(row.id)};
            for (int i = 0; i < columns.size(); ++i)
                literals.append(EngineLiteral(engine, columns[i], row.values.value(i)));
            db.executeStatement(insertSql(table, columns, literals), {});
        }
        db.commitTransaction();
        return;
    }
    const SqliteFile sqlite(file(QStringLiteral("values.db")));
    const QString sql =
        insertSql(table, columns, QStringList(columns.size() + 1, QStringLiteral("?")));
    sqlite3_stmt* stmt = nullptr;
    sqlite.check(sqlite3_prepare_v2(sqlite.db, sql.toUtf8().constData(), -1, &stmt, nullptr));
    sqlite.exec(QStringLiteral("BEGIN"));
    for (const ValueRow& row : rows) {
        sqlite3_bind_int64(stmt, 1, row.id);
        for (int i = 0; i < columns.size(); ++i)
            bindSqlite(stmt, i + 2, columns[i], row.values.value(i));
        sqlite.check(sqlite3_step(stmt));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite.exec(QStringLiteral("COMMIT"));
}

void ValueEngines::open(TDatabase& db, TTable& table, Engine engine, const QString& name) {
    static int serial = 0;
    const QString databaseName = QStringLiteral("values_%1").arg(++serial);
    db.SetDatabaseName(databaseName);
    db.SetAliasName(alias(engine));
    db.LoginPrompt = false;  // the alias's own user, on a server that trusts loopback
    table.SetDatabaseName(databaseName);
    table.SetTableName(name);
    table.OpenTable();
}

QVector<ValueRow> ValueEngines::read(Engine engine, const QString& table,
                                     QVector<TFieldType>* types) {
    TDatabase db;
    TTable t;
    open(db, t, engine, table);
    for (int i = 0; types && i < t.NumberOfFields(); ++i)
        types->append(t.FieldAt(i)->FieldType());
    QVector<ValueRow> rows;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
        ValueRow row{t.FieldAt(0)->Value().toLongLong(), {}};
        for (int i = 1; i < t.NumberOfFields(); ++i)
            row.values.append(t.FieldAt(i)->Value());
        rows.append(row);
    }
    return rows;
}
