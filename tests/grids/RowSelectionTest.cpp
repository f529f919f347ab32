#include "data/Exceptions.h"
#include "grids/RowSelection.h"
#include "tests/grids/GridTestDatabase.h"

#include <gtest/gtest.h>
#include <QSignalSpy>

namespace {

class RowSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.createNumbered(QStringLiteral("items"), 10);
        table = db.openSource(QStringLiteral("items"));
        selection.setTable(table.get());
    }

    void selectRow(int row) {
        table->MoveTo(row);
        selection.SetCurrentRowSelected(true);
    }

    GridTestDatabase db;
    std::unique_ptr<TTable> table;
    RowSelection selection;
};

TEST_F(RowSelectionTest, KeepsTableOrderNotSelectionOrder) {
    for (int row : {7, 2, 5})
        selectRow(row);
    ASSERT_EQ(selection.Count(), 3);
    EXPECT_EQ(selection.Item(0), table->BookmarkAt(2));
    EXPECT_EQ(selection.Item(1), table->BookmarkAt(5));
    EXPECT_EQ(selection.Item(2), table->BookmarkAt(7));
    EXPECT_EQ(selection.kind(), SelectionKind::Rows);
}

TEST_F(RowSelectionTest, SelectingTwiceKeepsOneItemAndDeselectingRemovesIt) {
    selectRow(4);
    selectRow(4);
    EXPECT_EQ(selection.Count(), 1);
    selectRow(1);
    table->MoveTo(4);
    selection.SetCurrentRowSelected(false);
    ASSERT_EQ(selection.Count(), 1);
    EXPECT_EQ(selection.Item(0), table->BookmarkAt(1));
    table->MoveTo(1);
    selection.SetCurrentRowSelected(false);
    EXPECT_EQ(selection.Count(), 0);
    EXPECT_EQ(selection.kind(), SelectionKind::None);
}

TEST_F(RowSelectionTest, FindGivesPositionOrInsertionPoint) {
    for (int row : {1, 3, 5})
        selectRow(row);
    int index = -1;
    EXPECT_TRUE(selection.Find(table->BookmarkAt(3), index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(selection.Find(table->BookmarkAt(4), index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(selection.Find(table->BookmarkAt(0), index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(selection.Find(table->BookmarkAt(9), index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(selection.IndexOf(table->BookmarkAt(5)), 2);
    EXPECT_EQ(selection.IndexOf(table->BookmarkAt(6)), -1);
}

TEST_F(RowSelectionTest, AskingAgainForTheSameRowCostsNoComparison) {
    for (int row : {1, 3, 5, 7})
        selectRow(row);
    table->MoveTo(5);
    EXPECT_TRUE(selection.CurrentRowSelected());
    const qint64 before = selection.comparisons();
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(selection.CurrentRowSelected());
    EXPECT_EQ(selection.comparisons(), before);

    // A change of the list empties the cache: the answer must be searched again.
    selection.SetCurrentRowSelected(false);
    EXPECT_FALSE(selection.CurrentRowSelected());
    EXPECT_GT(selection.comparisons(), before);
}

TEST_F(RowSelectionTest, SelectAllSelectsEveryRowAndKeepsTheCurrentRow) {
    selectRow(3);
    table->MoveTo(6);
    QSignalSpy moved(table.get(), &TTable::currentChanged);
    selection.SelectAll();
    EXPECT_EQ(selection.Count(), 10);
    EXPECT_EQ(table->RecNo(), 6);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(selection.Item(i), table->BookmarkAt(i));
    // The walk ran with the controls suspended: the grid heard nothing row by row.
    EXPECT_EQ(moved.count(), 0);
    EXPECT_FALSE(table->ControlsSuspended());
}

TEST_F(RowSelectionTest, SelectAllReadsKeysPastOneQuery) {
    // More rows than one read of keys brings.
    db.createNumbered(QStringLiteral("many"), 20000);
    auto many = db.openSource(QStringLiteral("many"));
    RowSelection all;
    all.setTable(many.get());
    all.SelectAll();
    ASSERT_EQ(all.Count(), 20000);
    for (int row : {0, 8191, 8192, 8193, 16384, 19999})
        EXPECT_EQ(all.Item(row), many->BookmarkAt(row)) << row;
}

TEST_F(RowSelectionTest, SelectAllOnAnEmptyTableSelectsNothing) {
    db.exec(QStringLiteral("CREATE TABLE empty_items (id INTEGER PRIMARY KEY, name TEXT)"));
    auto empty = db.openSource(QStringLiteral("empty_items"));
    RowSelection emptySelection;
    emptySelection.setTable(empty.get());
    emptySelection.SelectAll();
    EXPECT_EQ(emptySelection.Count(), 0);
    EXPECT_EQ(emptySelection.kind(), SelectionKind::None);
}

TEST_F(RowSelectionTest, ClosedTableRefusesCurrentRowQuestions) {
    selectRow(2);
    table->CloseTable();
    selection.setLinked(false);
    EXPECT_EQ(selection.Count(), 0);
    try {
        selection.CurrentRowSelected();
        FAIL() << "no error on a closed table";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
    EXPECT_THROW(selection.SetCurrentRowSelected(true), EDatabaseError);
    selection.SelectAll();
    EXPECT_EQ(selection.Count(), 0);
}

TEST_F(RowSelectionTest, ClearEmptiesAndDropsKindRows) {
    selectRow(3);
    QSignalSpy changed(&selection, &RowSelection::changed);
    selection.Clear();
    EXPECT_EQ(selection.Count(), 0);
    EXPECT_EQ(selection.kind(), SelectionKind::None);
    EXPECT_EQ(changed.count(), 1);
    selection.Clear();
    EXPECT_EQ(changed.count(), 1);

    // Selecting a row out of the kind all turns the kind into rows.
    selection.setKind(SelectionKind::All);
    selectRow(1);
    EXPECT_EQ(selection.kind(), SelectionKind::Rows);
}

}  // namespace
