#include "data/TTable.h"

#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/KeyCodec.h"
#include "data/PendingCommit.h"
#include "data/RowCodec.h"
#include "data/RowDescription.h"
#include "data/TDatabase.h"
#include "data/TField.h"

#include <QLocale>
#include <algorithm>
#include <optional>

namespace {

// Rows read per query while walking the table.
constexpr int WindowSize = 512;
// Rows read around the cursor after a commit.
constexpr int RereadWindow = 64;

[[noreturn]] void closedDataset() {
    throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

}  // namespace

TTable::TTable(QObject* parent) : QObject(parent) {}

TTable::~TTable() {
    closeWithoutEvents(false);
}

void TTable::SetDatabaseName(const QString& name) {
    m_databaseName = name;
}

void TTable::SetSessionName(const QString& name) {
    m_sessionName = name;
}

void TTable::SetTableName(const QString& name) {
    if (Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_tableName = name;
}

TDatabase& TTable::Database() const {
    if (m_database)
        return *m_database;
    return FindDatabase(m_sessionName, m_databaseName);
}

void TTable::requireActive() const {
    if (!Active())
        closedDataset();
}

// ---- open and close ----

void TTable::OpenTable() {
    if (Active())
        return;
    TDatabase& db = FindDatabase(m_sessionName, m_databaseName);
    db.Connect();
    if (m_tableName.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Missing TableName property"));
    std::unique_ptr<TableCursor> cursor = db.driver().openTable(m_tableName, m_readOnly);

    const QVector<ColumnInfo>& columns = cursor->columns();
    m_fields.clear();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].type == ftCursor)
            continue;
        if (IsBlobType(columns[i].type))
            m_fields.push_back(std::make_unique<TBlobField>(*this, i, columns[i]));
        else
            m_fields.push_back(std::make_unique<TField>(*this, i, columns[i]));
    }
    m_cursor = std::move(cursor);
    m_database = &db;
    db.attach(this);
    m_state = TableState::Browse;
    m_pending.clear();
    m_committedInsertions = 0;
    m_duplicatesSkipped = 0;
    m_storedCount = -1;
    m_window.clear();
    m_pages.clear();
    MoveFirst();
    notifyActive();
    if (m_afterOpen)
        m_afterOpen(*this);
}

void TTable::CloseTable() {
    if (!Active())
        return;
    if (m_beforeClose)
        m_beforeClose(*this);
    closeWithoutEvents(true);
    if (m_afterClose)
        m_afterClose(*this);
}

void TTable::closeWithoutEvents(bool notify) {
    if (!Active())
        return;
    if (m_database)
        m_database->detach(this);
    m_database = nullptr;
    m_cursor.reset();
    m_fields.clear();
    m_pending.clear();
    m_window.clear();
    m_pages.clear();
    m_storedCount = -1;
    m_state = TableState::Inactive;
    m_modified = false;
    m_position = Position::None;
    m_key.clear();
    m_current.clear();
    m_recNo = -1;
    m_atEnd = m_atStart = true;
    if (notify)
        notifyActive();
}

// ---- fields ----

TField* TTable::FieldAt(int index) const {
    if (index < 0 || index >= NumberOfFields())
        throw EDatabaseError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_fields[static_cast<size_t>(index)].get();
}

TField* TTable::LookupField(const QString& name) const {
    const QLocale locale;
    const QString wanted = locale.toUpper(name);
    for (const auto& field : m_fields) {
        if (locale.toUpper(field->FieldName()) == wanted)
            return field.get();
    }
    return nullptr;
}

TField* TTable::RequireField(const QString& name) const {
    TField* field = LookupField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return field;
}

void TTable::setFieldValue(int index, QVariant value) {
    if (!Active())
        closedDataset();
    if (m_state != TableState::Insert && m_state != TableState::Edit)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    m_current[index] = std::move(value);
    m_modified = true;
    notifyCurrent();
}

// ---- the cursor ----

