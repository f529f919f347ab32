#pragma once

#include "cli/JobParts.h"

class CommandLineHost;

// What moving one table's rows did.
struct TableMoveResult {
    qint64 moved = 0;         // rows posted into the target (that a dry run would write)
    qint64 skipped = 0;       // rows that failed and were passed over, keys no row has
    qint64 alreadyThere = 0;  // rows whose key the target held (--on-duplicate skip)
    qint64 committed = 0;     // rows written by commits
    qint64 rolledBack = 0;    // rows pending when the move stopped, dropped
    QString lastCommitted;    // the last source row committed, by its key, after a stop
    QString resumedAfter;     // the key a resumed move started after
    bool stopped = false;     // the move did not reach its end
    int exitCode = ExitDone;

    // "12 rows moved, 1 skipped, 3 already there, 12 committed, in 0.4 s", or the stop's line.
    QString summary(const QString& seconds, bool dryRun) const;
};

// Moves the rows of the open source table into the open target table with the job's options
// (a keys file's rows, or every row; per-row failures, duplicates, commits), the run driven by
// `host`, and commits what is pending at its end. A job that skips duplicates over a target
// that holds exactly the source's rows up to some key resumes after that key.
TableMoveResult MoveTable(JobParts::SourceSide& source, TTable& target, const JobOptions& options,
                          CommandLineHost& host);
