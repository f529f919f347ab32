#pragma once

class RowSelection;

// How the mouse and the keys select rows of the source grid, by row position. Every operation
// leaves the table's cursor on the row the user reached.
class RowPicker {
public:
    explicit RowPicker(RowSelection& selection) : m_selection(selection) {}

    // Plain click: only the clicked row stays selected.
    void pickOnly(int row);
    // Ctrl+click: the clicked row changes its selected state.
    void toggle(int row);
    // Shift+click: the rows from the current row to the clicked one are selected.
    void selectTo(int row);
    // Dragging: the rows passed over since the last row reached are selected.
    void startDrag(int row) { m_dragRow = row; }
    void dragTo(int row);
    void endDrag() { m_dragRow = -1; }
    bool dragging() const { return m_dragRow >= 0; }
    // A movement key with Shift: the rows between the starting row and the new row are
    // selected; rows passed on the way back toward the start are deselected again.
    void extendTo(int row);
    // A movement key without Shift (or a plain click elsewhere): no selection is left, and the
    // next Shift movement starts from where it is pressed.
    void clearOnMove();

private:
    int currentRow() const;
    // Sets every row of [first, last] to `value`, walking the cursor forward over them.
    void setRange(int first, int last, bool value);
    void moveTo(int row);

    RowSelection& m_selection;
    int m_anchor = -1;
    int m_dragRow = -1;
};
