#pragma once

#include "data/Exceptions.h"

#include <QByteArray>
#include <QHash>
#include <deque>
#include <optional>

class PgParams;
class PgSession;
struct pg_conn;
struct pg_result;

// Statements sent one after another in libpq's pipeline mode, without waiting for each answer.
// Results are read a batch behind the sending, so neither side waits for the other and neither
// buffer grows without bound. The first failure stops further sending; finish() throws it.
class PgPipeline {
public:
    explicit PgPipeline(PgSession& session);
    // Leaves pipeline mode, reading what is still due; never throws.
    ~PgPipeline();

    PgPipeline(const PgPipeline&) = delete;
    PgPipeline& operator=(const PgPipeline&) = delete;

    // `expectOneRow`: the statement must affect exactly one row, else the change was made
    // against a row that another user changed or deleted meanwhile.
    void send(const QByteArray& sql, const PgParams& params, bool expectOneRow);
    // Waits for every answer and leaves pipeline mode; throws the first failure.
    void finish();
    bool failed() const { return m_error.has_value(); }

private:
    enum class Expect { Prepared, Any, OneRow };
    struct Pending {
        Expect expect;
        QByteArray sql;  // Prepared: the statement to remember
        QByteArray name;
    };

    void enter();
    void sync();
    void readThroughSync();
    // The result of the first statement whose result is due.
    void take(pg_result& result);
    void fail(EDBEngineError error);
    [[noreturn]] void throwLost();

    PgSession& m_session;
    pg_conn* m_conn = nullptr;
    bool m_active = false;
    int m_sinceSync = 0;
    int m_syncsDue = 0;
    std::deque<Pending> m_pending;
    QHash<QByteArray, QByteArray> m_preparing;
    std::optional<EDBEngineError> m_error;
};
