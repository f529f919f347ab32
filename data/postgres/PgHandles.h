#pragma once

#include <libpq-fe.h>

#include <memory>

// Owners of libpq's C handles: a connection is finished and a result cleared exactly once, on
// every way out.
struct PgConnDeleter {
    void operator()(PGconn* conn) const noexcept { PQfinish(conn); }
};

struct PgResultDeleter {
    void operator()(PGresult* result) const noexcept { PQclear(result); }
};

using PgConnPtr = std::unique_ptr<PGconn, PgConnDeleter>;
using PgResultPtr = std::unique_ptr<PGresult, PgResultDeleter>;
