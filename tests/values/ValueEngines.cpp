#include "tests/values/ValueEngines.h"

#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "tests/data/odbc/OdbcTestSupport.h"
#include "tests/support/PgTestServer.h"
#include "tests/values/EngineLiterals.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>

namespace {

// An alias's section of the alias file.
QByteArray section(const QString& alias, const QMap<QString, QString>& keys) {
    QByteArray text = "\n[" + alias.toUtf8() + "]\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        text += (it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n')).toUtf8();
    return text;
}

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
    sqlite3* db = nullptr;
};

QString insertSql(const QString& table, const QVector<ColumnSpec>& columns,
                  const QStringList& values) {
    QStringList names{QStringLiteral("id")};
    for (const ColumnSpec& column : columns)
        names.append(column.name);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

}  // namespace

namespace {

// Closes the connections and removes the files at the end of the run.
class EnginesEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        delete engines;
        engines = nullptr;
    }
    ValueEngines* engines = nullptr;
};

}  // namespace

ValueEngines& ValueEngines::instance() {
    static auto* environment = static_cast<EnginesEnvironment*>(
        ::testing::AddGlobalTestEnvironment(new EnginesEnvironment));
    if (!environment->engines)
        environment->engines = new ValueEngines;
    return *environment->engines;
}

ValueEngines::ValueEngines() {
    SqliteFile(sqlitePath()).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    m_keys[int(Engine::Sqlite)] = {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                                   {QStringLiteral("PATH"), QStringLiteral("values.db")}};
    if (!PgTestServer::available()) {
        m_missing[int(Engine::Postgres)] = QStringLiteral("no PostgreSQL test server");
    } else {
        // The test executable's own database, dropped at the end of the run.
        m_keys[int(Engine::Postgres)] = PgTestServer::aliasKeys(PgTestServer::sharedDatabase());
        // Ansi scripts write dates day first, as the tests' British locale does; a zone away
        // from UTC (+05:30, RuleCase.h) shows a time stamp read in the wrong one.
        m_keys[int(Engine::Postgres)].insert(
            QStringLiteral("OPTIONS"),
            QStringLiteral("-c datestyle=ISO,DMY -c timezone=Asia/Kolkata"));
    }
    m_missing[int(Engine::Mariadb)] = OdbcTestSupport::mariadbUnavailable();
    if (m_missing[int(Engine::Mariadb)].isEmpty())
        m_keys[int(Engine::Mariadb)] = OdbcTestSupport::mariadbKeys(QStringLiteral("values"));
    writeAliases();
}

ValueEngines::~ValueEngines() = default;

void ValueEngines::writeAliases() {
    QFile file(aliasFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(QStringLiteral("Cannot write ") + aliasFile());
    for (Engine engine : {Engine::Sqlite, Engine::Postgres, Engine::Mariadb}) {
        if (missing(engine).isEmpty())
            file.write(section(alias(engine), keys(engine)));
    }
    file.close();
    QFile password(passwordFile());
    password.open(QIODevice::WriteOnly | QIODevice::Truncate);
    password.write("any\n");
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    qputenv("ROWCART_ALIASES", aliasFile().toUtf8());
    TSession::ReloadAliases();
}

QString ValueEngines::missing(Engine engine) const {
    if (int(engine) > int(Engine::Mariadb))
        return QStringLiteral("%1 is no engine of the program").arg(EngineName(engine));
    return m_missing[int(engine)];
}

QString ValueEngines::alias(Engine engine) const {
    static const char* const names[] = {"VSQLITE", "VPG", "VMARIA"};
    return int(engine) <= int(Engine::Mariadb) ? QLatin1String(names[int(engine)]) : QString();
}

QString ValueEngines::aliasFile() const {
    return m_dir.filePath(QStringLiteral("aliases.conf"));
}

QString ValueEngines::passwordFile() const {
    return m_dir.filePath(QStringLiteral("passwords"));
}

QString ValueEngines::sqlitePath() const {
    return m_dir.filePath(QStringLiteral("values.db"));
}

DriverConnection& ValueEngines::connection(Engine engine) {
    std::unique_ptr<DriverConnection>& held = m_connections[int(engine)];
    if (!held) {
        if (engine == Engine::Postgres) {
            held = PgTestServer::open(keys(engine));
        } else {
            ConnectRequest request;
            request.aliasName = alias(engine);
            request.params = keys(engine);
            held = OpenDriverConnection(request);
        }
    }
    return *held;
}

void ValueEngines::exec(Engine engine, const QString& sql) {
    if (engine == Engine::Sqlite)
        SqliteFile(sqlitePath()).exec(sql);
    else
        connection(engine).executeStatement(sql, {});
}

void ValueEngines::recreate(Engine engine, const QString& table,
                            const QVector<ColumnSpec>& columns) {
    exec(engine, QStringLiteral("DROP TABLE IF EXISTS ") + table);
    exec(engine, CreateTableSql(engine, table, columns));
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
    const SqliteFile file(sqlitePath());
    const QString sql =
        insertSql(table, columns, QStringList(columns.size() + 1, QStringLiteral("?")));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(file.db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw Exception(QString::fromUtf8(sqlite3_errmsg(file.db)));
    file.exec(QStringLiteral("BEGIN"));
    for (const ValueRow& row : rows) {
        sqlite3_bind_int64(stmt, 1, row.id);
        for (int i = 0; i < columns.size(); ++i)
            BindSqlite(stmt, i + 2, columns[i], row.values.value(i));
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw Exception(QString::fromUtf8(sqlite3_errmsg(file.db)));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    file.exec(QStringLiteral("COMMIT"));
}

QVector<ValueRow> ValueEngines::read(Engine engine, const QString& table) {
    static int serial = 0;
    const QString name = QStringLiteral("values_read_%1").arg(++serial);
    TDatabase db;
    db.SetDatabaseName(name);
    db.SetAliasName(alias(engine));
    db.LoginPrompt = false;  // the alias's own user, on a server that trusts loopback
    TTable t;
    t.SetDatabaseName(name);
    t.SetTableName(table);
    t.OpenTable();
    QVector<ValueRow> rows;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
        ValueRow row;
        row.id = t.FieldAt(0)->Value().toLongLong();
        for (int i = 1; i < t.NumberOfFields(); ++i)
            row.values.append(t.FieldAt(i)->Value());
        rows.append(row);
    }
    return rows;
}

QVector<TFieldType> ValueEngines::fieldTypes(Engine engine, const QString& table) {
    static int serial = 0;
    const QString name = QStringLiteral("values_types_%1").arg(++serial);
    TDatabase db;
    db.SetDatabaseName(name);
    db.SetAliasName(alias(engine));
    db.LoginPrompt = false;
    TTable t;
    t.SetDatabaseName(name);
    t.SetTableName(table);
    t.OpenTable();
    QVector<TFieldType> types;
    for (int i = 0; i < t.NumberOfFields(); ++i)
        types.append(t.FieldAt(i)->FieldType());
    return types;
}
