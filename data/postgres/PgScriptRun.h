#pragma once

#include "data/Driver.h"
#include "data/Exceptions.h"

#include <QByteArray>
#include <deque>
#include <memory>
#include <optional>

class PgConnection;
class PgSession;
struct pg_conn;
struct pg_result;

// A script run on a PostgreSQL connection. Inside the run's own transaction, single INSERT,
// UPDATE and DELETE statements are sent in libpq's pipeline mode without waiting for each
// answer and without a savepoint each: the server skips everything after the first failure, and
// the run rolls the transaction back. Any other statement first waits for every answer due, so
// that one which ends the transaction, or fails, is known before the next is sent.
class PgScriptRun : public StatementRun {
public:
    PgScriptRun(PgConnection& connection, std::shared_ptr<PgSession> session);
    // Leaves pipeline mode, reading what is still due; never throws.
    ~PgScriptRun() override;

    PgScriptRun(const PgScriptRun&) = delete;
    PgScriptRun& operator=(const PgScriptRun&) = delete;

    void execute(const QString& sql, const QStringList& parameters, bool ownTransaction) override;
    void finish() override;
    qint64 failedIndex() const override { return m_failedIndex; }

private:
    bool canPipeline(const QByteArray& text, const QStringList& parameters, bool ownTransaction);
    void send(const QByteArray& text, qint64 index);
    void sync();
    void readThroughSync();
    // The result of the first statement whose result is due.
    void take(pg_result& result);
    void fail(EDBEngineError error, qint64 index);
    [[noreturn]] void throwLost();

    PgConnection& m_connection;
    std::shared_ptr<PgSession> m_session;
    pg_conn* m_conn = nullptr;
    bool m_active = false;
    qint64 m_count = 0;
    qint64 m_failedIndex = -1;
    int m_sinceSync = 0;
    int m_syncsDue = 0;
    std::deque<qint64> m_pending;  // the statement each answer due belongs to
    std::optional<EDBEngineError> m_error;
};
