#include "data/postgres/PgConnection.h"

#include "data/Exceptions.h"
#include "data/TableStructure.h"
#include "data/postgres/PgCatalog.h"
#include "data/postgres/PgIdentifier.h"
#include "data/postgres/PgSchema.h"
#include "data/postgres/PgScriptRun.h"
#include "data/postgres/PgSession.h"
#include "data/postgres/PgStatementText.h"
#include "data/postgres/PgTableCursor.h"

PgConnection::PgConnection(std::shared_ptr<PgSession> session, bool readOnly)
    : m_session(std::move(session)), m_readOnly(readOnly) {}

PgConnection::~PgConnection() {
    m_session->close();
}

QStringList PgConnection::tableNames(bool systemTables) {
    return PgCatalog::tableNames(*m_session, systemTables);
}

std::unique_ptr<TableCursor> PgConnection::openTable(const QString& name, bool readOnly) {
    return std::make_unique<PgTableCursor>(m_session, PgCatalog::load(*m_session, name),
                                           readOnly || m_readOnly);
}

bool PgConnection::inTransaction() {
    return m_session->inTransaction();
}

void PgConnection::beginTransaction(TTransIsolation isolation) {
    switch (isolation) {
        case tiDirtyRead:
            m_session->exec("BEGIN ISOLATION LEVEL READ UNCOMMITTED");
            break;
        case tiReadCommitted:
            m_session->exec("BEGIN ISOLATION LEVEL READ COMMITTED");
            break;
        case tiRepeatableRead:
            m_session->exec("BEGIN ISOLATION LEVEL REPEATABLE READ");
            break;
    }
}

void PgConnection::commitTransaction() {
    const PgResultPtr r = m_session->exec("COMMIT");
    // A transaction in which a statement failed answers COMMIT with ROLLBACK.
    if (qstrcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
        throw EDBEngineError(
            QStringLiteral("The transaction was rolled back because a statement in it failed"),
            QStringLiteral("25P02"), true);
}

void PgConnection::rollbackTransaction() {
    m_session->exec("ROLLBACK");
}

template <typename Step>
void PgConnection::guarded(Step step) {
    if (!m_session->inTransaction()) {
        step();
        return;
    }
    m_session->exec("SAVEPOINT rowcart_statement");
    try {
        step();
    } catch (const Exception&) {
        if (m_session->inTransaction()) {
            try {
                m_session->exec(
                    "ROLLBACK TO SAVEPOINT rowcart_statement; RELEASE SAVEPOINT rowcart_statement");
            } catch (const Exception&) {
                // The statement's own error says more than this one.
            }
        }
        throw;
    }
    // The statement may have ended the transaction itself (COMMIT in a script).
    if (m_session->inTransaction())
        m_session->exec("RELEASE SAVEPOINT rowcart_statement");
}

void PgConnection::executeStatement(const QString& sql, const QStringList& parameters) {
    if (parameters.isEmpty()) {
        // The simple protocol runs every statement of the text, as one implicit transaction
        // when none is open.
        const QByteArray text = sql.toUtf8();
        guarded([&] { m_session->exec(text); });
        return;
    }
    const QByteArray text = PgStatementText::numberParameters(sql);
    guarded([&] { m_session->prepareUnnamed(text); });
    throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(parameters.first()));
}

std::unique_ptr<StatementRun> PgConnection::startStatementRun() {
    return std::make_unique<PgScriptRun>(*this, m_session);
}

SqlEngine PgConnection::engine() const {
    return SqlEngine::PostgreSQL;
}

QString PgConnection::quoteIdentifier(const QString& name) const {
    return QString::fromUtf8(PgQuoteIdentifier(name));
}

TableStructure PgConnection::describeTable(const QString& name) {
    return PgSchema::describe(*m_session, name);
}
