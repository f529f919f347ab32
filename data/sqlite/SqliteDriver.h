#pragma once

#include "data/Driver.h"

// Connection to an SQLite database file through the sqlite3 C API, for aliases with
// DRIVER=SQLITE.
std::unique_ptr<DriverConnection> OpenSqliteConnection(const ConnectRequest& request);
