#include "grids/RecordGrid.h"

#include "data/UserPrompts.h"
#include "grids/ControlsSuspension.h"
#include "grids/RecordDelegate.h"
#include "grids/RecordModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

namespace {

// Restores the cursor on every way out of a long operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool isMovementKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

RecordGrid::RecordGrid(Role role, QWidget* parent)
    : QTableView(parent),
      m_role(role),
      m_model(new RecordModel(this)),
      m_delegate(new RecordDelegate(this)),
      m_picker(m_selection),
      m_editActions(m_selection) {
    m_model->setEditable(role == Role::Target);
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::NoSelection);
    setSelectionBehavior(role == Role::Source ? QAbstractItemView::SelectRows
                                              : QAbstractItemView::SelectItems);
    setEditTriggers(role == Role::Target
                        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked
                        : QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false);
    setTabKeyNavigation(role == Role::Target);
    setWordWrap(false);
    setAutoScroll(false);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(false);
    if (role == Role::Source)
        connect(titles, &QHeaderView::sectionClicked, this, &RecordGrid::titleClicked);

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 6);
    indicator->setHighlightSections(false);
    indicator->setSectionsClickable(false);
    indicator->setFixedWidth(fontMetrics().height() + 6);
    indicator->setDefaultAlignment(Qt::AlignCenter);

    // The top-left title cell selects every row or clears the selection, not Qt's select-all.
    if (auto* corner = findChild<QAbstractButton*>()) {
        disconnect(corner, nullptr, this, nullptr);
        connect(corner, &QAbstractButton::clicked, this, &RecordGrid::cornerClicked);
    }
    connect(&m_selection, &RowSelection::changed, viewport(), qOverload<>(&QWidget::update));
    connect(&m_search, &IncrementalSearch::changed, viewport(), qOverload<>(&QWidget::update));
    connect(&m_sortMarkers, &SortMarkers::markersChanged, this, &RecordGrid::showSortMarkers);
    connect(&m_sortMarkers, &SortMarkers::announced, this, &RecordGrid::sortMarkersChanged);
    connect(m_delegate, &RecordDelegate::enterPressed, this, &RecordGrid::nextCell);
}

RecordGrid::~RecordGrid() {
    qApp->removeEventFilter(this);
}

void RecordGrid::setTable(TTable* table) {
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    m_model->setTable(table);
    m_selection.setTable(table);
    m_search.setTable(table);
    if (table) {
        connect(table, &TTable::activeChanged, this, &RecordGrid::tableActiveChanged);
        connect(table, &TTable::rowsChanged, this, &RecordGrid::followTable);
        connect(table, &TTable::currentChanged, this, &RecordGrid::followTable);
    }
    tableActiveChanged();
}

TTable* RecordGrid::table() const {
    return m_table;
}

void RecordGrid::runCommand(const std::function<void()>& command) {
    if (!RunCommand(command))
        followTable();
}

void RecordGrid::tableActiveChanged() {
    const bool active = m_table && m_table->Active();
    m_selection.setLinked(active);
    m_picker.clearOnMove();
    m_search.stop();
    m_sortMarkers.setColumnCount(active ? m_model->columnCount() : 0);
    m_column = 0;
    followTable();
}

int RecordGrid::currentColumn() const {
    return std::clamp(m_column, 0, std::max(0, m_model->columnCount() - 1));
}

void RecordGrid::followTable() {
    if (!m_table || !m_table->Active() || m_table->ControlsSuspended())
        return;
    const qint64 row = m_table->RecNo();
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
        return;
    const QModelIndex target = m_model->index(static_cast<int>(row), currentColumn());
    m_following = true;
    if (target != currentIndex())
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    m_following = false;
    scrollTo(target);
    viewport()->update();
}

void RecordGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_column = current.column();
    if (current.row() != previous.row())
        viewport()->update();
    if (m_following || !current.isValid() || !m_table || !m_table->Active())
        return;
    if (current.row() != m_table->RecNo())
        moveToRow(current.row());
}

void RecordGrid::moveToRow(int row) {
    TTable* table = m_table;
    runCommand([&] {
        if (table->RecNo() != row)
            table->MoveTo(row);
    });
}

