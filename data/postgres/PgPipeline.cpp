#include "data/postgres/PgPipeline.h"

#include "data/postgres/PgError.h"
#include "data/postgres/PgHandles.h"
#include "data/postgres/PgParams.h"
#include "data/postgres/PgPipelineRead.h"
#include "data/postgres/PgSession.h"

#include <cstring>

namespace {

// Statements between two sync points: enough to keep the server busy while the answers of the
// batch before are read, few enough that their answers fit in the socket buffers.
constexpr int BatchSize = 1000;

}  // namespace

PgPipeline::PgPipeline(PgSession& session) : m_session(session) {}

PgPipeline::~PgPipeline() {
    if (!m_active || !m_conn || PQstatus(m_conn) != CONNECTION_OK)
        return;
    try {
        if (m_sinceSync > 0)
            sync();
        while (m_syncsDue > 0)
            readThroughSync();
    } catch (const Exception&) {
        return;
    }
    PQexitPipelineMode(m_conn);
}

void PgPipeline::enter() {
    m_conn = m_session.conn();
    m_session.enterPipelineMode();
    m_active = true;
}

void PgPipeline::send(const QByteArray& sql, const PgParams& params, bool expectOneRow) {
    if (m_error)
        return;
    if (!m_active)
        enter();
    QByteArray name = m_session.cachedStatement(sql);
    if (name.isEmpty())
        name = m_preparing.value(sql);
    if (name.isEmpty()) {
        name = m_session.newStatementName();
        if (PQsendPrepare(m_conn, name.constData(), sql.constData(), 0, nullptr) != 1)
            throwLost();
        m_pending.push_back({Expect::Prepared, sql, name});
        m_preparing.insert(sql, name);
    }
    if (PQsendQueryPrepared(m_conn, name.constData(), params.count(), params.values(),
                            params.lengths(), params.formats(), 0) != 1)
        throwLost();
    m_pending.push_back({expectOneRow ? Expect::OneRow : Expect::Any, {}, {}});
    if (++m_sinceSync >= BatchSize) {
        sync();
        if (m_syncsDue > 1)
            readThroughSync();
    }
}

void PgPipeline::finish() {
    if (m_active) {
        if (m_sinceSync > 0)
            sync();
        while (m_syncsDue > 0)
            readThroughSync();
        if (PQexitPipelineMode(m_conn) != 1 && !m_error)
            fail(PgEngineError(m_conn, nullptr));
        m_active = false;
    }
    if (m_error)
        throw *m_error;
}

void PgPipeline::sync() {
    if (PQpipelineSync(m_conn) != 1)
        throwLost();
    m_sinceSync = 0;
    ++m_syncsDue;
}

void PgPipeline::fail(EDBEngineError error) {
    if (!m_error)
        m_error = std::move(error);
}

void PgPipeline::throwLost() {
    fail(PgEngineError(m_conn, nullptr));
    m_active = false;
    throw *m_error;
}

void PgPipeline::readThroughSync() {
    PgReadThroughSync(
        m_conn, [this] { return !m_pending.empty(); }, [this](PGresult& result) { take(result); },
        [this](std::optional<EDBEngineError> why) {
            if (why)
                fail(std::move(*why));
            throwLost();
        });
    --m_syncsDue;
}

void PgPipeline::take(PGresult& answer) {
    PGresult* const result = &answer;
    const ExecStatusType status = PQresultStatus(result);
    const Pending pending = m_pending.front();
    m_pending.pop_front();
    switch (status) {
        case PGRES_COMMAND_OK:
        case PGRES_TUPLES_OK:
            if (pending.expect == Expect::Prepared) {
                m_session.rememberStatement(pending.sql, pending.name);
            } else if (pending.expect == Expect::OneRow) {
                const char* affected = PQcmdTuples(result);
                if (std::strcmp(affected, "1") != 0)
                    fail(EDBEngineError(
                        std::strcmp(affected, "0") == 0
                            ? QStringLiteral("Couldn't perform the edit because another user "
                                             "changed the record.")
                            : QStringLiteral("Couldn't perform the edit because the record is "
                                             "not unique."),
                        QString(), true));
            }
            break;
        case PGRES_PIPELINE_ABORTED:
            break;
        default: {
            EDBEngineError error = PgEngineError(m_conn, result);
            const bool usable = error.connectionUsable();
            fail(std::move(error));
            if (!usable || PQstatus(m_conn) != CONNECTION_OK) {
                m_active = false;
                throw *m_error;
            }
        }
    }
}
