#include "cli/CommandLineHost.h"
#include "cli/CommandLineJobs.h"
#include "cli/CommandLinePrompts.h"
#include "cli/JobParts.h"
#include "cli/TableMove.h"
#include "data/Exceptions.h"

#include <QElapsedTimer>

using namespace JobParts;

namespace {

// The target's own spelling of a table name: the same name, else one that differs in case
// only (an engine that folds unquoted names).
QString targetName(const QStringList& targetTables, const QString& name) {
    if (targetTables.contains(name))
        return name;
    for (const QString& candidate : targetTables) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return QString();
}

// The worse of two exit statuses: Ctrl+C, then a stop, then skipped rows.
int worse(int a, int b) {
    const auto rank = [](int code) {
        switch (code) {
            case ExitInterrupted:
                return 3;
            case ExitFailed:
                return 2;
            case ExitRowsSkipped:
                return 1;
            default:
                return 0;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

}  // namespace

int RunCopyJob(const JobOptions& options, CommandLinePrompts& prompts) {
    QElapsedTimer timer;
    timer.start();
    SourceSide source(options.fromAlias, prompts);
    TargetSide target(options.toAlias, prompts);
    QStringList sourceTables, targetTables;
    source.database.ReadTableList(sourceTables);
    target.database.ReadTableList(targetTables);
    QStringList tables = options.tables.isEmpty() ? sourceTables : options.tables;
    for (const QString& name : tables) {
        if (!sourceTables.contains(name))
            throw UsageError{QStringLiteral("%1 has no table %2").arg(options.fromAlias, name)};
    }
    // Every table is checked before any row moves.
    QStringList missing;
    for (const QString& name : tables) {
        if (targetName(targetTables, name).isEmpty())
            missing.append(name);
    }
    if (!missing.isEmpty()) {
        throw Exception(QStringLiteral("%1 has no table %2 (--create makes them)")
                            .arg(options.toAlias, missing.join(QStringLiteral(", "))));
    }

    DryRun dryRun(target.database, target.table, options.dryRun);
    CommandLineHost host(barWanted(options));
    int exitCode = ExitDone;
    qint64 moved = 0, skipped = 0, alreadyThere = 0, committed = 0;
    for (int t = 0; t < tables.size(); ++t) {
        const QString& name = tables[t];
        QElapsedTimer tableTimer;
        tableTimer.start();
        JobOptions tableOptions = options;
        tableOptions.fromTable = name;
        tableOptions.toTable = targetName(targetTables, name);
        source.open(tableOptions.fromTable);
        target.open(tableOptions.toTable);
        host.setLabel(QStringLiteral("%1/%2 %3").arg(t + 1).arg(tables.size()).arg(name));
        const TableMoveResult result = MoveTable(source, target.table, tableOptions, host);
        moved += result.moved;
        skipped += result.skipped;
        alreadyThere += result.alreadyThere;
        committed += result.committed;
        exitCode = worse(exitCode, result.exitCode);
        if (!options.quiet) {
            if (!result.resumedAfter.isEmpty())
                PrintError(QStringLiteral("%1: resumed after %2").arg(name, result.resumedAfter));
            PrintError(name + QStringLiteral(": ") +
                       result.summary(seconds(tableTimer), options.dryRun));
        }
        // A stop ends the copy: the tables after it are left as they are.
        if (result.stopped)
            break;
    }
    if (!options.quiet) {
        PrintError(QStringLiteral("%1 tables: %2 rows moved, %3 skipped, %4 already there, %5 "
                                  "committed, in %6 s")
                       .arg(QString::number(tables.size()), QString::number(moved),
                            QString::number(skipped), QString::number(alreadyThere),
                            QString::number(committed), seconds(timer)));
    }
    return exitCode;
}
