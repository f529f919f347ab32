#pragma once

#include "data/Driver.h"
#include "data/postgres/PgHandles.h"

// Connects as the alias and the login say; the password is handed to libpq only. Throws
// EDBEngineError with the server's or libpq's message, and leaves no connection open then.
PgConnPtr PgConnect(const ConnectRequest& request);
