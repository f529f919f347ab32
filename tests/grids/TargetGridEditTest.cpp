#include "grids/GridClipboard.h"
#include "grids/RecordModel.h"
#include "tests/grids/GridHarness.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QMimeData>

namespace {

class TargetGridEdit : public ::testing::Test {
protected:
    void SetUp() override {
        db.createNumbered(QStringLiteral("target_rows"), 5);
        ui = std::make_unique<GridHarness>(RecordGrid::Role::Target,
                                           db.openTarget(QStringLiteral("target_rows")));
    }

    QString text(int row, int column) { return ui->grid.recordModel()->displayText(row, column); }
    TTable& table() { return *ui->table; }

    GridTestDatabase db;
    std::unique_ptr<GridHarness> ui;
};

TEST_F(TargetGridEdit, F2EditsTheCurrentCellIntoPendingUpdates) {
    ui->click(1, Qt::NoModifier, 1);
    ui->key(Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, &ui->grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Changed"));
    QTest::keyClick(editor, Qt::Key_Return);
    // Enter moved on like Tab, to the next cell of the row.
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(1, 2));
    EXPECT_EQ(table().State(), TableState::Edit);
    ui->key(Qt::Key_Down);
    EXPECT_EQ(table().State(), TableState::Browse);
    EXPECT_TRUE(table().HasPendingUpdates());
    EXPECT_EQ(text(1, 1), QStringLiteral("Changed"));
    table().CancelPendingUpdates();
    EXPECT_EQ(text(1, 1), QStringLiteral("Row 2"));
}

TEST_F(TargetGridEdit, EnterAndTabWrapToTheNextRow) {
    ui->click(0, Qt::NoModifier, 1);
    ui->key(Qt::Key_Return);
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(0, 2));
    ui->key(Qt::Key_Tab);
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(1, 0));
    EXPECT_EQ(table().RecNo(), 1);
    ui->key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(0, 2));
}

TEST_F(TargetGridEdit, MovingPastTheLastRowAppendsAndUpDiscardsAnUntouchedRow) {
    ui->click(4);
    ui->key(Qt::Key_Down);
    EXPECT_EQ(table().State(), TableState::Insert);
    EXPECT_EQ(ui->grid.model()->rowCount(), 6);
    EXPECT_EQ(ui->grid.currentIndex().row(), 5);
    // A second Down on the untouched new row appends no_rows more.
    ui->key(Qt::Key_Down);
    EXPECT_EQ(ui->grid.model()->rowCount(), 6);
    ui->key(Qt::Key_Up);
    EXPECT_EQ(table().State(), TableState::Browse);
    EXPECT_EQ(ui->grid.model()->rowCount(), 5);
    EXPECT_EQ(table().RecNo(), 4);
    EXPECT_FALSE(table().HasPendingUpdates());
}

TEST_F(TargetGridEdit, TabOffTheLastCellAppendsARow) {
    ui->click(4, Qt::NoModifier, 2);
    ui->key(Qt::Key_Tab);
    EXPECT_EQ(table().State(), TableState::Insert);
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(5, 0));
}

TEST_F(TargetGridEdit, CopyPutsFourFormsOnTheClipboard) {
    db.exec(QStringLiteral("UPDATE target_rows SET name = 'Say \"hi\"' WHERE id = 2"));
    table().CloseTable();
    table().OpenTable();

    // Without a selection there is no_rows to copy.
    QApplication::clipboard()->setText(QStringLiteral("untouched"));
    ui->key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("untouched"));

    ui->key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(ui->grid.selectionKind(), SelectionKind::All);
    ui->key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QStringList lines = data->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("1\tRow 1\t1.5"));
    EXPECT_EQ(lines[1], QStringLiteral("2\tSay \"hi\"\t3"));

    const QString csv = QString::fromUtf8(data->data(GridClipboard::csvFormat()));
    EXPECT_TRUE(
        csv.startsWith(QStringLiteral("\"1\",\"Row 1\",\"1.5\"\r\n\"2\",\"Say \"\"hi\"\"\",\"3\"")))
        << csv.toStdString();
    const QByteArray rtf = data->data(GridClipboard::rtfFormat());
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("Row 5"));
    EXPECT_TRUE(data->hasFormat(GridClipboard::privateFormat()));
}