void RecordGrid::setCell(int row, int column) {
    m_column = column;
    if (m_table && m_table->RecNo() != row)
        moveToRow(row);
    followTable();
}

bool RecordGrid::rowShownSelected(int row) {
    if (m_selection.kind() == SelectionKind::All)
        return true;
    if (m_selection.Count() == 0 || !m_table || !m_table->Active())
        return false;
    const QByteArray bookmark = m_table->BookmarkAt(row);
    return !bookmark.isEmpty() && m_selection.IndexOf(bookmark) >= 0;
}

void RecordGrid::selectAllRows() {
    if (!m_table || !m_table->Active())
        return;
    WaitCursor wait;
    ControlsSuspension suspension(m_table);
    m_selection.SelectAll();
}

void RecordGrid::selectAll() {
    if (!m_table || !m_table->Active())
        return;
    if (m_role == Role::Target && m_table->IsEmpty())
        return;
    m_selection.Clear();
    m_selection.setKind(SelectionKind::All);
    viewport()->update();
}

void RecordGrid::cornerClicked() {
    if (m_selection.kind() != SelectionKind::None || m_selection.Count() > 0) {
        m_picker.clearOnMove();
        viewport()->update();
        return;
    }
    selectAll();
}

void RecordGrid::titleClicked(int column) {
    if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
        m_sortMarkers.ctrlClick(column);
        // The announcement waits for Ctrl to be let go, wherever the focus is by then.
        if (m_sortMarkers.announcementPending())
            qApp->installEventFilter(this);
    } else {
        m_sortMarkers.plainClick(column);
    }
}

void RecordGrid::showSortMarkers() {
    for (int column = 0; column < m_model->columnCount(); ++column) {
        QVariant decoration;
        switch (m_sortMarkers.marker(column)) {
            case SortMarkers::Down:
                decoration = style()->standardIcon(QStyle::SP_ArrowDown);
                break;
            case SortMarkers::Up:
                decoration = style()->standardIcon(QStyle::SP_ArrowUp);
                break;
            case SortMarkers::NoMarker:
                break;
        }
        m_model->setTitleDecoration(column, decoration);
    }
}

bool RecordGrid::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control) {
        qApp->removeEventFilter(this);
        m_sortMarkers.ctrlReleased();
    }
    return QTableView::eventFilter(object, event);
}

int RecordGrid::rowsPerPage() const {
    const int height = verticalHeader()->defaultSectionSize();
    return std::max(1, viewport()->height() / std::max(1, height) - 1);
}

int RecordGrid::movementTarget(QKeyEvent* event) const {
    const int count = m_model->rowCount();
    if (!m_table || !m_table->Active() || count == 0)
        return -1;
    const int row = static_cast<int>(std::max<qint64>(m_table->RecNo(), 0));
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int target = -1;
    switch (event->key()) {
        case Qt::Key_Up:
            target = row - 1;
            break;
        case Qt::Key_Down:
            target = row + 1;
            break;
        case Qt::Key_PageUp:
            target = ctrl ? 0 : row - rowsPerPage();
            break;
        case Qt::Key_PageDown:
            target = ctrl ? count - 1 : row + rowsPerPage();
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = count - 1;
            break;
        default:
            return -1;
    }
    return std::clamp(target, 0, count - 1);
}

void RecordGrid::keyPressEvent(QKeyEvent* event) {
    const bool typing = m_role == Role::Source || !editorOpen();
    if (m_table && m_table->Active() && m_search.handleKey(event, currentColumn(), typing)) {
        event->accept();
        return;
    }
    const bool handled = m_role == Role::Source ? handleSourceKey(event) : handleTargetKey(event);
    if (handled) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool RecordGrid::handleSourceKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    // Select all is the source grid's only edit action; the view's own cell copy stays off.
    if (event->matches(QKeySequence::Copy))
        return true;
    if (!isMovementKey(event->key()) || (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier)))
        return false;
    const int target = movementTarget(event);
    if (target < 0)
        return true;
    runCommand([&] {
        if (modifiers & Qt::ShiftModifier) {
            m_picker.extendTo(target);
        } else {
            m_picker.clearOnMove();
            if (m_table->RecNo() != target)
                m_table->MoveTo(target);
        }
    });
    followTable();
    return true;
}

