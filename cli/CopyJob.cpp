#include "cli/CommandLineHost.h"
#include "cli/CommandLineJobs.h"
#include "cli/CommandLinePrompts.h"
#include "cli/JobParts.h"
#include "cli/TableCreate.h"
#include "cli/TableMove.h"
#include "data/CopyOrder.h"
#include "data/Exceptions.h"

#include <QElapsedTimer>
#include <QMap>
#include <optional>

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

QString circle(const QStringList& cycle) {
    return (cycle + QStringList{cycle.first()}).join(QStringLiteral(" -> "));
}

// Tables whose foreign keys in the target reference each other in a circle take no rows in any
// order, unless the engine leaves the keys unchecked (SQLite, as Rowcart connects to it).
void refuseEnforcedCycle(TDatabase& target, const QString& alias, const QStringList& cycle,
                         const QStringList& targetTables) {
    if (target.driver().engine() == SqlEngine::SQLite)
        return;
    QVector<TableStructure> held;
    for (const QString& name : cycle) {
        const QString there = targetName(targetTables, name);
        if (!there.isEmpty())
            held.append(target.driver().describeTable(there));
    }
    const CopyOrder order = OrderForCopy(held);
    if (!order.cycle.isEmpty()) {
        throw Exception(
            QStringLiteral("The foreign keys of %1 in %2 reference each other in a "
                           "circle (%3), so no order of tables fills them; copy into "
                           "tables without them, or with --create into new ones")
                .arg(order.cycle.join(QStringLiteral(", ")), alias, circle(order.cycle)));
    }
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
    // Tables after the tables they reference, as the source declares them.
    QVector<TableStructure> structures;
    for (const QString& name : tables)
        structures.append(source.database.driver().describeTable(name));
    const CopyOrder order = OrderForCopy(structures);
    QMap<QString, TableStructure> structureOf;
    for (const TableStructure& structure : structures)
        structureOf.insert(structure.name, structure);

    // Every table is checked, and every statement made, before any row moves.
    std::optional<TableCreate> creating;
    if (options.create)
        creating.emplace(source.database, target.database, options);
    QStringList missing;
    QMap<QString, QString> createStatements;
    for (const QString& name : order.tables) {
        const QString there = targetName(targetTables, name);
        if (!there.isEmpty()) {
            structureOf[name].name = there;
            continue;
        }
        missing.append(name);
        if (creating)
            createStatements.insert(name, creating->createStatement(structureOf[name]));
    }
    if (!missing.isEmpty() && !creating) {
        throw Exception(QStringLiteral("%1 has no table %2 (--create makes them)")
                            .arg(options.toAlias, missing.join(QStringLiteral(", "))));
    }
    if (!order.cycle.isEmpty()) {
        refuseEnforcedCycle(target.database, options.toAlias, order.cycle, targetTables);
        if (!options.quiet) {
            PrintError(QStringLiteral("Tables referencing each other in a circle: %1; their "
                                      "foreign keys are added after the rows of every table")
                           .arg(circle(order.cycle)));
        }
    }

    DryRun dryRun(target.database, target.table, options.dryRun);
    for (const QString& name : missing) {
        creating->create(structureOf[name], createStatements[name]);
        targetTables.append(name);
        if (!options.quiet)
            PrintError(name + QStringLiteral(": created"));
    }
    CommandLineHost host(barWanted(options));
    int exitCode = ExitDone;
    qint64 moved = 0, skipped = 0, alreadyThere = 0, committed = 0;
    bool stopped = false;
    for (int t = 0; t < order.tables.size(); ++t) {
        const QString& name = order.tables[t];
        QElapsedTimer tableTimer;
        tableTimer.start();
        JobOptions tableOptions = options;
        tableOptions.fromTable = name;
        tableOptions.toTable = targetName(targetTables, name);
        // The tables --create makes (in this run or one before) have the target's own types
        // for the source's, so values are carried by type, each exactly or failing its row.
        tableOptions.typed = options.typed || options.create;
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
        // A stop ends the copy: the tables after it are left as they are, and the indexes
        // and keys wait for the run that completes it.
        if (result.stopped) {
            stopped = true;
            break;
        }
        if (creating)
            creating->addUniqueIndexes(structureOf[name]);
    }
    if (creating && !stopped) {
        for (const QString& name : order.tables)
            creating->addForeignKeys(structureOf[name]);
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
