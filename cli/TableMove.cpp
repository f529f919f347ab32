#include "cli/TableMove.h"

#include "cli/CommandLineHost.h"
#include "cli/CommandLinePrompts.h"
#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "data/TField.h"
#include "grids/ControlsSuspension.h"
#include "transfer/RowTransfer.h"
#include "transfer/RowWalk.h"

namespace {

// The source's key goes into the target's key, field by field: two source rows never meet on
// one target key.
bool sameKey(const TTable& source, const TTable& target, const FieldMappingArray& mapping) {
    const QVector<int> keys = source.KeyFieldIndexes();
    const QVector<int> targetKeys = target.KeyFieldIndexes();
    if (keys.isEmpty() || keys.size() != targetKeys.size())
        return false;
    for (int i = 0; i < keys.size(); ++i) {
        if (mapping.value(keys[i]).targetName.compare(target.FieldAt(targetKeys[i])->FieldName(),
                                                      Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// The key a move that skips duplicates can start after: the target holds exactly the source's
// rows up to its largest key, as after a stopped run into a table that was empty. Only single
// keys of integers or text, whose bookmarks every driver writes alike; empty otherwise.
QByteArray resumeAfter(TTable& source, TTable& target, const FieldMappingArray& mapping) {
    const QVector<int> keys = source.KeyFieldIndexes();
    if (keys.size() != 1 || !sameKey(source, target, mapping) || target.IsEmpty())
        return {};
    const TField* sourceKey = source.FieldAt(keys.first());
    const TField* targetKey = target.FieldAt(target.KeyFieldIndexes().first());
    target.MoveLast();
    const QVariant largest = targetKey->Value();
    KeyCodec codec;
    if (KindOf(sourceKey->FieldType()) == FieldKind::Integer &&
        KindOf(targetKey->FieldType()) == FieldKind::Integer)
        codec.appendInt(largest.toLongLong());
    else if (KindOf(sourceKey->FieldType()) == FieldKind::Text &&
             KindOf(targetKey->FieldType()) == FieldKind::Text)
        codec.appendText(largest.toString());
    else
        return {};
    try {
        source.MoveToBookmark(codec.bytes());
    } catch (const Exception&) {
        return {};
    }
    return source.RecNo() + 1 == target.RecordCount() ? codec.bytes() : QByteArray();
}

}  // namespace

QString TableMoveResult::summary(const QString& seconds, bool dryRun) const {
    const QString counts =
        QStringLiteral("%1 rows moved, %2 skipped, %3%4 committed")
            .arg(QString::number(moved), QString::number(skipped),
                 alreadyThere > 0 ? QStringLiteral("%1 already there, ").arg(alreadyThere)
                                  : QString(),
                 QString::number(committed));
    if (dryRun)
        return QStringLiteral("Dry run: %1 rows would be moved, %2 skipped; nothing kept, in %3 s")
            .arg(QString::number(moved), QString::number(skipped), seconds);
    if (!stopped)
        return counts + QStringLiteral(", in %1 s").arg(seconds);
    return QStringLiteral("Stopped: %1 before the stop%2, %3 rolled back, in %4 s")
        .arg(counts,
             lastCommitted.isEmpty() ? QString()
                                     : QStringLiteral(" (the last %1)").arg(lastCommitted),
             QString::number(rolledBack), seconds);
}

TableMoveResult MoveTable(JobParts::SourceSide& source, TTable& target, const JobOptions& options,
                          CommandLineHost& host) {
    TableMoveResult result;
    const FieldMappingArray equalNames = JobParts::buildMapping(source.table, options);
    target.SetOnDuplicate(options.onDuplicate);
    int notFound = 0;
    std::unique_ptr<RowWalk> rows;
    if (options.onDuplicate == OnDuplicate::Skip && options.keysFile.isEmpty()) {
        const QByteArray after = resumeAfter(source.table, target, equalNames);
        if (!after.isEmpty()) {
            result.alreadyThere = source.table.RecNo() + 1;
            result.resumedAfter = source.table.DescribeCurrentRow();
            rows = std::make_unique<TableWalk>(source.table, after);
        }
    }
    // Into an empty table, or past the largest integer key of one that held the rows up to
    // it, no row can meet one already there: plain insertions, which the engines write
    // without looking for a duplicate (PostgreSQL's stay one COPY).
    if (options.onDuplicate != OnDuplicate::Fail && options.keysFile.isEmpty() &&
        sameKey(source.table, target, equalNames)) {
        const bool pastIntegerKey =
            rows &&
            KindOf(source.table.FieldAt(source.table.KeyFieldIndexes().first())->FieldType()) ==
                FieldKind::Integer;
        if (pastIntegerKey || (!rows && target.IsEmpty()))
            target.SetOnDuplicate(OnDuplicate::Fail);
    }
    if (!rows)
        rows = JobParts::rowsOf(source, options, notFound);

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
    JobParts::reportFailuresOf(pieces, source.table, options);

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
    host.setRun(nullptr);
    if (!outcome.started && outcome.rows > 0) {
        result.stopped = true;
        result.exitCode = ExitFailed;
        return result;
    }

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
    result.rolledBack = target.PendingInsertCount();
    if (result.rolledBack > 0) {
        try {
            target.CancelPendingUpdates();
        } catch (const Exception&) {
            // The rows are dropped before the table is read again, which the engine that
            // failed may refuse; nobody looks at the table any more.
        }
    }
    result.committed = target.CommittedInsertions();
    result.alreadyThere += target.DuplicatesSkipped();
    result.skipped = outcome.rowsFailed + dropped + notFound;
    result.moved = outcome.rowsDone - dropped - target.DuplicatesSkipped();
    result.stopped = !outcome.completed || commitFailed;
    if (result.stopped && result.committed > 0 && !transfer.LastCommittedSourceRow().isEmpty()) {
        source.table.MoveToBookmark(transfer.LastCommittedSourceRow());
        result.lastCommitted = source.table.DescribeCurrentRow();
    }
    result.exitCode = JobParts::exitFor(outcome, commitFailed, result.skipped);
    return result;
}