bool RecordGrid::handleTargetKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (!m_table || !m_table->Active())
        return false;
    bool handled = false;
    runCommand([&] { handled = m_editActions.handleKey(event, currentColumn()); });
    if (handled) {
        viewport()->update();
        return true;
    }
    if (modifiers == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        nextCell();
        return true;
    }
    if (key == Qt::Key_Tab && modifiers == Qt::NoModifier) {
        nextCell();
        return true;
    }
    if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && modifiers == Qt::ShiftModifier)) {
        priorCell();
        return true;
    }
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        TTable* table = m_table;
        runCommand([&] { table->CancelRecord(); });
        return true;
    }
    if (isMovementKey(key) && m_selection.kind() != SelectionKind::None)
        m_picker.clearOnMove();
    if (key == Qt::Key_Down && modifiers == Qt::NoModifier &&
        m_table->RecNo() >= m_table->RecordCount() - 1) {
        appendRow();
        return true;
    }
    return false;
}

void RecordGrid::appendRow() {
    TTable* table = m_table;
    if (!table || !table->CanModify())
        return;
    // An untouched new row stays the only one: moving on from it appends nothing more.
    if (table->State() == TableState::Insert && !table->Modified())
        return;
    runCommand([&] {
        table->PostRecord();
        table->StartInsert();
    });
    followTable();
}

void RecordGrid::nextCell() {
    if (!m_table || !m_table->Active() || m_model->columnCount() == 0)
        return;
    const int row = static_cast<int>(m_table->RecNo());
    const int column = currentColumn();
    if (column + 1 < m_model->columnCount()) {
        setCell(row, column + 1);
        return;
    }
    if (row + 1 < m_table->RecordCount()) {
        setCell(row + 1, 0);
        return;
    }
    m_column = 0;
    appendRow();
    followTable();
}

void RecordGrid::priorCell() {
    if (!m_table || !m_table->Active() || m_model->columnCount() == 0)
        return;
    const int row = static_cast<int>(m_table->RecNo());
    const int column = currentColumn();
    if (column > 0)
        setCell(row, column - 1);
    else if (row > 0)
        setCell(row - 1, m_model->columnCount() - 1);
}

void RecordGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || event->button() != Qt::LeftButton || !m_table || !m_table->Active()) {
        QTableView::mousePressEvent(event);
        return;
    }
    if (m_role == Role::Target) {
        if (m_selection.kind() != SelectionKind::None)
            m_picker.clearOnMove();
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_search.stop();
    m_column = index.column();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int row = index.row();
    runCommand([&] {
        if (modifiers & Qt::ShiftModifier) {
            m_picker.selectTo(row);
        } else if (modifiers & Qt::ControlModifier) {
            m_picker.toggle(row);
            m_picker.startDrag(row);
        } else {
            m_picker.pickOnly(row);
            m_picker.startDrag(row);
        }
    });
    followTable();
    // The view's own handling keeps its pressed, clicked and double-click signals; the row it
    // makes current is the one the table is on already.
    QTableView::mousePressEvent(event);
}

void RecordGrid::mouseMoveEvent(QMouseEvent* event) {
    if (m_role != Role::Source || !m_picker.dragging() || !(event->buttons() & Qt::LeftButton)) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const int y = event->position().toPoint().y();
    int row = rowAt(y);
    if (row < 0) {
        // Above or below the rows shown: one row further, so that dragging scrolls.
        const int count = m_model->rowCount();
        if (y < 0)
            row = std::max(0, rowAt(0) - 1);
        else
            row = std::min(count - 1, std::max(rowAt(viewport()->height() - 1), 0) + 1);
        if (count == 0)
            return;
    }
    runCommand([&] { m_picker.dragTo(row); });
    followTable();
    event->accept();
}

void RecordGrid::mouseReleaseEvent(QMouseEvent* event) {
    m_picker.endDrag();
    QTableView::mouseReleaseEvent(event);
}
