#pragma once

#include <QByteArray>

class RowSelection;
class TTable;

// The rows a batch run visits, one list position after another in the source table's record
// order: the rows selected in a grid, or every row of the table.
class RowWalk {
public:
    virtual ~RowWalk() = default;

    // The number of list positions, read once when the run starts.
    virtual int count() = 0;
    // Before the first row and after the last, however the run ends.
    virtual void begin(TTable& table) { (void)table; }
    virtual void end(TTable& table) { (void)table; }
    // Makes the row at `index` current; the positions come in increasing order from 0. Throws
    // when the row is gone.
    virtual void moveTo(TTable& table, int index) = 0;
    // Whether the walk still visits the current row (a grid's row may be unselected meanwhile).
    virtual bool currentSelected() { return true; }
};

// The rows of a grid's selection. The walk tells the table where it goes, so that a sparse
// selection is read a batch at a time and not the rows between.
class SelectionWalk : public RowWalk {
public:
    explicit SelectionWalk(RowSelection& selection) : m_selection(selection) {}

    int count() override;
    void begin(TTable& table) override;
    void end(TTable& table) override;
    void moveTo(TTable& table, int index) override;
    bool currentSelected() override;

private:
    RowSelection& m_selection;
    int m_next = 0;
};

// Every row of the table, read a window at a time: nothing is held for a row once the walk is
// past it, however large the table.
class TableWalk : public RowWalk {
public:
    explicit TableWalk(TTable& table) : m_table(table) {}
    // The rows after the one of `after`, a bookmark of the table.
    TableWalk(TTable& table, QByteArray after) : m_table(table), m_after(std::move(after)) {}

    int count() override;
    void moveTo(TTable& table, int index) override;

private:
    TTable& m_table;
    QByteArray m_after;
};
