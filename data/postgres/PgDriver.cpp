#include "data/postgres/PgDriver.h"

#include "data/Exceptions.h"

std::unique_ptr<DriverConnection> OpenPostgresConnection(const ConnectRequest&)
{
    throw EDBEngineError(QStringLiteral("PostgreSQL driver is not built yet"), QString(), false);
}
