#pragma once

#include "data/Exceptions.h"

#include <libpq-fe.h>

// The one place where libpq failures become engine errors: the server's message (with its
// detail) or libpq's own text, the SQLSTATE when the server sent one, and whether the
// connection can still be used.
EDBEngineError PgEngineError(PGconn* conn, const PGresult* result);

// libpq's connection-level message, with its line breaks and indentation tidied.
QString PgConnectionMessage(PGconn* conn);

[[noreturn]] void ThrowPgError(PGconn* conn, const PGresult* result);
