#include "cli/CommandLineJobs.h"

#include "cli/CommandLineHost.h"
#include "cli/CommandLinePrompts.h"
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

namespace {

bool barWanted(const JobOptions& options) {
    return !options.quiet && isatty(STDERR_FILENO);
}

void connect(TDatabase& database, const QString& alias, CommandLinePrompts& prompts) {
    database.SetAliasName(alias);
    prompts.setAliasForLogin(alias);
    database.Connect();
}

void openTable(TTable& table, const QString& name) {
    table.SetTableName(name);
    table.OpenTable();
}

// The source side as the window has it.
struct Source {
    explicit Source(const JobOptions& options, CommandLinePrompts& prompts)
        : session(TransferSides::SourceSession) {
        TransferSides::SetUpSource(database, table);
        connect(database, options.fromAlias, prompts);
        openTable(table, options.fromTable);
        selection.setTable(&table);
    }

    TSession session;
    TDatabase database;
    TTable table;
    RowSelection selection;
};

// Selects the rows of the keys file (one key per line, compound keys' values tab-separated,
// in the fields' text forms) with one walk over the table; returns how many keys no row has.
int selectKeys(Source& source, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageError{QStringLiteral("Cannot read the keys file %1").arg(path)};
    const QVector<int> keyFields = source.table.KeyFieldIndexes();
    if (keyFields.isEmpty()) {
        throw Exception(
            QStringLiteral("Table %1 has no key to find rows by").arg(source.table.TableName()));
    }
    QSet<QString> wanted;
    qint64 lineNumber = 0;
    const auto take = [&](const char* begin, const char* end) {
        ++lineNumber;
        while (end != begin && (end[-1] == '\r' || end[-1] == '\n'))
            --end;
        if (end == begin)
            return;
        const QString key = QString::fromUtf8(begin, end - begin);
        if (key.count(QLatin1Char('\t')) + 1 != keyFields.size()) {
            throw UsageError{QStringLiteral("%1:%2: a key of %3 needs %4 tab-separated values")
                                 .arg(path, QString::number(lineNumber), source.table.TableName(),
                                      QString::number(keyFields.size()))};
        }
        wanted.insert(key);
    };
    // A block at a time, cut at line feeds: a huge file of empty lines costs next to nothing.
    QByteArray block;
    QByteArray partial;
    while (!(block = file.read(1 << 20)).isEmpty()) {
        const char* at = block.constData();
        const char* const end = at + block.size();
        while (const char* feed = static_cast<const char*>(std::memchr(at, '\n', end - at))) {
            if (partial.isEmpty()) {
                take(at, feed);
            } else {
                partial.append(at, feed - at);
                take(partial.constData(), partial.constData() + partial.size());
                partial.clear();
            }
            at = feed + 1;
        }
        partial.append(at, end - at);
    }
    if (!partial.isEmpty())
        take(partial.constData(), partial.constData() + partial.size());
    TTable& table = source.table;
    table.MoveFirst();
    QStringList parts;
    while (!table.AtEnd() && !wanted.isEmpty()) {
        parts.clear();
        for (int index : keyFields)
            parts.append(table.FieldAt(index)->ReadText());
        if (wanted.remove(parts.join(QLatin1Char('\t'))))
            source.selection.SetCurrentRowSelected(true);
        table.MoveNext();
    }
    for (const QString& key : wanted)
        PrintError(QStringLiteral("Key not found: ") + key);
    return wanted.size();
}

// The rows a job visits: those of the keys file, or every row of the table, walked without
// holding a key per row. Returns the walk; `notFound` counts the keys no row has.
std::unique_ptr<RowWalk> rowsOf(Source& source, const JobOptions& options, int& notFound) {
    notFound = 0;
    if (options.keysFile.isEmpty())
        return std::make_unique<TableWalk>(source.table);
    notFound = selectKeys(source, options.keysFile);
    return std::make_unique<SelectionWalk>(source.selection);
}

// Equal names, as the mapping dialog starts, then the --map choices.
FieldMappingArray buildMapping(const TTable& source, const JobOptions& options) {
    FieldMappingArray mapping;
    for (int i = 0; i < source.NumberOfFields(); ++i) {
        const QString name = source.FieldAt(i)->FieldName();
        mapping.append(FieldMapping{name, name});
    }
    for (const auto& [from, to] : options.maps) {
        bool found = false;
        for (FieldMapping& entry : mapping) {
            if (entry.sourceName.compare(from, Qt::CaseInsensitive) == 0) {
                entry.targetName = to;
                found = true;
            }
        }
        if (!found) {
            throw UsageError{
                QStringLiteral("--map %1: table %2 has no field %1").arg(from, source.TableName())};
        }
    }
    return mapping;
}

QString seconds(const QElapsedTimer& timer) {
    return QString::number(timer.elapsed() / 1000.0, 'f', 1);
}

// A failed row, said in one line: the row named when the failure was its own; a failure that
// lies in the engine names none.
void reportRowFailure(TTable& source, const QString& message, bool rowsOwn, bool skipped) {
    if (!rowsOwn) {
        PrintError(QStringLiteral("Stopped: ") + message);
        return;
    }
    PrintError(QStringLiteral("Row %1 %2: %3")
                   .arg(source.DescribeCurrentRow(),
                        skipped ? QStringLiteral("skipped") : QStringLiteral("failed"), message));
}

void reportFailuresOf(BatchPieces& pieces, TTable& source, const JobOptions& options) {
    pieces.onRowFailure = options.skipFailedRows ? RowFailurePolicy::Skip : RowFailurePolicy::Stop;
    pieces.rowFailed = [&source](int, const QString& message, bool rowsOwn, bool skipped) {
        reportRowFailure(source, message, rowsOwn, skipped);
    };
}

// Ctrl+C counts only where it cut the run short: one that came during the final commit of a
// run whose every row was visited changed nothing.
int exitFor(const BatchOutcome& outcome, bool failed, qint64 skipped) {
    if (outcome.stopped && CommandLineHost::interrupted())
        return ExitInterrupted;
    if (failed || outcome.stoppedOnError || !outcome.completed)
        return ExitFailed;
    return skipped > 0 ? ExitRowsSkipped : ExitDone;
}

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
    Source source(options, prompts);
    TDatabase targetDb;
    TTable target;
    TransferSides::SetUpTarget(targetDb, target);
    connect(targetDb, options.toAlias, prompts);
    openTable(target, options.toTable);

