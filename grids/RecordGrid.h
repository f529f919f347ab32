#pragma once

#include "data/TTable.h"
#include "grids/GridEditActions.h"
#include "grids/IncrementalSearch.h"
#include "grids/RowPicker.h"
#include "grids/RowSelection.h"
#include "grids/SelectionKind.h"
#include "grids/SortMarkers.h"

#include <QPointer>
#include <QTableView>

class RecordModel;
class RecordDelegate;

// The record grid of both sides: a view of one table, following its cursor. The source grid is
// read-only, highlights the whole current row and selects several rows into its RowSelection;
// the target grid edits cells, highlights the current cell and treats Enter as Tab.
class RecordGrid : public QTableView {
    Q_OBJECT
public:
    enum class Role { Source, Target };
    using SelectionKind = ::SelectionKind;

    explicit RecordGrid(Role role, QWidget* parent = nullptr);
    ~RecordGrid() override;

    Role role() const { return m_role; }

    // Binds the grid to a table (its data source) and follows the table's signals.
    void setTable(TTable* table);
    TTable* table() const;
    RecordModel* recordModel() const { return m_model; }

    RowSelection& selection() { return m_selection; }
    SelectionKind selectionKind() const { return m_selection.kind(); }

    // "SelAll": every row into the RowSelection, under the wait cursor with the table's
    // controls suspended, both undone on every way out.
    void selectAllRows();

    // Whether the row at a position shows as selected: its bookmark is in the RowSelection, or
    // the kind is all.
    bool rowShownSelected(int row);

    // Whether a cell editor is open (target grid).
    bool editorOpen() const { return state() == QAbstractItemView::EditingState; }

    IncrementalSearch& search() { return m_search; }
    const IncrementalSearch& search() const { return m_search; }
    SortMarkers& sortMarkers() { return m_sortMarkers; }
    GridEditActions& editActions() { return m_editActions; }

public slots:
    // Ctrl+A: every row shown as selected without filling the RowSelection.
    void selectAll() override;

signals:
    // The sort markers of the titles changed at the user's request (source grid only).
    void sortMarkersChanged();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void tableActiveChanged();
    void followTable();
    void cornerClicked();
    void titleClicked(int column);
    void showSortMarkers();
    int currentColumn() const;
    int rowsPerPage() const;
    // The row a movement key leads to from the current row, or -1 for keys that do not move
    // between rows.
    int movementTarget(QKeyEvent* event) const;
    bool handleSourceKey(QKeyEvent* event);
    bool handleTargetKey(QKeyEvent* event);
    // Enter and Tab: the next cell, the first cell of the next row after the last one, and a
    // new row after the last row.
    void nextCell();
    void priorCell();
    void appendRow();
    void setCell(int row, int column);
    void moveToRow(int row);
    void runCommand(const std::function<void()>& command);

    Role m_role;
    QPointer<TTable> m_table;
    RecordModel* m_model;
    RecordDelegate* m_delegate;
    RowSelection m_selection;
    RowPicker m_picker;
    IncrementalSearch m_search;
    SortMarkers m_sortMarkers;
    GridEditActions m_editActions;
    bool m_following = false;
    int m_column = 0;
};
