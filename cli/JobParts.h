#pragma once

#include "cli/CommandLineJobs.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "grids/RowSelection.h"
#include "transfer/BatchRun.h"
#include "transfer/FieldMapping.h"

#include <QElapsedTimer>
#include <memory>

class CommandLinePrompts;
class RowWalk;

// The pieces the commands share: the two sides connected as the window connects them, the
// rows a job visits, the mapping, and how a job reports.
namespace JobParts {

// The source side as the window has it: session "ses", a read-only connection and table.
struct SourceSide {
    SourceSide(const QString& alias, CommandLinePrompts& prompts);
    // Opens a table of the source, closing the one open before.
    void open(const QString& table);

    TSession session;
    TDatabase database;
    TTable table;
    RowSelection selection;
};

// The target side: connection "dbTo", a table whose inserts wait until they are committed.
struct TargetSide {
    TargetSide(const QString& alias, CommandLinePrompts& prompts);
    void open(const QString& table);

    TDatabase database;
    TTable table;
};

// A dry run: the job runs inside a transaction of the target that is rolled back at its end,
// auto-commits included.
class DryRun {
public:
    DryRun(TDatabase& database, TTable& table, bool active);
    ~DryRun();
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;

private:
    TDatabase& m_database;
    TTable& m_table;
    bool m_active;
};

// Connects as the window's connect does, asking a login as the options say.
void connect(TDatabase& database, const QString& alias, CommandLinePrompts& prompts);

// The rows a job visits: those of the keys file, or every row of the table, walked without
// holding a key per row. `notFound` counts the keys no row has.
std::unique_ptr<RowWalk> rowsOf(SourceSide& source, const JobOptions& options, int& notFound);

// Equal names, as the mapping dialog starts, then the --map choices.
FieldMappingArray buildMapping(const TTable& source, const JobOptions& options);

bool barWanted(const JobOptions& options);
QString seconds(const QElapsedTimer& timer);
// The job's --on-error as the run's policy, each failed row said in one line: the row named
// when the failure was its own, none for a failure that lies in the engine. A table without
// rows to walk is no news.
void reportFailuresOf(BatchPieces& pieces, TTable& source, const JobOptions& options);
// Ctrl+C counts only where it cut the run short: one that came during the final commit of a
// run whose every row was visited changed nothing.
int exitFor(const BatchOutcome& outcome, bool failed, qint64 skipped);

}  // namespace JobParts
