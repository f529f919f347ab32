#include "tests/data/odbc/OdbcTestSupport.h"

#include "data/Driver.h"
#include "data/odbc/OdbcConnectString.h"
#include "data/odbc/OdbcHandles.h"
#include "tests/support/PgTestServer.h"

#include <QRegularExpression>
#include <QStringList>

namespace OdbcTestSupport {

const QString SqliteDriver = QStringLiteral("SQLite3");
const QString PostgresDriver = QStringLiteral("PostgreSQL Unicode");
const QString MariadbDriver = QStringLiteral("MariaDB Unicode");

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

QString safeName(const QString& tag) {
    return QString(tag).replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")),
                                QStringLiteral("_"));
}

QMap<QString, QString> keysFor(const QString& connection) {
    return {{QStringLiteral("DRIVER"), QStringLiteral("ODBC")},
            {QStringLiteral("CONNECTION"), connection}};
}

}  // namespace

QString missingDriver(const QString& driver) {
    QStringList names;
    SQLWCHAR description[256];
    SQLWCHAR attributes[1024];
    SQLSMALLINT length = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(OdbcEnvironment(), direction, description, 256, &length,
                                     attributes, 1024, &attributesLength))) {
        names.append(OdbcString(description, std::min<qsizetype>(length, 255)));
        direction = SQL_FETCH_NEXT;
    }
    if (names.contains(driver))
        return QString();
    return QStringLiteral("the ODBC driver '%1' is not installed (./test.sh installs it)")
        .arg(driver);
}

QMap<QString, QString> sqliteKeys(const QString& path) {
    return keysFor(QStringLiteral("Driver=") + SqliteDriver + QStringLiteral(";Database=") +
                   OdbcAttributeValue(path));
}

QMap<QString, QString> postgresKeys(const QString& tag) {
    const QMap<QString, QString> pg = PgTestServer::createDatabase(safeName(tag));
    return keysFor(QStringLiteral("Driver={") + PostgresDriver + QStringLiteral("};Server=") +
                   pg.value(QStringLiteral("SERVER NAME")) + QStringLiteral(";Port=") +
                   pg.value(QStringLiteral("PORT")) + QStringLiteral(";Database=") +
                   pg.value(QStringLiteral("DATABASE NAME")) + QStringLiteral(";UID=") +
                   OdbcAttributeValue(pg.value(QStringLiteral("USER NAME"))));
}

QString mariadbUnavailable() {
    if (env("ROWCART_MARIADB_PORT").isEmpty())
        return QStringLiteral("no MariaDB server (ROWCART_MARIADB_PORT is not set)");
    return missingDriver(MariadbDriver);
}

QMap<QString, QString> mariadbKeys(const QString& tag) {
    static int count = 0;
    const QString database = QStringLiteral("t_%1_%2").arg(safeName(tag), QString::number(++count));
    const QString server =
        QStringLiteral("Driver={") + MariadbDriver + QStringLiteral("};Server=") +
        env("ROWCART_MARIADB_HOST") + QStringLiteral(";Port=") + env("ROWCART_MARIADB_PORT") +
        QStringLiteral(";UID=") + env("ROWCART_MARIADB_USER") + QStringLiteral(";OPTION=2");
    ConnectRequest request;
    request.aliasName = QStringLiteral("admin");
    request.params = keysFor(server);
    auto admin = OpenDriverConnection(request);
    admin->executeStatement(QStringLiteral("DROP DATABASE IF EXISTS ") + database, {});
    // Binary collation: text keys order by their bytes, and 'b' and 'B' are two keys.
    admin->executeStatement(QStringLiteral("CREATE DATABASE ") + database +
                                QStringLiteral(" CHARACTER SET utf8mb4 COLLATE utf8mb4_bin"),
                            {});
    return keysFor(server + QStringLiteral(";Database=") + database);
}

}  // namespace OdbcTestSupport
