#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/odbc/OdbcDriver.h"
#include "data/postgres/PgDriver.h"
#include "data/sqlite/SqliteDriver.h"

std::unique_ptr<DriverConnection> OpenDriverConnection(const ConnectRequest& request) {
    const QString driver = request.params.value(QStringLiteral("DRIVER")).trimmed().toUpper();
    if (driver == QLatin1String("SQLITE"))
        return OpenSqliteConnection(request);
    if (driver == QLatin1String("POSTGRES"))
        return OpenPostgresConnection(request);
    if (driver == QLatin1String("ODBC"))
        return OpenOdbcConnection(request);
    throw EDBEngineError(
        QStringLiteral("Alias '%1' names an unknown driver '%2'").arg(request.aliasName, driver),
        QString(), false);
}
