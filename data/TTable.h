#pragma once

#include "data/BookmarkSeek.h"
#include "data/Driver.h"
#include "data/PendingUpdates.h"
#include "data/RowWindow.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class Exception;
class PendingCommit;
class TDatabase;
class TField;

enum class TableState { Inactive, Browse, Insert, Edit };

// A table of a connection, read through windows of rows in record order, with an optional
// pending-update store (CachedUpdates) that holds posted changes until they are committed.
//
// Bound controls follow it through its signals, which are held back while the controls are
// suspended. Rows are addressed two ways: by bookmark (the row's key) for walks and selections,
// and by position (0-based, in record order) for grids.
class TTable : public QObject {
    Q_OBJECT
public:
    using Event = std::function<void(TTable&)>;

    explicit TTable(QObject* parent = nullptr);
    // Releases the table without running BeforeClose or AfterClose; pending updates are dropped.
    ~TTable() override;

    const QString& DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& name);
    const QString& SessionName() const { return m_sessionName; }
    void SetSessionName(const QString& name);
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& name);

    // Set while the table is closed; they take effect at the next open.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool CachedUpdates() const { return m_cachedUpdates; }
    void SetCachedUpdates(bool cached) { m_cachedUpdates = cached; }
    TUpdateMode UpdateMode() const { return m_updateMode; }
    void SetUpdateMode(TUpdateMode mode) { m_updateMode = mode; }

    // A BeforeClose handler may refuse the close by raising the silent abort.
    void SetAfterOpen(Event handler) { m_afterOpen = std::move(handler); }
    void SetBeforeClose(Event handler) { m_beforeClose = std::move(handler); }
    void SetAfterClose(Event handler) { m_afterClose = std::move(handler); }

    bool Active() const { return m_cursor != nullptr; }
    void OpenTable();
    void CloseTable();

    int NumberOfFields() const { return static_cast<int>(m_fields.size()); }
    TField* FieldAt(int index) const;
    TField* LookupField(const QString& name) const;
    TField* RequireField(const QString& name) const;
    // The fields whose values identify a row (the primary key or its substitute); empty when
    // the table is closed or rows are told apart otherwise.
    QVector<int> KeyFieldIndexes() const {
        return m_cursor ? m_cursor->keyColumns() : QVector<int>();
    }

    // Cursor movement.
    void MoveFirst();
    void MoveNext();
    void MovePrior();
    void MoveLast();
    bool AtEnd() const { return m_atEnd; }
    bool AtStart() const { return m_atStart; }
    bool IsEmpty();

    QByteArray CurrentBookmark() const;
    // The bookmarks of every row in record order (stored rows less pending deletions, then
    // pending insertions), read without the rows' values; the cursor stays where it is.
    QVector<QByteArray> Bookmarks();
    int CompareBookmarks(const QByteArray& a, const QByteArray& b) const;
    void MoveToBookmark(const QByteArray& bookmark);
    // Up to `count` bookmarks a walk goes to, from the one it goes to next on, in record order.
    using BookmarkLookahead = BookmarkSeek::Lookahead;
    // With it, a walk over a sparse selection reads its rows a batch at a time, and not the
    // rows between them; empty to end the walk.
    void SetBookmarkLookahead(BookmarkLookahead lookahead);

    void SuspendControls();
    void ResumeControls();
    bool ControlsSuspended() const { return m_suspendCount > 0; }

    // Editing.
    TableState State() const { return m_state; }
    bool Modified() const { return m_modified; }
    bool CanModify() const { return Active() && !m_readOnly; }
    void StartInsert();
    void StartEdit();
    void PostRecord();
    void CancelRecord();
    void DeleteRecord();

    bool HasPendingUpdates() const { return !m_pending.isEmpty(); }
    // Posted insertions not yet committed.
    int PendingInsertCount() const { return m_pending.insertionCount(); }
    void CommitPendingUpdates();
    // As CommitPendingUpdates, but an inserted row whose own values fail is dropped from the
    // store, reported to `dropped` with the failure's message, and the rest written. A failure
    // that is no row's own (a full disk, a lock, a lost connection) passes on, the store kept.
    void CommitPendingUpdatesDroppingFailedRows(
        const std::function<void(const QString& message)>& dropped);
    void CancelPendingUpdates();
    // Inserted rows written by commits since the table was opened, duplicates left out not
    // counted.
    qint64 CommittedInsertions() const { return m_committedInsertions; }
    // What committed insertions do with a row whose key the table holds already; a table
    // without a key refuses Skip and Update. Open tables only.
    void SetOnDuplicate(OnDuplicate policy);
    // Insertions that commits left out as duplicates since the table was opened.
    qint64 DuplicatesSkipped() const { return m_duplicatesSkipped; }
    // The current row's key values as messages name a row ("ID = 7").
    QString DescribeCurrentRow() const;

    // Positions, for grids. RecordCount counts the rows a grid shows: stored rows less pending
    // deletions, then pending insertions, then the row being inserted.
    qint64 RecordCount();
    qint64 RecNo();
    void MoveTo(qint64 position);
    // The values of the row at a position, without moving the cursor; empty beyond the end.
    Row RowAt(qint64 position);
    // The bookmark of the row at a position, without moving the cursor; empty beyond the end
    // and for the row being inserted.
    QByteArray BookmarkAt(qint64 position);

    // The current row's values (the edit buffer while inserting or editing).
    const Row& CurrentValues() const { return m_current; }

    TDatabase& Database() const;

