#include "data/postgres/PgSession.h"

#include "data/postgres/PgError.h"

#include <optional>

PgSession::PgSession(PgConnPtr conn) : m_conn(std::move(conn)) {}

PGconn* PgSession::conn() {
    if (!m_conn)
        throw EDBEngineError(QStringLiteral("The connection to the server is closed"), QString(),
                             false);
    if (PQstatus(m_conn.get()) != CONNECTION_OK)
        throw EDBEngineError(QStringLiteral("The connection to the server was lost"), QString(),
                             false);
    return m_conn.get();
}

bool PgSession::reconnect() {
    if (!m_conn)
        return false;
    m_statements.clear();
    PQreset(m_conn.get());
    return PQstatus(m_conn.get()) == CONNECTION_OK;
}

void PgSession::close() {
    m_conn.reset();
    m_statements.clear();
}

PgResultPtr PgSession::checked(PGresult* raw) {
    PgResultPtr result(raw);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY)
        return result;
    if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH)
        return finishCopy(status);
    throw PgEngineError(m_conn.get(), result.get());
}

// A statement of a script that copies to the client has its rows dropped, as the rows of a
// query are; one that copies from the client has nothing to read and is refused. Either way the
// connection is left ready for the next statement.
PgResultPtr PgSession::finishCopy(ExecStatusType status) {
    PGconn* c = m_conn.get();
    if (status == PGRES_COPY_IN) {
        PQputCopyEnd(c, "COPY from the client is not supported here");
    } else {
        char* buffer = nullptr;
        while (PQgetCopyData(c, &buffer, 0) > 0)
            PQfreemem(buffer);
    }
    PgResultPtr last;
    std::optional<EDBEngineError> error;
    while (PgResultPtr result{PQgetResult(c)}) {
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK && !error)
            error = PgEngineError(c, result.get());
        last = std::move(result);
        if (PQstatus(c) != CONNECTION_OK)
            break;
    }
    if (error)
        throw *error;
    if (!last)
        throw PgEngineError(c, nullptr);
    return last;
}

PgResultPtr PgSession::exec(const char* sql) {
    PGconn* c = conn();
    return checked(PQexec(c, sql));
}

PgResultPtr PgSession::execParams(const QByteArray& sql, const PgParams& params) {
    PGconn* c = conn();
    return checked(PQexecParams(c, sql.constData(), params.count(), nullptr, params.values(),
                                params.lengths(), params.formats(), 0));
}

QByteArray PgSession::prepared(const QByteArray& sql) {
    const auto found = m_statements.constFind(sql);
    if (found != m_statements.constEnd())
        return found.value();
    QByteArray name = newStatementName();
    PGconn* c = conn();
    checked(PQprepare(c, name.constData(), sql.constData(), 0, nullptr));
    m_statements.insert(sql, name);
    return name;
}

QByteArray PgSession::newStatementName() {
    return "rowcart_" + QByteArray::number(++m_statementCount);
}

void PgSession::rememberStatement(const QByteArray& sql, const QByteArray& name) {
    m_statements.insert(sql, name);
}

PgResultPtr PgSession::execPrepared(const QByteArray& name, const PgParams& params) {
    PGconn* c = conn();
    return checked(PQexecPrepared(c, name.constData(), params.count(), params.values(),
                                  params.lengths(), params.formats(), 0));
}

void PgSession::prepareUnnamed(const QByteArray& sql) {
    PGconn* c = conn();
    checked(PQprepare(c, "", sql.constData(), 0, nullptr));
}

void PgSession::enterPipelineMode() {
    PGconn* c = conn();
    m_transactionAtPipeline = inTransaction();
    if (PQenterPipelineMode(c) != 1)
        throw PgEngineError(c, nullptr);
}

bool PgSession::inTransaction() {
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
        return false;
    if (PQpipelineStatus(m_conn.get()) != PQ_PIPELINE_OFF)
        return m_transactionAtPipeline;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn.get());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

int PgSession::serverVersion() {
    return PQserverVersion(conn());
}
