#pragma once

#include "grids/GridClipboard.h"

class QKeyEvent;
class QMimeData;
class RowSelection;
class TTable;

// The keyboard edit actions of an editable grid: copy, cut, paste, delete, select all and
// insert, each only while its condition holds. The rows acted on are the grid's selection
// (every row with the kind all); the changes go into the table like any edit, so with cached
// updates they stay pending.
class GridEditActions {
public:
    explicit GridEditActions(RowSelection& selection) : m_selection(selection) {}

    // Runs the action bound to the key when its condition holds. Returns whether the key is an
    // edit action key at all: such keys do nothing else when their condition fails. `column` is
    // the grid's current column.
    bool handleKey(QKeyEvent* event, int column);

    bool canCopy() const;
    bool canCut() const;
    bool canPaste(const QMimeData* data) const;
    bool canDelete() const;
    bool canSelectAll() const;
    bool canInsert() const;

    // The selected rows as the clipboard forms carry them, in table order.
    ClipRows selectedRows();
    void copy();
    void cut();
    void paste(const ClipRows& rows, int column);
    void deleteRows();
    void selectAll();
    void insert();

private:
    TTable* table() const;
    bool hasSelection() const;
    void writeRow(const ClipRows& rows, int index, int firstColumn);

    RowSelection& m_selection;
};
