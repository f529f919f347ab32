#pragma once

#include <QMap>
#include <QString>

// What the ODBC tests need of the machine: the drivers unixODBC knows and the servers test.sh
// starts. Tests skip, naming what is missing, where one is not there.
namespace OdbcTestSupport {

// Empty when unixODBC has a driver of this name (odbcinst.ini), else why the tests skip.
QString missingDriver(const QString& driver);

// Alias keys (DRIVER=ODBC, CONNECTION) for a fresh SQLite database file in `folder`.
QMap<QString, QString> sqliteKeys(const QString& path);
// Alias keys for a fresh database on the PostgreSQL test server, through its ODBC driver.
QMap<QString, QString> postgresKeys(const QString& tag);

// The MariaDB server test.sh starts (ROWCART_MARIADB_PORT, _HOST, _USER, _SOCKET), or why not.
QString mariadbUnavailable();
// Alias keys for a fresh database on it, through its ODBC driver.
QMap<QString, QString> mariadbKeys(const QString& tag);

// The driver names used: "SQLite3", "PostgreSQL Unicode", "MariaDB Unicode".
extern const QString SqliteDriver;
extern const QString PostgresDriver;
extern const QString MariadbDriver;

}  // namespace OdbcTestSupport
