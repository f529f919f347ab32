#pragma once

#include "data/Driver.h"
#include "data/odbc/OdbcHandles.h"
#include "data/odbc/OdbcRelation.h"

#include <map>

class OdbcParams;
class OdbcSession;

// Writes a pending store in one transaction (a savepoint inside the caller's): runs of inserts
// as parameter arrays where the driver takes them, else one prepared statement executed per
// row; changes and deletes located by key (or by every comparable value of a keyless row),
// each required to hit exactly one row. On the first failure nothing stays written.
class OdbcChangeWriter {
public:
    OdbcChangeWriter(OdbcSession& session, const OdbcRelation& relation, TUpdateMode mode,
                     OnDuplicate onDuplicate = OnDuplicate::Fail);

    void apply(const std::vector<const PendingChange*>& changes);
    // Insertions left out as duplicates by the last apply().
    qint64 skipped() const { return m_skipped; }

private:
    void writeAll(const std::vector<const PendingChange*>& changes);
    void insertRun(const std::vector<const PendingChange*>& run, const QVector<int>& columns);
    bool insertArray(SQLHSTMT stmt, const std::vector<const PendingChange*>& run,
                     const QVector<int>& columns);
    void modify(const PendingChange& change);
    void remove(const PendingChange& change);
    // " WHERE ..." locating the row as it was read; compares the key, and `compared` columns.
    QString locate(const PendingChange& change, const QVector<int>& compared, OdbcParams& params);
    void execute(const QString& sql, OdbcParams& params);
    // Counts the rows of a run of inserts whose key is there already.
    void countDuplicates(const std::vector<const PendingChange*>& run);
    SQLHSTMT prepared(const QString& sql);

    OdbcSession& m_session;
    const OdbcRelation& m_relation;
    TUpdateMode m_mode;
    OnDuplicate m_onDuplicate;
    qint64 m_skipped = 0;
    std::map<QString, OdbcStmt> m_statements;
};
