#include "data/Driver.h"

namespace {

class SequentialStatementRun : public StatementRun {
public:
    explicit SequentialStatementRun(DriverConnection& connection) : m_connection(connection) {}

    void execute(const QString& sql, const QStringList& parameters, bool) override {
        m_index = m_count++;
        m_connection.executeStatement(sql, parameters);
    }
    void finish() override {}
    qint64 failedIndex() const override { return m_index; }

private:
    DriverConnection& m_connection;
    qint64 m_count = 0;
    qint64 m_index = -1;
};

}  // namespace

std::unique_ptr<StatementRun> DriverConnection::startStatementRun() {
    return std::make_unique<SequentialStatementRun>(*this);
}