Row TTable::overlay(const FetchedRow& row) const {
    if (const PendingChange* change = m_pending.storedChange(row.key)) {
        if (change->kind == PendingChange::Modify)
            return change->values;
    }
    return row.values;
}

void TTable::loadStoredRow(int index) {
    const FetchedRow& row = m_window.rows[static_cast<size_t>(index)];
    m_position = Position::Stored;
    m_windowIndex = index;
    m_pendingIndex = -1;
    m_key = row.key;
    m_current = overlay(row);
}

void TTable::loadPendingRow(int index) {
    loadPendingRow(index, m_pending.insertion(index));
}

void TTable::loadPendingRow(int index, Row values) {
    m_position = Position::Pending;
    m_pendingIndex = index;
    m_windowIndex = -1;
    m_key = KeyCodec::pendingInsertKey(m_pending.insertionSerial(index));
    m_current = std::move(values);
}

void TTable::setEmptyCursor() {
    m_position = Position::None;
    m_key.clear();
    m_current = Row(NumberOfFields());
    m_windowIndex = m_pendingIndex = -1;
    m_recNo = -1;
    m_atEnd = m_atStart = true;
}

bool TTable::seekForwardFrom(int index) {
    for (;;) {
        const int size = static_cast<int>(m_window.rows.size());
        while (index < size && m_pending.isDeleted(m_window.rows[static_cast<size_t>(index)].key))
            ++index;
        if (index < size) {
            loadStoredRow(index);
            return true;
        }
        if (m_window.atStoredEnd || m_window.rows.empty())
            return false;
        std::vector<FetchedRow> next =
            m_cursor->fetchFrom(m_window.rows.back().key, false, WindowSize);
        if (next.empty()) {
            m_window.atStoredEnd = true;
            return false;
        }
        const qint64 start = m_window.start >= 0 ? m_window.start + size : -1;
        m_window.atStoredEnd = static_cast<int>(next.size()) < WindowSize;
        m_window.rows = std::move(next);
        m_window.start = start;
        index = 0;
    }
}

void TTable::endEditForMove() {
    if (m_state == TableState::Insert || m_state == TableState::Edit) {
        if (m_modified)
            PostRecord();
        else
            CancelRecord();
    }
}

void TTable::MoveFirst() {
    requireActive();
    endEditForMove();
    m_window.clear();
    m_window.rows = m_cursor->fetchFrom(QByteArray(), false, WindowSize);
    m_window.start = 0;
    m_window.atStoredEnd = static_cast<int>(m_window.rows.size()) < WindowSize;
    if (seekForwardFrom(0)) {
        m_recNo = 0;
        m_atEnd = false;
    } else if (m_pending.insertionCount() > 0) {
        loadPendingRow(0);
        m_recNo = 0;
        m_atEnd = false;
    } else {
        setEmptyCursor();
    }
    m_atStart = true;
    notifyCurrent();
}

void TTable::MoveNext() {
    requireActive();
    endEditForMove();
    bool moved = false;
    if (m_position == Position::Stored) {
        moved = seekForwardFrom(m_windowIndex + 1);
        if (!moved && m_pending.insertionCount() > 0) {
            loadPendingRow(0);
            moved = true;
        }
    } else if (m_position == Position::Pending && m_pendingIndex + 1 < m_pending.insertionCount()) {
        loadPendingRow(m_pendingIndex + 1);
        moved = true;
    }
    if (!moved) {
        m_atEnd = true;
        return;
    }
    if (m_recNo >= 0)
        ++m_recNo;
    m_atStart = false;
    m_atEnd = false;
    notifyCurrent();
}

void TTable::MovePrior() {
    requireActive();
    endEditForMove();
    const qint64 position = RecNo();
    if (position <= 0) {
        m_atStart = true;
        return;
    }
    MoveTo(position - 1);
    m_atStart = false;
}

void TTable::MoveLast() {
    requireActive();
    endEditForMove();
    const qint64 count = RecordCount();
    if (count == 0) {
        setEmptyCursor();
        notifyCurrent();
        return;
    }
    MoveTo(count - 1);
    m_atEnd = true;
}

