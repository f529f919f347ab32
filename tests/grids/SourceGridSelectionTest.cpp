#include "tests/grids/GridHarness.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QHeaderView>
#include <QSignalSpy>

namespace {

using Rows = QList<int>;

class SourceGridSelection : public ::testing::Test {
protected:
    void SetUp() override {
        db.createNumbered(QStringLiteral("source_rows"), 40);
        ui = std::make_unique<GridHarness>(RecordGrid::Role::Source,
                                           db.openSource(QStringLiteral("source_rows")));
    }

    RowSelection& selection() { return ui->grid.selection(); }
    qint64 current() { return ui->table->RecNo(); }

    GridTestDatabase db;
    std::unique_ptr<GridHarness> ui;
};

TEST_F(SourceGridSelection, ShowsOneTitledColumnPerFieldAndIsReadOnly) {
    QAbstractItemModel* model = ui->grid.model();
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("id"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("name"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("amount"));
    EXPECT_EQ(model->rowCount(), 40);
    EXPECT_EQ(model->data(model->index(9, 1)).toString(), QStringLiteral("Row 10"));
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(ui->grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    // The row indicator marks the current row only.
    EXPECT_FALSE(model->headerData(0, Qt::Vertical).toString().isEmpty());
    EXPECT_TRUE(model->headerData(1, Qt::Vertical).toString().isEmpty());
}

TEST_F(SourceGridSelection, CtrlClicksKeepTableOrder) {
    for (int row : {7, 2, 5})
        ui->click(row, Qt::ControlModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{2, 5, 7}));
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::Rows);
    EXPECT_TRUE(ui->grid.rowShownSelected(5));
    EXPECT_FALSE(ui->grid.rowShownSelected(4));
}

TEST_F(SourceGridSelection, CtrlClickOnASelectedRowRemovesIt) {
    for (int row : {7, 2, 5})
        ui->click(row, Qt::ControlModifier);
    ui->click(5, Qt::ControlModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{2, 7}));
    ui->click(2, Qt::ControlModifier);
    ui->click(7, Qt::ControlModifier);
    EXPECT_EQ(selection().Count(), 0);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
}

TEST_F(SourceGridSelection, PlainClickLeavesOnlyTheClickedRow) {
    ui->click(3, Qt::ControlModifier);
    ui->click(9, Qt::ControlModifier);
    ui->click(6);
    EXPECT_EQ(ui->selectedRows(), (Rows{6}));
    EXPECT_EQ(current(), 6);
}

TEST_F(SourceGridSelection, ShiftClickSelectsFromTheCurrentRow) {
    ui->click(8);
    ui->click(4, Qt::ShiftModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{4, 5, 6, 7, 8}));
    EXPECT_EQ(current(), 4);
}

TEST_F(SourceGridSelection, DraggingSelectsTheRowsPassedOver) {
    QTest::mousePress(ui->grid.viewport(), Qt::LeftButton, Qt::NoModifier, ui->cellCentre(2));
    QTest::mouseMove(ui->grid.viewport(), ui->cellCentre(4));
    QTest::mouseMove(ui->grid.viewport(), ui->cellCentre(6));
    QTest::mouseRelease(ui->grid.viewport(), Qt::LeftButton, Qt::NoModifier, ui->cellCentre(6));
    EXPECT_EQ(ui->selectedRows(), (Rows{2, 3, 4, 5, 6}));
    EXPECT_EQ(current(), 6);
    // Moving without the button no longer selects.
    QTest::mouseMove(ui->grid.viewport(), ui->cellCentre(9));
    EXPECT_EQ(selection().Count(), 5);
}

TEST_F(SourceGridSelection, ShiftMovementExtendsAndShrinksBack) {
    ui->click(5);
    ui->key(Qt::Key_Down, Qt::ShiftModifier);
    ui->key(Qt::Key_Down, Qt::ShiftModifier);
    ui->key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{5, 6, 7, 8}));
    EXPECT_EQ(current(), 8);

    ui->key(Qt::Key_Up, Qt::ShiftModifier);
    ui->key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{5, 6}));

    // Past the starting row the block grows the other way.
    ui->key(Qt::Key_Up, Qt::ShiftModifier);
    ui->key(Qt::Key_Up, Qt::ShiftModifier);
    ui->key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{3, 4, 5}));
    EXPECT_EQ(current(), 3);

    ui->key(Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(selection().Count(), 35);
    EXPECT_EQ(current(), 39);
    ui->key(Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(ui->selectedRows(), (Rows{0, 1, 2, 3, 4, 5}));
}

TEST_F(SourceGridSelection, PlainMovementClearsTheSelection) {
    ui->click(2, Qt::ControlModifier);
    ui->click(4, Qt::ControlModifier);
    ui->key(Qt::Key_Down);
    EXPECT_EQ(selection().Count(), 0);
    EXPECT_EQ(current(), 5);

    ui->click(2, Qt::ControlModifier);
    ui->key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(selection().Count(), 0);

    ui->grid.selectAll();
    ui->key(Qt::Key_PageDown);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
}

TEST_F(SourceGridSelection, CtrlAShowsEveryRowWithoutSelectingAny) {
    ui->click(3, Qt::ControlModifier);
    ui->key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::All);
    EXPECT_EQ(selection().Count(), 0);
    EXPECT_TRUE(ui->grid.rowShownSelected(17));

    ui->grid.selectAllRows();
    EXPECT_EQ(selection().Count(), 40);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::Rows);
    EXPECT_FALSE(ui->table->ControlsSuspended());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SourceGridSelection, TopLeftCellSelectsAllOrClears) {
    auto* corner = ui->grid.findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    corner->click();
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::All);
    EXPECT_EQ(selection().Count(), 0);
    corner->click();
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);

    ui->click(6, Qt::ControlModifier);
    corner->click();
    EXPECT_EQ(selection().Count(), 0);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
}

