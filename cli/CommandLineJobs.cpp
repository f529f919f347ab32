#include "cli/CommandLineJobs.h"

#include "cli/CommandLineHost.h"
#include "cli/CommandLinePrompts.h"
#include "cli/JobParts.h"
#include "cli/TableCreate.h"
#include "cli/TableMove.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/TransferSides.h"
#include "grids/ControlsSuspension.h"
#include "grids/RowSelection.h"
#include "script/ScriptExecution.h"
#include "script/ScriptFileLines.h"
#include "script/ScriptGeneration.h"
#include "script/ScriptText.h"
#include "settings/SqlDialects.h"
#include "transfer/BatchRun.h"
#include "transfer/RowTransfer.h"
#include "transfer/RowWalk.h"

#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <cstring>
#include <optional>

namespace {

using namespace JobParts;

// The script as the SQL window's buffer would hold it, written as it grows.
class OutputScriptSide : public ScriptSide {
public:
    OutputScriptSide(const JobOptions& options, QIODevice& out, QString connectText)
        : m_options(options), m_out(out), m_connectText(std::move(connectText)) {}
    ~OutputScriptSide() override {
        try {
            flush();
        } catch (const Exception&) {
            // Only after a failure that is reported already.
        }
    }
    OutputScriptSide(const OutputScriptSide&) = delete;
    OutputScriptSide& operator=(const OutputScriptSide&) = delete;

    void clearAndShow() override {}
    void addText(const QString& text) override {
        // The buffer's own rule: every break a line feed, and the text ends its line.
        m_pending += ScriptText::WithLineFeeds(text).toUtf8();
        m_pending += '\n';
        if (m_pending.size() >= 1 << 16)
            flush();
    }
    void repaintScript() override {}
    bool scriptVisible() override { return true; }
    int sqlDialect() override { return m_options.dialect; }
    QString sqlDialectName() override { return SqlDialects::Names().value(m_options.dialect); }
    QString scriptDivider() override { return m_options.divider; }
    bool autoCommit() override { return m_options.commitEvery != 0; }
    int autoCommitInterval() override { return static_cast<int>(m_options.commitEvery); }
    QString targetTableName() override { return m_options.toTable; }
    QString sourceConnectText() override { return m_connectText; }
    QString sourceTableName() override { return m_options.fromTable; }

    void flush() {
        if (m_pending.isEmpty())
            return;
        if (m_out.write(m_pending) != m_pending.size())
            throw Exception(QStringLiteral("Cannot write the script: ") + m_out.errorString());
        m_pending.clear();
    }

private:
    const JobOptions& m_options;
    QIODevice& m_out;
    QString m_connectText;
    QByteArray m_pending;
};

}  // namespace

int RunMoveJob(const JobOptions& options, CommandLinePrompts& prompts) {
    QElapsedTimer timer;
    timer.start();
    SourceSide source(options.fromAlias, prompts);
    source.open(options.fromTable);
    TargetSide target(options.toAlias, prompts);
    QStringList targetTables;
    target.database.ReadTableList(targetTables);
    std::optional<TableCreate> creating;
    TableStructure created;
    QString createStatement;
    if (!targetTables.contains(options.toTable, Qt::CaseInsensitive)) {
        if (!options.create) {
            throw Exception(QStringLiteral("%1 has no table %2 (--create makes it)")
                                .arg(options.toAlias, options.toTable));
        }
        creating.emplace(source.database, target.database, options);
        created = creating->describe(options.fromTable, options);
        createStatement = creating->createStatement(created);
    }

    // A dry run's auto-commits land inside this transaction and go with its rollback.
    DryRun dryRun(target.database, target.table, options.dryRun);
    if (creating) {
        creating->create(created, createStatement);
        if (!options.quiet)
            PrintError(options.toTable + QStringLiteral(": created"));
    }
    target.open(options.toTable);
    CommandLineHost host(barWanted(options));
    JobOptions moveOptions = options;
    moveOptions.typed = options.typed || options.create;
    const TableMoveResult result = MoveTable(source, target.table, moveOptions, host);
    if (creating && !result.stopped) {
        creating->addUniqueIndexes(created);
        creating->addForeignKeys(created);
    }
    if (!options.quiet) {
        if (!result.resumedAfter.isEmpty())
            PrintError(QStringLiteral("Resumed after %1").arg(result.resumedAfter));
        PrintError(result.summary(seconds(timer), options.dryRun));
    }
    return result.exitCode;
}

