#pragma once

#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/postgres/PgRelation.h"

#include <vector>

class PgParams;
class PgPipeline;
class PgSession;

// Writes a table's pending changes in one transaction (a savepoint inside one the caller has
// open): runs of inserts by COPY, everything else pipelined. On the first failure everything
// is rolled back and the failure thrown.
class PgChangeWriter {
public:
    PgChangeWriter(PgSession& session, const PgRelation& relation, TUpdateMode mode,
                   OnDuplicate onDuplicate = OnDuplicate::Fail);

    void apply(const std::vector<const PendingChange*>& changes);
    // Insertions left out as duplicates by the last apply().
    qint64 skipped() const { return m_skipped; }

private:
    // Commits the transaction with this id.
    void commit(const QByteArray& xid);
    void settleLostCommit(const QByteArray& xid, const EDBEngineError& lost);
    void write(const std::vector<const PendingChange*>& changes);
    // The columns an insert of these values writes: every column with a value, and those
    // without a value that have no default either (their null is written as it is).
    std::vector<int> insertColumns(const Row& values) const;
    // Whether two inserts write the same columns: only columns with a default can differ.
    bool sameInsertColumns(const Row& a, const Row& b) const;
    void copyInserts(const std::vector<int>& columns,
                     const std::vector<const PendingChange*>& changes, size_t begin, size_t end);
    // COPY into `table` (quoted) of those columns of the rows from begin to end.
    void copyRows(const QByteArray& table, const std::vector<int>& columns,
                  const std::vector<const PendingChange*>& changes, size_t begin, size_t end);
    // Inserts through a staging table, so that the engine's own ON CONFLICT can decide what a
    // row whose key is there already does; COPY alone cannot.
    void stageInserts(const std::vector<int>& columns,
                      const std::vector<const PendingChange*>& changes, size_t begin, size_t end);
    void sendInsert(PgPipeline& pipeline, const std::vector<int>& columns, const Row& values);
    void sendModify(PgPipeline& pipeline, const PendingChange& change);
    void sendDelete(PgPipeline& pipeline, const PendingChange& change);
    // The WHERE clause that finds the changed row: its key, then the values it had, for the
    // `compared` columns. Binds from parameter number params.count() + 1 on.
    QByteArray rowCondition(const PendingChange& change, const std::vector<int>& compared,
                            PgParams& params) const;
    bool changed(int column, const PendingChange& change) const;

    PgSession& m_session;
    const PgRelation& m_relation;
    TUpdateMode m_mode;
    std::vector<int> m_defaulted;  // columns whose value an insert may leave out
    OnDuplicate m_onDuplicate;
    qint64 m_skipped = 0;
};