    const FieldMappingArray equalNames = buildMapping(source.table, options);
    int notFound = 0;
    const std::unique_ptr<RowWalk> rows = rowsOf(source, options, notFound);

    // A dry run's auto-commits land inside this transaction and go with its rollback.
    struct DryRun {
        TDatabase& database;
        TTable& table;
        bool active;
        ~DryRun() {
            if (!active)
                return;
            try {
                table.CancelPendingUpdates();
                if (database.TransactionActive())
                    database.RollbackTransaction();
            } catch (const Exception& e) {
                PrintError(e.message());
            }
        }
    } dryRun{targetDb, target, options.dryRun};
    if (options.dryRun)
        targetDb.BeginTransaction();

    FieldMappingArray mapping;
    MoveOptions moveOptions;
    moveOptions.noTypeComparison = [&options] { return options.typed; };
    moveOptions.autoCommit = [&options] { return options.commitEvery != 0; };
    moveOptions.autoCommitInterval = [&options] { return options.commitEvery; };
    qint64 dropped = 0;
    if (options.skipFailedRows) {
        moveOptions.droppedAtCommit = [&dropped](const QString& message) {
            ++dropped;
            PrintError(QStringLiteral("Skipped at commit: ") + message);
        };
    }
    RowTransfer transfer(source.table, target, mapping, moveOptions);
    BatchPieces pieces = transfer.pieces();
    reportFailuresOf(pieces, source.table, options);

    CommandLineHost host(barWanted(options));
    BatchRun run(host);
    host.setRun(&run);
    BatchOutcome outcome;
    {
        // As the window's run does: nothing listens here, but each row would still be announced.
        ControlsSuspension quietTarget(&target), quietSource(&source.table);
        outcome = run.RunBatch(
            source.table, *rows,
            [&mapping, &equalNames] {
                mapping = equalNames;
                return 1;
            },
            pieces);
    }
    if (!outcome.started && outcome.rows > 0)
        return ExitFailed;

    // The rows of a run that did not end are rolled back; so are those of a commit that failed,
    // which keeps them pending.
    bool commitFailed = false;
    if (!options.dryRun && outcome.completed) {
        try {
            transfer.CommitPending();
        } catch (const Exception& error) {
            PrintError(QStringLiteral("Stopped: ") + error.message());
            commitFailed = true;
        }
    }
    const qint64 rolledBack = target.PendingInsertCount();
    if (rolledBack > 0) {
        try {
            target.CancelPendingUpdates();
        } catch (const Exception&) {
            // The rows are dropped before the table is read again, which the engine that
            // failed may refuse; nobody looks at the table any more.
        }
    }
    const qint64 committed = target.CommittedInsertions();
    const qint64 skipped = outcome.rowsFailed + dropped + notFound;
    const qint64 moved = outcome.rowsDone - dropped;
    if (!options.quiet) {
        QString summary;
        if (options.dryRun) {
            summary =
                QStringLiteral("Dry run: %1 rows would be moved, %2 skipped; nothing kept, in %3 s")
                    .arg(QString::number(moved), QString::number(skipped), seconds(timer));
        } else if (!outcome.completed || commitFailed) {
            QString last;
            if (committed > 0 && !transfer.LastCommittedSourceRow().isEmpty()) {
                source.table.MoveToBookmark(transfer.LastCommittedSourceRow());
                last = QStringLiteral(" (the last %1)").arg(source.table.DescribeCurrentRow());
            }
            summary = QStringLiteral(
                          "Stopped: %1 rows moved, %2 skipped, %3 committed before the "
                          "stop%4, %5 rolled back, in %6 s")
                          .arg(QString::number(moved), QString::number(skipped),
                               QString::number(committed), last, QString::number(rolledBack),
                               seconds(timer));
        } else {
            summary = QStringLiteral("%1 rows moved, %2 skipped, %3 committed, in %4 s")
                          .arg(QString::number(moved), QString::number(skipped),
                               QString::number(committed), seconds(timer));
        }
        PrintError(summary);
    }
    return exitFor(outcome, commitFailed, skipped);
}

int RunScriptJob(const JobOptions& options, CommandLinePrompts& prompts) {
    QElapsedTimer timer;
    timer.start();
    Source source(options, prompts);
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
