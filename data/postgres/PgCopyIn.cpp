#include "data/postgres/PgCopyIn.h"

#include "data/postgres/PgError.h"
#include "data/postgres/PgHandles.h"
#include "data/postgres/PgSession.h"

#include <optional>

namespace {

constexpr qsizetype ChunkSize = 1 << 19;

// Reads the copy's final result and whatever follows it, throwing a failure.
void finishResults(PGconn* conn, bool throwFailure) {
    std::optional<EDBEngineError> error;
    while (PgResultPtr result{PQgetResult(conn)}) {
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && !error)
            error = PgEngineError(conn, result.get());
        if (PQstatus(conn) != CONNECTION_OK)
            break;
    }
    if (!error && PQstatus(conn) != CONNECTION_OK)
        error = PgEngineError(conn, nullptr);
    if (error && throwFailure)
        throw *error;
}

}  // namespace

PgCopyIn::PgCopyIn(PgSession& session, const QByteArray& sql) : m_conn(session.conn()) {
    PgResultPtr result(PQexec(m_conn, sql.constData()));
    if (!result || PQresultStatus(result.get()) != PGRES_COPY_IN)
        throw PgEngineError(m_conn, result.get());
    m_open = true;
    m_buffer.reserve(ChunkSize + ChunkSize / 4);
}

PgCopyIn::~PgCopyIn() {
    if (!m_open || PQstatus(m_conn) != CONNECTION_OK)
        return;
    PQputCopyEnd(m_conn, "abandoned by the client");
    finishResults(m_conn, false);
}

void PgCopyIn::rowDone() {
    if (m_buffer.size() >= ChunkSize)
        flush();
}

void PgCopyIn::flush() {
    if (!m_buffer.isEmpty() &&
        PQputCopyData(m_conn, m_buffer.constData(), static_cast<int>(m_buffer.size())) != 1) {
        m_open = false;
        throw PgEngineError(m_conn, nullptr);
    }
    m_buffer.clear();
}

void PgCopyIn::finish() {
    flush();
    m_open = false;
    if (PQputCopyEnd(m_conn, nullptr) != 1)
        throw PgEngineError(m_conn, nullptr);
    finishResults(m_conn, true);
}
