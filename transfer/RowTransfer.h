#pragma once

#include "transfer/BatchRun.h"
#include "transfer/FieldMapping.h"
#include "transfer/ValueCarry.h"

#include <functional>
#include <vector>

class TField;
class TTable;

// The options that steer a data move, read afresh each time they are used.
struct MoveOptions {
    std::function<bool()> noTypeComparison;
    std::function<bool()> autoCommit;
    // Rows between commits (the whole part of the options' number); 0 fails every row.
    std::function<qint64()> autoCommitInterval;
    // When set, an auto-commit drops each earlier row whose own values fail, tells it the
    // failure and writes the rest (a run that skips failed rows); else the commit fails whole.
    std::function<void(const QString& message)> droppedAtCommit;
};

// The data move's pieces of a batch run: the type check before it, and per row the auto-commit
// test and the insert of one target record from the source's current row.
class RowTransfer {
public:
    RowTransfer(TTable& source, TTable& target, const FieldMappingArray& mapping,
                MoveOptions options);

    // Whether the run may go on; a target field named by two source fields, or a type
    // mismatch, is reported first.
    bool CheckFieldTypes();
    // Auto-commit test for list position `index`, then InsertTargetRow.
    void RowStep(int index);
    // Adds one record to the target from the source's current row; on failure nothing of the
    // row stays behind.
    void InsertTargetRow();
    // Discards the target's unfinished record, if there is one.
    void DiscardUnfinishedRecord();
    // Asks "Continue ?"; true stops the run.
    static bool AskContinue(const QString& message);
    // The bookmark of the last source row an auto-commit wrote; empty before the first.
    const QByteArray& LastCommittedSourceRow() const { return m_lastCommitted; }
    // Commits what is pending as the run's auto-commits do; after it, every posted row is
    // committed.
    void CommitPending();

    BatchPieces pieces();

private:
    struct Pair {
        TField* source;
        TField* target;
        CarryRule rule;
    };
    void resolveFields();
    // False, after saying so, when two source fields go into one target field.
    bool CheckTargetsDistinct();

    TTable& m_source;
    TTable& m_target;
    const FieldMappingArray& m_mapping;
    MoveOptions m_options;
    std::vector<Pair> m_pairs;
    bool m_resolved = false;
    bool m_resolvedNoComp = false;
    QByteArray m_lastPosted;
    QByteArray m_lastCommitted;
};
