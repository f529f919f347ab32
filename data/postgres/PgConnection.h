#pragma once

#include "data/Driver.h"

#include <memory>

class PgSession;

class PgConnection : public DriverConnection {
public:
    PgConnection(std::shared_ptr<PgSession> session, bool readOnly);
    // Closes the server connection, also for tables still open on it.
    ~PgConnection() override;

    bool isSqlServer() const override { return true; }
    QStringList tableNames(bool systemTables) override;
    std::unique_ptr<TableCursor> openTable(const QString& name, bool readOnly) override;

    bool inTransaction() override;
    void beginTransaction(TTransIsolation isolation) override;
    void commitTransaction() override;
    void rollbackTransaction() override;

    void executeStatement(const QString& sql, const QStringList& parameters) override;
    std::unique_ptr<StatementRun> startStatementRun() override;

    SqlEngine engine() const override;
    QString quoteIdentifier(const QString& name) const override;
    TableStructure describeTable(const QString& name) override;

private:
    // Runs `step` so that its failure inside an open transaction undoes only itself, as a
    // failing statement does on servers that have no aborted-transaction state.
    template <typename Step>
    void guarded(Step step);

    std::shared_ptr<PgSession> m_session;
    bool m_readOnly;
};