bool TTable::IsEmpty() {
    return !Active() || RecordCount() == 0;
}

QByteArray TTable::CurrentBookmark() const {
    if (!Active())
        closedDataset();
    return m_position == Position::Stored || m_position == Position::Pending ? m_key : QByteArray();
}

QVector<QByteArray> TTable::Bookmarks() {
    requireActive();
    QVector<QByteArray> bookmarks;
    // Keys only: a walk reading whole rows costs many times more.
    constexpr int KeyWindow = 8192;
    QByteArray after;
    for (;;) {
        std::vector<QByteArray> keys = m_cursor->fetchKeysFrom(after, false, KeyWindow);
        if (keys.empty())
            break;
        const bool more = static_cast<int>(keys.size()) == KeyWindow;
        after = keys.back();
        for (QByteArray& key : keys) {
            if (!m_pending.isDeleted(key))
                bookmarks.append(std::move(key));
        }
        if (!more)
            break;
    }
    for (int i = 0; i < m_pending.insertionCount(); ++i)
        bookmarks.append(KeyCodec::pendingInsertKey(m_pending.insertionSerial(i)));
    return bookmarks;
}

int TTable::CompareBookmarks(const QByteArray& a, const QByteArray& b) const {
    return KeyCodec::compare(a, b);
}

void TTable::MoveToBookmark(const QByteArray& bookmark) {
    if (bookmark.isEmpty())
        return;
    requireActive();
    endEditForMove();
    if (KeyCodec::isPendingInsertKey(bookmark)) {
        const int index = m_pending.insertionIndex(KeyCodec::pendingInsertSerial(bookmark));
        if (index < 0)
            throw EDatabaseError(QStringLiteral("Record not found"));
        loadPendingRow(index);
        m_recNo = -1;
    } else {
        if (m_pending.isDeleted(bookmark) || !seekStoredKey(bookmark))
            throw EDatabaseError(QStringLiteral("Record not found"));
        m_recNo = -1;
    }
    m_atEnd = m_atStart = false;
    notifyCurrent();
}

bool TTable::seekStoredKey(const QByteArray& key) {
    const int current = m_position == Position::Stored ? m_windowIndex : -1;
    const int index = m_seek.find(*m_cursor, m_window, key, current);
    if (index < 0)
        return false;
    loadStoredRow(index);
    return true;
}

void TTable::SetBookmarkLookahead(BookmarkLookahead lookahead) {
    m_seek.setLookahead(std::move(lookahead), m_window);
}

// ---- positions ----

qint64 TTable::storedVisibleCount() {
    if (m_storedCount < 0)
        m_storedCount = m_cursor->rowCount();
    return m_storedCount - m_pending.deletedCount();
}

qint64 TTable::RecordCount() {
    if (!Active())
        return 0;
    return storedVisibleCount() + m_pending.insertionCount() +
           (m_state == TableState::Insert ? 1 : 0);
}

qint64 TTable::currentStoredPosition() {
    if (m_window.start < 0)
        m_window.start = m_cursor->positionOf(m_key) - m_windowIndex;
    return m_window.start + m_windowIndex;
}

qint64 TTable::RecNo() {
    if (!Active())
        return -1;
    if (m_recNo >= 0 && m_state != TableState::Insert)
        return m_recNo;
    switch (m_position) {
        case Position::Stored: {
            const qint64 stored = currentStoredPosition();
            m_recNo = stored - m_pending.deletedBefore(stored);
            break;
        }
        case Position::Pending:
            m_recNo = storedVisibleCount() + m_pendingIndex;
            break;
        case Position::Editing:
            return RecordCount() - 1;
        case Position::None:
            return -1;
    }
    return m_recNo;
}

