#include "data/Exceptions.h"
#include "data/TableStructure.h"
#include "data/odbc/OdbcCatalog.h"
#include "data/odbc/OdbcConnectString.h"
#include "data/odbc/OdbcCursor.h"
#include "data/odbc/OdbcDriver.h"
#include "data/odbc/OdbcSchema.h"
#include "data/odbc/OdbcSession.h"
#include "data/odbc/OdbcStatementText.h"

#include <sqlext.h>

namespace {

class OdbcConnection : public DriverConnection {
public:
    explicit OdbcConnection(std::shared_ptr<OdbcSession> session) : m_session(std::move(session)) {}

    bool isSqlServer() const override { return !m_session->dialect().fileBased; }

    QStringList tableNames(bool systemTables) override {
        return OdbcCatalog::TableNames(*m_session, systemTables);
    }

    std::unique_ptr<TableCursor> openTable(const QString& name, bool readOnly) override {
        return std::make_unique<OdbcCursor>(m_session, OdbcCatalog::Load(*m_session, name),
                                            readOnly || m_session->readOnly());
    }

    bool inTransaction() override { return m_session->inTransaction(); }
    void beginTransaction(TTransIsolation isolation) override { m_session->begin(isolation); }
    void commitTransaction() override { m_session->commit(); }
    void rollbackTransaction() override { m_session->rollback(); }

    void executeStatement(const QString& sql, const QStringList& parameters) override {
        const QStringList statements = SplitOdbcStatements(sql, m_session->dialect());
        bool first = true;
        for (const QString& statement : statements) {
            OdbcStmt stmt(m_session->dbc());
            if (first && !parameters.isEmpty()) {
                // Prepared and described, so that a statement the database refuses fails as
                // such before the missing value is reported.
                bool run = false;
                const QString checked = m_session->dialect().checked(statement, run);
                m_session->check(SQLPrepareW(stmt.get(), OdbcWide(checked), SQL_NTS), stmt.get());
                SQLSMALLINT columns = 0;
                m_session->check(SQLNumResultCols(stmt.get(), &columns), stmt.get());
                SQLSMALLINT markers = 0;
                SQLNumParams(stmt.get(), &markers);
                if (run && markers == 0)
                    m_session->check(SQLExecute(stmt.get()), stmt.get());
                throw EDatabaseError(
                    QStringLiteral("No value for parameter '%1'").arg(parameters.first()));
            }
            first = false;
            SQLRETURN rc = SQLExecDirectW(stmt.get(), OdbcWide(statement), SQL_NTS);
            m_session->check(rc, stmt.get());
            // Every result of the statement is consumed, so that a later failure shows.
            while (rc != SQL_NO_DATA) {
                rc = SQLMoreResults(stmt.get());
                m_session->check(rc, stmt.get());
            }
        }
    }

    SqlEngine engine() const override { return OdbcSqlEngine(m_session->dialect()); }

    QString quoteIdentifier(const QString& name) const override {
        return m_session->dialect().quoted(name);
    }

    TableStructure describeTable(const QString& name) override {
        return OdbcSchema::Describe(*m_session, name);
    }

private:
    std::shared_ptr<OdbcSession> m_session;
};

}  // namespace

std::unique_ptr<DriverConnection> OpenOdbcConnection(const ConnectRequest& request) {
    return std::make_unique<OdbcConnection>(
        std::make_shared<OdbcSession>(OdbcConnectString(request), request.readOnly));
}
