#pragma once

#include "data/Driver.h"

// Connection to a PostgreSQL server through libpq, for aliases with DRIVER=POSTGRES.
std::unique_ptr<DriverConnection> OpenPostgresConnection(const ConnectRequest& request);