int RunScriptJob(const JobOptions& options, CommandLinePrompts& prompts) {
    QElapsedTimer timer;
    timer.start();
    SourceSide source(options.fromAlias, prompts);
    source.open(options.fromTable);
    const FieldMappingArray equalNames = buildMapping(source.table, options);
    int notFound = 0;
    const std::unique_ptr<RowWalk> rows = rowsOf(source, options, notFound);

    // From here on Ctrl+C stops the run rather than the process, so the file is never left
    // half-written.
    CommandLineHost host(barWanted(options));
    QSaveFile file(options.outputFile);
    QFile standardOutput;
    QIODevice* out = &file;
    // The side writes in pieces of its own and checks each. Unbuffered, a short write shows
    // there; the save file's commit would let a short flush of its buffer pass.
    if (options.outputFile.isEmpty()) {
        standardOutput.open(stdout, QIODevice::WriteOnly);
        out = &standardOutput;
    } else if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw Exception(
            QStringLiteral("Cannot write %1: %2").arg(options.outputFile, file.errorString()));
    }

    FieldMappingArray mapping;
    OutputScriptSide side(options, *out, TransferSides::ConnectText(source.database));
    ScriptGeneration generation(source.table, mapping, side);
    BatchPieces pieces = generation.Pieces();
    reportFailuresOf(pieces, source.table, options);
    // The trailer says the script is finished: a stopped run's script is not.
    bool stoppedOnError = false;
    const auto rowFailed = pieces.rowFailed;
    pieces.rowFailed = [rowFailed, &stoppedOnError](int index, const QString& message, bool rowsOwn,
                                                    bool skipped) {
        stoppedOnError = stoppedOnError || !skipped;
        rowFailed(index, message, rowsOwn, skipped);
    };
    const auto closing = pieces.closing;
    pieces.closing = [closing, &stoppedOnError] {
        if (!CommandLineHost::interrupted() && !stoppedOnError)
            closing();
    };
    BatchRun run(host);
    host.setRun(&run);
    const BatchOutcome outcome = run.RunBatch(
        source.table, *rows,
        [&mapping, &equalNames] {
            mapping = equalNames;
            return 1;
        },
        pieces);
    const bool complete = outcome.completed;
    // An incomplete script never replaces the file: the save file drops what it holds.
    if (complete || options.outputFile.isEmpty())
        side.flush();
    if (complete && !options.outputFile.isEmpty() && !file.commit())
        throw Exception(
            QStringLiteral("Cannot write %1: %2").arg(options.outputFile, file.errorString()));
    const qint64 skipped = outcome.rowsFailed + notFound;
    if (!options.quiet) {
        QString summary =
            QStringLiteral("%1 statements written, %2 skipped, in %3 s")
                .arg(QString::number(outcome.rowsDone), QString::number(skipped), seconds(timer));
        if (!complete) {
            summary.prepend(QStringLiteral("Stopped: "));
            if (!options.outputFile.isEmpty())
                summary += QStringLiteral("; %1 left as it was").arg(options.outputFile);
        }
        PrintError(summary);
    }
    return exitFor(outcome, false, skipped);
}

int RunExecJob(const JobOptions& options, CommandLinePrompts& prompts) {
    QElapsedTimer timer;
    timer.start();
    if (!QFile(options.scriptFile).open(QIODevice::ReadOnly))
        throw UsageError{QStringLiteral("Cannot read the script %1").arg(options.scriptFile)};
    const ScriptFileSource script(options.scriptFile);

    TDatabase database;
    TransferSides::SetUpTarget(database);
    connect(database, options.toAlias, prompts);
    int statements = 0;
    try {
        statements = RunScript(script, options.divider, database);
    } catch (const ENoStatement&) {
        throw Exception(
            QStringLiteral("%1: the script holds no statement").arg(options.scriptFile));
    }
    if (!options.quiet) {
        PrintError(QStringLiteral("%1 statements executed and committed, in %2 s")
                       .arg(QString::number(statements), seconds(timer)));
    }
    return ExitDone;
}
