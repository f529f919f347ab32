#pragma once

#include "data/Exceptions.h"

#include <libpq-fe.h>
#include <functional>
#include <optional>

// Reads a pipeline's results up to its next sync point, one statement's result after another.
// `due` tells whether a statement still waits for its result and `take` receives it; `lost`,
// which must throw, is called when the connection is gone, or with the failure when a result
// comes that nothing waits for.
void PgReadThroughSync(PGconn* conn, const std::function<bool()>& due,
                       const std::function<void(PGresult& result)>& take,
                       const std::function<void(std::optional<EDBEngineError> why)>& lost);