signals:
    // Opened or closed.
    void activeChanged();
    // Rows were added, removed or re-read: bound views reload.
    void rowsChanged();
    // The cursor moved or its row changed state or values.
    void currentChanged();

private:
    friend class TField;
    friend class TDatabase;

    enum class Position { Stored, Pending, Editing, None };

    void requireActive() const;
    void requireWritable() const;
    void endEditForMove();
    void setFieldValue(int index, QVariant value);
    void validateRequired() const;
    void writeThrough(const PendingChange& change);
    // The current stored row's values as read from the database.
    const Row& currentStoredValues() const;
    // The change of the current stored row as it would be written (values only for Modify).
    PendingChange currentStoredChange(PendingChange::Kind kind) const;
    void loadStoredRow(int index);
    void loadPendingRow(int index);
    void loadPendingRow(int index, Row values);
    void setEmptyCursor();
    // Makes the first stored row from window index `index` on that is not deleted current,
    // reading further windows as needed; false when no stored row is left.
    bool seekForwardFrom(int index);
    bool seekStoredKey(const QByteArray& key);
    Row overlay(const FetchedRow& row) const;
    qint64 storedVisibleCount();
    qint64 currentStoredPosition();
    void reread();
    void rereadAround(const QByteArray& key);
    // Writes the store; returns (and counts) the duplicates it skipped when it succeeds.
    qint64 writePending(PendingCommit& commit);
    // Empties the store after a commit that left out `skipped` duplicates, and reads the rows
    // around the cursor again.
    void finishCommit(qint64 skipped);
    void closeWithoutEvents(bool notify);
    void notifyRows();
    void notifyCurrent();
    void notifyActive();

    QString m_databaseName;
    QString m_sessionName = QStringLiteral("Default");
    QString m_tableName;
    TDatabase* m_database = nullptr;
    bool m_readOnly = false;
    bool m_cachedUpdates = false;
    TUpdateMode m_updateMode = upWhereAll;
    Event m_afterOpen;
    Event m_beforeClose;
    Event m_afterClose;

    std::unique_ptr<TableCursor> m_cursor;
    std::vector<std::unique_ptr<TField>> m_fields;
    PendingUpdates m_pending;
    qint64 m_committedInsertions = 0;
    qint64 m_duplicatesSkipped = 0;
    RowWindow m_window;         // rows around the cursor, for walks
    RowPageCache m_pages;       // rows by position, for grids
    qint64 m_storedCount = -1;  // rows in the database; -1 until counted

    // The cursor: which row, its key and its values.
    Position m_position = Position::None;
    QByteArray m_key;
    int m_windowIndex = -1;   // index in m_window while on a stored row
    int m_pendingIndex = -1;  // index of the pending insertion while on one
    qint64 m_recNo = -1;      // cached position; -1 when not known
    Row m_current;
    Row m_editOriginal;
    bool m_atEnd = true;
    bool m_atStart = true;

    TableState m_state = TableState::Inactive;
    bool m_modified = false;
    // Where the cursor was when an insert started, to return there on cancel.
    QByteArray m_insertReturnKey;

    BookmarkSeek m_seek;

    int m_suspendCount = 0;
    bool m_activeAtSuspend = false;
};
