#include "transfer/RowTransfer.h"

#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"

RowTransfer::RowTransfer(TTable& source, TTable& target, const FieldMappingArray& mapping,
                         MoveOptions options)
    : m_source(source), m_target(target), m_mapping(mapping), m_options(std::move(options)) {}

bool RowTransfer::CheckTargetsDistinct() {
    if (!m_target.Active())
        return true;
    const int count = std::min<int>(m_mapping.size(), m_source.NumberOfFields());
    for (int i = 0; i < count; ++i) {
        const TField* target = m_target.LookupField(m_mapping[i].targetName);
        for (int j = 0; target && j < i; ++j) {
            if (m_target.LookupField(m_mapping[j].targetName) != target)
                continue;
            // One of the two values would be lost without a word.
            Prompts().message(QStringLiteral("Fields \"") + m_source.FieldAt(j)->FieldName() +
                                  QStringLiteral("\" and \"") + m_source.FieldAt(i)->FieldName() +
                                  QStringLiteral("\" in \"From\" both go to field \"") +
                                  target->FieldName() + QStringLiteral("\" in \"To\" !"),
                              ApplicationTitle, UserPrompts::Ok, UserPrompts::Icon::None);
            return false;
        }
    }
    return true;
}

bool RowTransfer::CheckFieldTypes() {
    m_resolved = false;
    if (!CheckTargetsDistinct())
        return false;
    if (m_options.noTypeComparison())
        return true;
    if (!m_target.Active())
        return true;
    const int count = std::min<int>(m_mapping.size(), m_source.NumberOfFields());
    for (int i = 0; i < count; ++i) {
        const TField* target = m_target.LookupField(m_mapping[i].targetName);
        const TField* source = m_source.FieldAt(i);
        if (target && target->FieldType() != source->FieldType()) {
            Prompts().message(
                QStringLiteral("Field type \"") + source->FieldName() +
                    QStringLiteral("\" in \"From\" not comply with type of field \"") +
                    m_mapping[i].targetName + QStringLiteral("\" in \"To\" !"),
                ApplicationTitle, UserPrompts::Ok, UserPrompts::Icon::None);
            return false;
        }
    }
    return true;
}

void RowTransfer::resolveFields() {
    // The fields are looked up once per run: the target cannot change while the window is
    // busy, and a name lookup per field per row costs more than the copy itself.
    const bool noComp = m_options.noTypeComparison();
    if (m_resolved && noComp == m_resolvedNoComp)
        return;
    m_pairs.clear();
    const int count = std::min<int>(m_mapping.size(), m_source.NumberOfFields());
    for (int k = 0; k < count; ++k) {
        TField* target = m_target.LookupField(m_mapping[k].targetName);
        if (!target)
            continue;
        TField* source = m_source.FieldAt(k);
        m_pairs.push_back(Pair{source, target, CarryRuleFor(noComp, source->FieldType())});
    }
    m_resolved = true;
    m_resolvedNoComp = noComp;
}

void RowTransfer::RowStep(int index) {
    if (m_options.autoCommit()) {
        const qint64 interval = m_options.autoCommitInterval();
        if (interval == 0)
            throw Exception(QStringLiteral("Division by zero"));
        if (static_cast<qint64>(index) % interval == 0)
            CommitPending();
    }
    InsertTargetRow();
}

void RowTransfer::CommitPending() {
    if (m_options.droppedAtCommit)
        m_target.CommitPendingUpdatesDroppingFailedRows(m_options.droppedAtCommit);
    else
        m_target.CommitPendingUpdates();
    m_lastCommitted = m_lastPosted;
}

void RowTransfer::InsertTargetRow() {
    m_target.StartInsert();
    resolveFields();
    for (const Pair& pair : m_pairs)
        CarryValue(pair.rule, *pair.source, *pair.target);
    m_target.PostRecord();
    m_lastPosted = m_source.CurrentBookmark();
}

void RowTransfer::DiscardUnfinishedRecord() {
    // A half-filled or rejected record must not be posted later by a cursor move.
    if (m_target.State() == TableState::Insert || m_target.State() == TableState::Edit)
        m_target.CancelRecord();
}

bool RowTransfer::AskContinue(const QString& message) {
    const UserPrompts::Button answer =
        Prompts().message(QStringLiteral("Can`t insert this row in \"From\" to \"To\":\n\r") +
                              message + QStringLiteral("\n\rContinue ?"),
                          QStringLiteral("Continue ?"), UserPrompts::Yes | UserPrompts::No,
                          UserPrompts::Icon::Warning);
    return answer != UserPrompts::Yes;
}

BatchPieces RowTransfer::pieces() {
    BatchPieces pieces;
    pieces.prepare = [this] { return CheckFieldTypes(); };
    pieces.skipUnselected = true;
    pieces.progressInsideGuard = true;
    pieces.rowStep = [this](int index) { RowStep(index); };
    pieces.discardFailedRow = [this] { DiscardUnfinishedRecord(); };
    pieces.stopAfterError = &RowTransfer::AskContinue;
    return pieces;
}