void TTable::MoveTo(qint64 position) {
    requireActive();
    if (m_state == TableState::Insert && position == RecordCount() - 1)
        return;
    endEditForMove();
    const qint64 count = RecordCount();
    if (count == 0) {
        setEmptyCursor();
        notifyCurrent();
        return;
    }
    position = std::clamp<qint64>(position, 0, count - 1);
    const qint64 storedVisible = storedVisibleCount();
    if (position < storedVisible) {
        const qint64 stored = m_pending.storedPositionOfVisible(position);
        const qint64 size = static_cast<qint64>(m_window.rows.size());
        if (m_window.start < 0 || stored < m_window.start || stored >= m_window.start + size) {
            // Centre the window, so that stepping either way stays inside it for a while.
            const qint64 start = std::max<qint64>(0, stored - WindowSize / 2);
            m_window.rows = m_cursor->fetchAt(start, WindowSize);
            m_window.start = start;
            m_window.atStoredEnd = static_cast<qint64>(m_window.rows.size()) < WindowSize;
        }
        const qint64 index = stored - m_window.start;
        if (index >= static_cast<qint64>(m_window.rows.size()))
            throw EDatabaseError(QStringLiteral("Record not found"));
        loadStoredRow(static_cast<int>(index));
    } else {
        loadPendingRow(static_cast<int>(position - storedVisible));
    }
    m_recNo = position;
    m_atStart = position == 0;
    m_atEnd = false;
    notifyCurrent();
}

Row TTable::RowAt(qint64 position) {
    if (!Active() || position < 0)
        return Row();
    if ((m_state == TableState::Edit || m_state == TableState::Insert) && position == RecNo())
        return m_current;
    const qint64 storedVisible = storedVisibleCount();
    if (position < storedVisible) {
        const FetchedRow* row = m_pages.at(*m_cursor, m_pending.storedPositionOfVisible(position));
        return row ? overlay(*row) : Row();
    }
    const qint64 pending = position - storedVisible;
    if (pending < m_pending.insertionCount())
        return m_pending.insertion(static_cast<int>(pending));
    return Row();
}

QByteArray TTable::BookmarkAt(qint64 position) {
    if (!Active() || position < 0)
        return QByteArray();
    const qint64 storedVisible = storedVisibleCount();
    if (position < storedVisible) {
        const FetchedRow* row = m_pages.at(*m_cursor, m_pending.storedPositionOfVisible(position));
        return row ? row->key : QByteArray();
    }
    const qint64 pending = position - storedVisible;
    if (pending < m_pending.insertionCount())
        return KeyCodec::pendingInsertKey(m_pending.insertionSerial(static_cast<int>(pending)));
    return QByteArray();
}

// ---- editing ----

