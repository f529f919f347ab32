#include "data/postgres/PgScriptRun.h"

#include "data/postgres/PgConnection.h"
#include "data/postgres/PgError.h"
#include "data/postgres/PgHandles.h"
#include "data/postgres/PgPipelineRead.h"
#include "data/postgres/PgSession.h"
#include "data/postgres/PgStatementText.h"

#include <cstring>

namespace {

// Statements between two sync points. Answers are read one batch behind the sending, so the
// server always has work queued while their answers, a few dozen bytes each, fit in the socket
// buffers.
constexpr int BatchSize = 256;

}  // namespace

PgScriptRun::PgScriptRun(PgConnection& connection, std::shared_ptr<PgSession> session)
    : m_connection(connection), m_session(std::move(session)) {}

PgScriptRun::~PgScriptRun() {
    const PGconn* c = m_session->handle();
    if (!m_active || !c || PQstatus(c) != CONNECTION_OK)
        return;
    try {
        finish();
    } catch (const Exception&) {
        // Whoever ended the run early has its own error to report.
    }
}

bool PgScriptRun::canPipeline(const QByteArray& text, const QStringList& parameters,
                              bool ownTransaction) {
    if (!ownTransaction || !parameters.isEmpty() || !PgStatementText::isSingleChange(text))
        return false;
    if (m_active)
        return true;
    PGconn* c = m_session->conn();
    // Backslashes in plain strings escape quotes only when this setting is off, and the text
    // was told apart assuming it is on.
    const char* conforming = PQparameterStatus(c, "standard_conforming_strings");
    return conforming && std::strcmp(conforming, "on") == 0 &&
           PQtransactionStatus(c) == PQTRANS_INTRANS;
}

void PgScriptRun::execute(const QString& sql, const QStringList& parameters, bool ownTransaction) {
    const qint64 index = m_count++;
    if (m_error)
        throw *m_error;
    const QByteArray text = sql.toUtf8();
    if (canPipeline(text, parameters, ownTransaction)) {
        send(text, index);
        return;
    }
    finish();
    m_failedIndex = index;
    if (!ownTransaction) {
        // Outside a transaction of the run's own, a failure must leave the rest in effect.
        m_connection.executeStatement(sql, parameters);
        return;
    }
    if (parameters.isEmpty()) {
        m_session->exec(text);
        return;
    }
    m_session->prepareUnnamed(PgStatementText::numberParameters(sql));
    throw EDatabaseError(QStringLiteral("No value for parameter '") + parameters.first() +
                         QLatin1Char('\''));
}

void PgScriptRun::send(const QByteArray& text, qint64 index) {
    if (!m_active) {
        m_conn = m_session->conn();
        m_session->enterPipelineMode();
        m_active = true;
    }
    if (PQsendQueryParams(m_conn, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0) != 1)
        throwLost();
    m_pending.push_back(index);
    if (++m_sinceSync >= BatchSize) {
        sync();
        if (m_syncsDue > 1)
            readThroughSync();
        if (m_error)
            finish();
    }
}

void PgScriptRun::finish() {
    if (m_active) {
        if (m_sinceSync > 0)
            sync();
        while (m_syncsDue > 0)
            readThroughSync();
        m_active = false;
        if (PQexitPipelineMode(m_conn) != 1 && !m_error)
            fail(PgEngineError(m_conn, nullptr),
                 m_pending.empty() ? m_count - 1 : m_pending.front());
    }
    if (m_error)
        throw *m_error;
}

void PgScriptRun::sync() {
    if (PQpipelineSync(m_conn) != 1)
        throwLost();
    m_sinceSync = 0;
    ++m_syncsDue;
}

void PgScriptRun::fail(EDBEngineError error, qint64 index) {
    if (m_error)
        return;
    m_error = std::move(error);
    m_failedIndex = index;
}

void PgScriptRun::throwLost() {
    fail(PgEngineError(m_conn, nullptr), m_pending.empty() ? m_count - 1 : m_pending.front());
    m_active = false;
    throw *m_error;
}

void PgScriptRun::readThroughSync() {
    PgReadThroughSync(
        m_conn, [this] { return !m_pending.empty(); }, [this](PGresult& result) { take(result); },
        [this](std::optional<EDBEngineError> why) {
            if (why)
                fail(std::move(*why), m_count - 1);
            throwLost();
        });
    --m_syncsDue;
}

void PgScriptRun::take(PGresult& answer) {
    PGresult* const result = &answer;
    const ExecStatusType status = PQresultStatus(result);
    const qint64 index = m_pending.front();
    m_pending.pop_front();
    switch (status) {
        case PGRES_COMMAND_OK:
        case PGRES_TUPLES_OK:
        case PGRES_EMPTY_QUERY:
        case PGRES_PIPELINE_ABORTED:
            break;
        default: {
            EDBEngineError error = PgEngineError(m_conn, result);
            const bool usable = error.connectionUsable();
            fail(std::move(error), index);
            if (!usable || PQstatus(m_conn) != CONNECTION_OK) {
                m_active = false;
                throw *m_error;
            }
        }
    }
}
