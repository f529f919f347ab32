#pragma once

#include "grids/RowSelection.h"
#include "grids/SelectionKind.h"

#include <QPointer>
#include <QTableView>

class RecordModel;
#include "data/TTable.h"

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

    // Whether the row at a position shows as selected (its bookmark is in the RowSelection, or
    // the kind is all).
    bool rowShownSelected(int row);

public slots:
    // Ctrl+A: every row shown as selected without filling the RowSelection.
    void selectAll() override;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void tableActiveChanged();
    void followTable();
    void cornerClicked();
    void moveToRow(int row);

    Role m_role;
    QPointer<TTable> m_table;
    RecordModel* m_model;
    RowSelection m_selection;
    bool m_following = false;
    int m_dragRow = -1;
};