void TTable::requireWritable() const {
    requireActive();
    if (m_readOnly)
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TTable::StartInsert() {
    requireWritable();
    endEditForMove();
    m_insertReturnKey = CurrentBookmark();
    m_position = Position::Editing;
    m_windowIndex = m_pendingIndex = -1;
    m_key.clear();
    // The row before is not needed any more: its room is reused rather than made anew.
    m_current.fill(QVariant(), NumberOfFields());
    m_state = TableState::Insert;
    m_modified = false;
    m_recNo = -1;
    m_atEnd = m_atStart = false;
    notifyRows();
}

void TTable::StartEdit() {
    requireWritable();
    if (m_state != TableState::Browse)
        return;
    if (m_position == Position::None) {
        StartInsert();
        return;
    }
    m_editOriginal = m_current;
    m_state = TableState::Edit;
    m_modified = false;
    notifyCurrent();
}

void TTable::validateRequired() const {
    for (const auto& field : m_fields) {
        const ColumnInfo& info = field->Info();
        if (info.required && !info.generated && !m_current[field->Index()].isValid())
            throw EDatabaseError(QStringLiteral("Field '%1' must have a value").arg(info.name));
    }
}

void TTable::writeThrough(const PendingChange& change) {
    m_cursor->applyChanges({&change}, m_updateMode);
    m_storedCount = -1;
    m_pages.clear();
    m_window.clear();
}

const Row& TTable::currentStoredValues() const {
    return m_window.rows[static_cast<size_t>(m_windowIndex)].values;
}

PendingChange TTable::currentStoredChange(PendingChange::Kind kind) const {
    PendingChange change;
    change.kind = kind;
    change.key = m_key;
    change.original = currentStoredValues();
    if (kind == PendingChange::Modify)
        change.values = m_current;
    return change;
}

void TTable::PostRecord() {
    requireActive();
    if (m_state == TableState::Browse)
        return;
    validateRequired();
    if (m_state == TableState::Insert) {
        if (m_cachedUpdates) {
            m_pending.addInsertion(m_current);
            m_state = TableState::Browse;
            m_modified = false;
            // The posted values are the row's: no need to unpack them again.
            loadPendingRow(m_pending.insertionCount() - 1, std::move(m_current));
            m_recNo = -1;
            notifyRows();
            return;
        }
        PendingChange change;
        change.values = m_current;
        writeThrough(change);
        m_state = TableState::Browse;
        m_modified = false;
        MoveLast();
        notifyRows();
        return;
    }
    // Edit of an existing row.
    m_state = TableState::Browse;
    if (!m_modified) {
        notifyCurrent();
        return;
    }
    m_modified = false;
    if (m_position == Position::Pending) {
        m_pending.updateInsertion(m_pendingIndex, m_current);
    } else if (m_cachedUpdates) {
        m_pending.modifyStored(m_key, currentStoredValues(), m_current);
    } else {
        const PendingChange change = currentStoredChange(PendingChange::Modify);
        try {
            writeThrough(change);
        } catch (...) {
            m_state = TableState::Edit;
            m_modified = true;
            throw;
        }
        reread();
        return;
    }
    notifyRows();
}

void TTable::CancelRecord() {
    if (!Active())
        return;
    if (m_state == TableState::Insert) {
        m_state = TableState::Browse;
        m_modified = false;
        const QByteArray back = m_insertReturnKey;
        m_insertReturnKey.clear();
        bool restored = false;
        if (!back.isEmpty()) {
            try {
                MoveToBookmark(back);
                restored = true;
            } catch (const EDatabaseError&) {
            }
        }
        if (!restored)
            MoveFirst();
        notifyRows();
    } else if (m_state == TableState::Edit) {
        m_state = TableState::Browse;
        m_modified = false;
        m_current = m_editOriginal;
        notifyCurrent();
    }
}

void TTable::DeleteRecord() {
    requireWritable();
    if (m_state == TableState::Insert) {
        CancelRecord();
        return;
    }
    if (m_state == TableState::Edit)
        CancelRecord();
    if (m_position == Position::None)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const qint64 position = RecNo();
    if (m_position == Position::Pending) {
        m_pending.removeInsertion(m_pendingIndex);
    } else if (m_cachedUpdates) {
        m_pending.deleteStored(m_key, currentStoredValues(), currentStoredPosition());
    } else {
        writeThrough(currentStoredChange(PendingChange::Delete));
    }
    const qint64 count = RecordCount();
    if (count == 0)
        setEmptyCursor();
    else
        MoveTo(std::min(position, count - 1));
    notifyRows();
}

// ---- pending updates ----

void TTable::CommitPendingUpdates() {
    if (!m_cachedUpdates)
        throw EDatabaseError(QStringLiteral("Not in cached update mode"));
    requireActive();
    endEditForMove();
    PendingCommit commit(*m_cursor, Database().driver(), Database().TransIsolation, m_updateMode);
    finishCommit(writePending(commit));
}

qint64 TTable::writePending(PendingCommit& commit) {
    // A failed write is rolled back whole, the rows it skipped included.
    const qint64 before = m_cursor->duplicatesSkipped();
    commit.write(m_pending);
    const qint64 skipped = m_cursor->duplicatesSkipped() - before;
    m_duplicatesSkipped += skipped;
    return skipped;
}

void TTable::CommitPendingUpdatesDroppingFailedRows(
    const std::function<void(const QString& message)>& dropped) {
    if (!m_cachedUpdates)
        throw EDatabaseError(QStringLiteral("Not in cached update mode"));
    requireActive();
    endEditForMove();
    PendingCommit commit(*m_cursor, Database().driver(), Database().TransIsolation, m_updateMode);
    qint64 skipped = 0;
    for (;;) {
        try {
            skipped = writePending(commit);
            break;
        } catch (const Exception& error) {
            const int failed = commit.failedInsertion();
            if (failed < 0)
                throw;
            // The cursor may stand on a pending row after it: it stays on its row.
            const bool after = m_position == Position::Pending && m_pendingIndex > failed;
            if (m_position == Position::Pending && m_pendingIndex == failed)
                setEmptyCursor();
            m_pending.removeInsertion(failed);
            if (after)
                --m_pendingIndex;
            dropped(error.message());
        }
    }
    finishCommit(skipped);
}

void TTable::finishCommit(qint64 skipped) {
    m_committedInsertions += m_pending.insertionCount() - skipped;
    const QByteArray key = m_position == Position::Stored ? m_key : QByteArray();
    m_pending.clear();
    rereadAround(key);
}

void TTable::SetOnDuplicate(OnDuplicate policy) {
    requireActive();
    m_cursor->setOnDuplicate(policy);
}

QString TTable::DescribeCurrentRow() const {
    if (!m_cursor)
        return QString();
    return DescribeRow(m_cursor->columns(), m_cursor->keyColumns(), m_current);
}

void TTable::rereadAround(const QByteArray& key) {
    // Counting the table or seeking a position by offset costs in proportion to its size, and
    // a run commits every few rows: stay on the row by its key, or start from the first row
    // when the cursor was on a row that had no key yet. Counts and positions are read again
    // only when a grid asks for them.
    m_storedCount = -1;
    m_window.clear();
    m_pages.clear();
    m_recNo = -1;
    std::vector<FetchedRow> rows = m_cursor->fetchFrom(key, true, RereadWindow);
    if (!key.isEmpty() && (rows.empty() || rows.front().key != key))
        rows = m_cursor->fetchFrom(QByteArray(), false, RereadWindow);
    m_window.atStoredEnd = static_cast<int>(rows.size()) < RereadWindow;
    const bool first = key.isEmpty() || rows.empty() || rows.front().key != key;
    m_window.rows = std::move(rows);
    m_window.start = first ? 0 : -1;
    if (m_window.rows.empty()) {
        setEmptyCursor();
    } else {
        loadStoredRow(0);
        m_recNo = first ? 0 : -1;
        m_atStart = first;
        m_atEnd = false;
    }
    notifyCurrent();
    notifyRows();
}

void TTable::CancelPendingUpdates() {
    CancelRecord();
    if (!m_cachedUpdates)
        throw EDatabaseError(QStringLiteral("Not in cached update mode"));
    m_pending.clear();
    if (Active())
        reread();
}

void TTable::reread() {
    const qint64 position = m_position == Position::None ? 0 : RecNo();
    m_storedCount = -1;
    m_window.clear();
    m_pages.clear();
    m_recNo = -1;
    const qint64 count = RecordCount();
    if (count == 0) {
        setEmptyCursor();
        notifyCurrent();
    } else {
        MoveTo(std::clamp<qint64>(position, 0, count - 1));
    }
    notifyRows();
}

// ---- bound controls ----

void TTable::SuspendControls() {
    if (m_suspendCount++ == 0)
        m_activeAtSuspend = Active();
}

void TTable::ResumeControls() {
    if (m_suspendCount == 0)
        return;
    if (--m_suspendCount > 0)
        return;
    if (Active() != m_activeAtSuspend)
        emit activeChanged();
    if (Active() && m_activeAtSuspend)
        emit rowsChanged();
}

void TTable::notifyRows() {
    if (m_suspendCount == 0)
        emit rowsChanged();
}

void TTable::notifyCurrent() {
    if (m_suspendCount == 0)
        emit currentChanged();
}

void TTable::notifyActive() {
    if (m_suspendCount == 0)
        emit activeChanged();
}