TEST_F(SourceGridSelection, ReopeningTheTableEmptiesTheSelection) {
    ui->grid.selectAllRows();
    ASSERT_EQ(selection().Count(), 40);
    ui->table->CloseTable();
    EXPECT_EQ(selection().Count(), 0);
    ui->table->OpenTable();
    EXPECT_EQ(selection().Count(), 0);
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
    EXPECT_EQ(ui->grid.model()->rowCount(), 40);

    ui->grid.selectAll();
    ui->table->CloseTable();
    EXPECT_EQ(ui->grid.selectionKind(), SelectionKind::None);
    EXPECT_EQ(ui->grid.model()->rowCount(), 0);
    // "SelAll" on a closed table does nothing.
    ui->grid.selectAllRows();
    EXPECT_EQ(selection().Count(), 0);
}

TEST_F(SourceGridSelection, SelAllOnAnEmptyTableKeepsNothingSelected) {
    db.exec(QStringLiteral("CREATE TABLE no_rows (id INTEGER PRIMARY KEY, name TEXT)"));
    GridHarness empty(RecordGrid::Role::Source, db.openSource(QStringLiteral("no_rows")));
    empty.grid.selectAllRows();
    EXPECT_EQ(empty.grid.selection().Count(), 0);
    EXPECT_EQ(empty.table->RecNo(), -1);
}

TEST_F(SourceGridSelection, GridFollowsTheTableCursor) {
    ui->table->MoveTo(30);
    EXPECT_EQ(ui->grid.currentIndex().row(), 30);
    ui->click(12, Qt::NoModifier, 2);
    EXPECT_EQ(current(), 12);
    EXPECT_EQ(ui->grid.currentIndex(), ui->grid.model()->index(12, 2));
}

TEST_F(SourceGridSelection, SelectedRowsArePaintedHighlighted) {
    ui->click(2, Qt::ControlModifier);
    ui->click(5, Qt::ControlModifier);
    ui->table->MoveTo(7);
    const QImage image = ui->grid.viewport()->grab().toImage();
    const auto background = [&](int row) {
        const QRect cell = ui->grid.visualRect(ui->grid.model()->index(row, 1));
        return QColor(image.pixel(cell.right() - 3, cell.center().y()));
    };
    const QPalette palette = ui->grid.palette();
    const auto highlighted = [&](int row) {
        const QColor color = background(row);
        return color == palette.color(QPalette::Active, QPalette::Highlight) ||
               color == palette.color(QPalette::Inactive, QPalette::Highlight);
    };
    EXPECT_TRUE(highlighted(2));
    EXPECT_TRUE(highlighted(5));
    EXPECT_FALSE(highlighted(3));
    // The current row stands out from plain rows without looking selected.
    EXPECT_FALSE(highlighted(7));
    EXPECT_NE(background(7), background(3));

    ui->grid.selectAll();
    const QImage all = ui->grid.viewport()->grab().toImage();
    const QRect cell = ui->grid.visualRect(ui->grid.model()->index(3, 1));
    const QColor color(all.pixel(cell.right() - 3, cell.center().y()));
    EXPECT_TRUE(color == palette.color(QPalette::Active, QPalette::Highlight) ||
                color == palette.color(QPalette::Inactive, QPalette::Highlight));
}

TEST_F(SourceGridSelection, SuspendedTableIsFollowedOnlyAfterResume) {
    ui->table->SuspendControls();
    ui->table->MoveTo(25);
    EXPECT_EQ(ui->grid.currentIndex().row(), 0);
    ui->table->SuspendControls();
    ui->table->ResumeControls();
    EXPECT_EQ(ui->grid.currentIndex().row(), 0);
    ui->table->ResumeControls();
    EXPECT_EQ(ui->grid.currentIndex().row(), 25);
}

TEST_F(SourceGridSelection, ClicksAndDoubleClicksStillReachTheViewSignals) {
    QSignalSpy clicked(&ui->grid, &QAbstractItemView::clicked);
    QSignalSpy doubleClicked(&ui->grid, &QAbstractItemView::doubleClicked);
    ui->click(3);
    QTest::mouseDClick(ui->grid.viewport(), Qt::LeftButton, Qt::NoModifier, ui->cellCentre(3));
    EXPECT_GE(clicked.count(), 1);
    ASSERT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(doubleClicked.first().first().toModelIndex().row(), 3);
    EXPECT_EQ(ui->selectedRows(), (Rows{3}));
}

}  // namespace
