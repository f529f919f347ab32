#include "data/postgres/PgPipelineRead.h"

#include "data/postgres/PgHandles.h"

void PgReadThroughSync(PGconn* conn, const std::function<bool()>& due,
                       const std::function<void(PGresult& result)>& take,
                       const std::function<void(std::optional<EDBEngineError> why)>& lost) {
    int nulls = 0;
    for (;;) {
        PgResultPtr result(PQgetResult(conn));
        if (!result) {
            // One null ends each statement's answers; more in a row mean nothing more comes.
            if (PQstatus(conn) != CONNECTION_OK || ++nulls > 1)
                lost(std::nullopt);
            continue;
        }
        nulls = 0;
        if (PQresultStatus(result.get()) == PGRES_PIPELINE_SYNC)
            return;
        if (!due())
            lost(EDBEngineError(QStringLiteral("Unexpected answer from the server"), QString(),
                                false));
        take(*result);
    }
}