TEST_F(TargetGridEdit, CopyThenPasteIntoNewRowsRoundTrips) {
    ui->key(Qt::Key_A, Qt::ControlModifier);
    ui->key(Qt::Key_C, Qt::ControlModifier);
    ui->key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(table().RecordCount(), 0);
    ui->key(Qt::Key_Insert);
    ASSERT_EQ(table().State(), TableState::Insert);
    ui->key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(table().RecordCount(), 5);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(text(row, 0), QString::number(row + 1));
        EXPECT_EQ(text(row, 1), QStringLiteral("Row %1").arg(row + 1));
        EXPECT_EQ(table().RowAt(row).at(2).toDouble(), (row + 1) * 1.5);
    }
    table().CommitPendingUpdates();
    table().CloseTable();
    table().OpenTable();
    ASSERT_EQ(table().RecordCount(), 5);
    EXPECT_EQ(table().RowAt(4).at(1).toString(), QStringLiteral("Row 5"));
}

TEST_F(TargetGridEdit, PastedTextOverwritesFromTheCurrentCellAndAppendsTheRest) {
    ui->click(3, Qt::NoModifier, 1);
    QApplication::clipboard()->setText(QStringLiteral("A\t10\nB\t20\nC\t30\n"));
    ui->key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(table().RecordCount(), 6);
    EXPECT_EQ(text(3, 0), QStringLiteral("4"));
    EXPECT_EQ(text(3, 1), QStringLiteral("A"));
    EXPECT_EQ(text(3, 2), QStringLiteral("10"));
    EXPECT_EQ(text(4, 1), QStringLiteral("B"));
    EXPECT_EQ(text(5, 1), QStringLiteral("C"));
    EXPECT_EQ(text(5, 2), QStringLiteral("30"));
    EXPECT_EQ(text(2, 1), QStringLiteral("Row 3"));
    EXPECT_TRUE(table().HasPendingUpdates());
}

TEST_F(TargetGridEdit, PasteWithKindAllOverwritesFromTheFirstRowAndColumn) {
    ui->click(2, Qt::NoModifier, 2);
    ui->key(Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("101\tFirst\r\n102\tSecond"));
    ui->key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(table().RecordCount(), 5);
    EXPECT_EQ(text(0, 0), QStringLiteral("101"));
    EXPECT_EQ(text(0, 1), QStringLiteral("First"));
    EXPECT_EQ(text(1, 1), QStringLiteral("Second"));
    EXPECT_EQ(text(2, 1), QStringLiteral("Row 3"));
}

TEST_F(TargetGridEdit, CtrlAThenCtrlDeleteLeavesEveryDeletionPending) {
    ui->key(Qt::Key_A, Qt::ControlModifier);
    ui->key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table().RecordCount(), 0);
    EXPECT_EQ(ui->grid.model()->rowCount(), 0);
    EXPECT_TRUE(table().HasPendingUpdates());
    EXPECT_TRUE(ScriptedPrompts::instance().messages().isEmpty());

    table().CancelPendingUpdates();
    EXPECT_EQ(table().RecordCount(), 5);
    EXPECT_EQ(ui->grid.model()->rowCount(), 5);
    EXPECT_EQ(text(4, 1), QStringLiteral("Row 5"));
}

TEST_F(TargetGridEdit, CtrlDeleteWithoutSelectionDeletesTheCurrentRowOnly) {
    ui->click(2);
    ui->key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(table().RecordCount(), 4);
    EXPECT_EQ(text(2, 1), QStringLiteral("Row 4"));
}

TEST_F(TargetGridEdit, CutCopiesThenDeletes) {
    ui->key(Qt::Key_A, Qt::ControlModifier);
    ui->key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(table().RecordCount(), 0);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("1\tRow 1")));
}

TEST_F(TargetGridEdit, PlainClickOrMoveDropsKindAll) {
    ui->key(Qt::Key_A, Qt::ControlModifier);
    ui->key(Qt::Key_Down);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
    ui->key(Qt::Key_A, Qt::ControlModifier);
    ui->click(3);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
}

TEST_F(TargetGridEdit, ActionsWaitForTheirConditions) {
    db.exec(QStringLiteral("CREATE TABLE no_rows (id INTEGER PRIMARY KEY, name TEXT)"));
    GridHarness empty(RecordGrid::Role::Target, db.openTarget(QStringLiteral("no_rows")));
    empty.key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(empty.grid.selectionKind(), SelectionKind::None);
    empty.key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(ScriptedPrompts::instance().messages().isEmpty());

    GridHarness readOnly(RecordGrid::Role::Target, db.openSource(QStringLiteral("target_rows")));
    readOnly.key(Qt::Key_Insert);
    EXPECT_EQ(readOnly.table->State(), TableState::Browse);
    QApplication::clipboard()->setText(QStringLiteral("x"));
    readOnly.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(readOnly.table->HasPendingUpdates());
    EXPECT_TRUE(ScriptedPrompts::instance().messages().isEmpty());
}

}  // namespace
