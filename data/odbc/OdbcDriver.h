#pragma once

#include "data/Driver.h"

// Connection through an ODBC driver (unixODBC), for aliases with DRIVER=ODBC and either a DSN
// or a CONNECTION string.
std::unique_ptr<DriverConnection> OpenOdbcConnection(const ConnectRequest& request);
