#include "data/postgres/PgDriver.h"

#include "data/postgres/PgConnect.h"
#include "data/postgres/PgConnection.h"
#include "data/postgres/PgSession.h"

std::unique_ptr<DriverConnection> OpenPostgresConnection(const ConnectRequest& request) {
    auto session = std::make_shared<PgSession>(PgConnect(request));
    return std::make_unique<PgConnection>(std::move(session), request.readOnly);
}
