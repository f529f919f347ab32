#pragma once

#include "data/TField.h"
#include "grids/RecordGrid.h"
#include "tests/grids/GridTestDatabase.h"
#include "tests/support/ScriptedPrompts.h"

#include <QTest>
#include <memory>

// A shown grid bound to a table of a test database, with helpers that click and type the way a
// user does.
struct GridHarness {
    GridHarness(RecordGrid::Role role, std::unique_ptr<TTable> boundTable)
        : table(std::move(boundTable)), grid(role) {
        grid.resize(640, 480);
        grid.setTable(table.get());
        grid.show();
        grid.setFocus();
        QApplication::processEvents();
    }

    QPoint cellCentre(int row, int column = 0) {
        grid.scrollTo(grid.model()->index(row, column));
        return grid.visualRect(grid.model()->index(row, column)).center();
    }

    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int column = 0) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cellCentre(row, column));
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&grid, key, modifiers);
    }

    void type(const QString& text) { QTest::keyClicks(&grid, text); }

    // The rows of the RowSelection as positions, in list order.
    QList<int> selectedRows() {
        QList<int> rows;
        for (int i = 0; i < grid.selection().Count(); ++i) {
            int position = -1;
            for (int row = 0; row < table->RecordCount(); ++row) {
                if (table->BookmarkAt(row) == grid.selection().Item(i))
                    position = row;
            }
            rows.append(position);
        }
        return rows;
    }

    std::unique_ptr<TTable> table;
    RecordGrid grid;
};
