#include "grids/RecordGrid.h"

#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/ControlsSuspension.h"
#include "grids/RecordModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Restores the cursor on every way out of a long operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

RecordGrid::RecordGrid(Role role, QWidget* parent)
    : QTableView(parent), m_role(role), m_model(new RecordModel(this)) {
    m_model->setEditable(role == Role::Target);
    setModel(m_model);
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

    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 6);
    indicator->setHighlightSections(false);
    indicator->setFixedWidth(fontMetrics().height() + 4);
    indicator->setDefaultAlignment(Qt::AlignCenter);

    if (auto* corner = findChild<QAbstractButton*>()) {
        disconnect(corner, nullptr, this, nullptr);
        connect(corner, &QAbstractButton::clicked, this, &RecordGrid::cornerClicked);
    }
    connect(&m_selection, &RowSelection::changed, viewport(), qOverload<>(&QWidget::update));
}

RecordGrid::~RecordGrid() = default;

void RecordGrid::setTable(TTable* table) {
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    m_model->setTable(table);
    m_selection.setTable(table);
    if (table) {
        connect(table, &TTable::activeChanged, this, &RecordGrid::tableActiveChanged);
        connect(table, &TTable::rowsChanged, this, &RecordGrid::followTable);
        connect(table, &TTable::currentChanged, this, &RecordGrid::followTable);
    }
    followTable();
}

TTable* RecordGrid::table() const {
    return m_table;
}

void RecordGrid::tableActiveChanged() {
    m_selection.setLinked(m_table && m_table->Active());
    followTable();
}

void RecordGrid::followTable() {
    if (!m_table || !m_table->Active())
        return;
    const qint64 row = m_table->RecNo();
    if (row < 0 || row >= m_model->rowCount())
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    column = std::min(column, m_model->columnCount() - 1);
    if (column < 0)
        return;
    const QModelIndex target = m_model->index(static_cast<int>(row), column);
    m_following = true;
    if (target != currentIndex())
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    m_following = false;
    scrollTo(target);
    viewport()->update();
}

void RecordGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || !m_table || !m_table->Active())
        return;
    if (current.row() != m_table->RecNo())
        moveToRow(current.row());
    if (current.row() != previous.row())
        viewport()->update();
}

void RecordGrid::moveToRow(int row) {
    TTable* table = m_table;
    if (!RunCommand([&] { table->MoveTo(row); }))
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
        m_selection.Clear();
        m_selection.setKind(SelectionKind::None);
        viewport()->update();
        return;
    }
    selectAll();
}

void RecordGrid::keyPressEvent(QKeyEvent* event) {
    QTableView::keyPressEvent(event);
}

void RecordGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
}

void RecordGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
}

void RecordGrid::mouseReleaseEvent(QMouseEvent* event) {
    m_dragRow = -1;
    QTableView::mouseReleaseEvent(event);
}
