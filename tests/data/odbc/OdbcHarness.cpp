#include "tests/data/DriverHarness.h"
#include "tests/data/odbc/OdbcTestSupport.h"
#include "tests/support/PgTestServer.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace OdbcTestSupport;

// The driver contract suite over SQLite's ODBC driver.
class SqliteOdbcHarness : public DriverHarness {
public:
    QString name() const override { return QStringLiteral("OdbcSQLite"); }
    QString unavailableReason() const override { return missingDriver(SqliteDriver); }

    QMap<QString, QString> createDatabase(const QString& tag) override {
        const QString path =
            m_dir.filePath(QStringLiteral("%1-%2.db").arg(tag, QString::number(++m_count)));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return sqliteKeys(path);
    }

    QString columnType(const QString& generic) const override {
        if (generic == QLatin1String("SERIAL"))
            return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        return generic;
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

// Over PostgreSQL's ODBC driver, against the test server.
class PostgresOdbcHarness : public DriverHarness {
public:
    QString name() const override { return QStringLiteral("OdbcPostgreSQL"); }
    QString unavailableReason() const override {
        if (!PgTestServer::available())
            return QStringLiteral("no PostgreSQL server (ROWCART_PG_PORT is not set)");
        return missingDriver(PostgresDriver);
    }

    QMap<QString, QString> createDatabase(const QString& tag) override { return postgresKeys(tag); }

    QString columnType(const QString& generic) const override {
        static const QMap<QString, QString> types = {
            {QStringLiteral("SERIAL"), QStringLiteral("serial")},
            {QStringLiteral("DOUBLE"), QStringLiteral("double precision")},
            {QStringLiteral("BLOB"), QStringLiteral("bytea")},
            {QStringLiteral("CLOB"), QStringLiteral("text")}};
        return types.value(generic, generic);
    }
};

// Over MariaDB's ODBC driver, against the server test.sh starts.
class MariadbOdbcHarness : public DriverHarness {
public:
    QString name() const override { return QStringLiteral("OdbcMariaDB"); }
    QString unavailableReason() const override { return mariadbUnavailable(); }

    QMap<QString, QString> createDatabase(const QString& tag) override { return mariadbKeys(tag); }

    QString columnType(const QString& generic) const override {
        static const QMap<QString, QString> types = {
            {QStringLiteral("SERIAL"), QStringLiteral("INTEGER AUTO_INCREMENT")},
            {QStringLiteral("BLOB"), QStringLiteral("LONGBLOB")},
            {QStringLiteral("CLOB"), QStringLiteral("LONGTEXT")},
            {QStringLiteral("TIMESTAMP"), QStringLiteral("DATETIME")},
            {QStringLiteral("BOOLEAN"), QStringLiteral("BIT(1)")},
            {QStringLiteral("MONEY"), QStringLiteral("DECIMAL(19,4)")}};
        return types.value(generic, generic);
    }

    // MariaDB has no money type: amounts are decimals.
    TFieldType fieldType(const QString& generic) const override {
        if (generic == QLatin1String("MONEY"))
            return ftBCD;
        return DriverHarness::fieldType(generic);
    }
};

const RegisterDriverHarness registerSqlite(std::make_shared<SqliteOdbcHarness>());
const RegisterDriverHarness registerPostgres(std::make_shared<PostgresOdbcHarness>());
const RegisterDriverHarness registerMariadb(std::make_shared<MariadbOdbcHarness>());

}  // namespace
