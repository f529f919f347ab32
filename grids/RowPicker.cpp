#include "grids/RowPicker.h"

#include "data/TTable.h"
#include "grids/ControlsSuspension.h"
#include "grids/RowSelection.h"

#include <algorithm>

int RowPicker::currentRow() const {
    TTable* table = m_selection.table();
    return table && table->Active() ? static_cast<int>(table->RecNo()) : -1;
}

void RowPicker::moveTo(int row) {
    TTable* table = m_selection.table();
    if (table->RecNo() != row)
        table->MoveTo(row);
}

void RowPicker::setRange(int first, int last, bool value) {
    if (first > last)
        return;
    TTable* table = m_selection.table();
    // Stepping with MoveNext reads the rows by key, window after window; a long range costs
    // no more per row than a walk over the whole table.
    table->MoveTo(first);
    for (int row = first; row <= last && !table->AtEnd(); ++row) {
        m_selection.SetCurrentRowSelected(value);
        if (row < last)
            table->MoveNext();
    }
}

void RowPicker::pickOnly(int row) {
    m_anchor = -1;
    m_selection.Clear();
    m_selection.setKind(SelectionKind::None);
    moveTo(row);
    m_selection.SetCurrentRowSelected(true);
}

void RowPicker::toggle(int row) {
    m_anchor = -1;
    if (m_selection.kind() == SelectionKind::All)
        m_selection.setKind(SelectionKind::None);
    moveTo(row);
    m_selection.SetCurrentRowSelected(!m_selection.CurrentRowSelected());
}

void RowPicker::selectTo(int row) {
    const int from = currentRow();
    if (from < 0)
        return;
    if (m_selection.kind() == SelectionKind::All)
        m_selection.setKind(SelectionKind::None);
    {
        ControlsSuspension suspension(m_selection.table());
        setRange(std::min(from, row), std::max(from, row), true);
        moveTo(row);
    }
    m_anchor = from;
}

void RowPicker::dragTo(int row) {
    if (m_dragRow < 0 || row == m_dragRow)
        return;
    {
        ControlsSuspension suspension(m_selection.table());
        setRange(std::min(m_dragRow, row), std::max(m_dragRow, row), true);
        moveTo(row);
    }
    m_dragRow = row;
}

void RowPicker::extendTo(int row) {
    const int from = currentRow();
    if (from < 0 || row == from)
        return;
    if (m_selection.kind() == SelectionKind::All)
        m_selection.setKind(SelectionKind::None);
    ControlsSuspension suspension(m_selection.table());
    if (m_anchor < 0) {
        m_anchor = from;
        m_selection.SetCurrentRowSelected(true);
    }
    // The shift-selected block runs from the anchor to the current row; moving makes it run
    // to the new row: rows that fall out of it are deselected, rows that come in are selected.
    const int oldFirst = std::min(m_anchor, from);
    const int oldLast = std::max(m_anchor, from);
    const int newFirst = std::min(m_anchor, row);
    const int newLast = std::max(m_anchor, row);
    setRange(oldFirst, std::min(oldLast, newFirst - 1), false);
    setRange(std::max(oldFirst, newLast + 1), oldLast, false);
    setRange(newFirst, std::min(newLast, oldFirst - 1), true);
    setRange(std::max(newFirst, oldLast + 1), newLast, true);
    moveTo(row);
}

void RowPicker::clearOnMove() {
    m_anchor = -1;
    m_selection.Clear();
    m_selection.setKind(SelectionKind::None);
}
