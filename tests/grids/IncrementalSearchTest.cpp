#include "tests/grids/GridHarness.h"

#include <gtest/gtest.h>
#include <QClipboard>

namespace {

class IncrementalSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.createNames(QStringLiteral("words"),
                       {QStringLiteral("Abc"), QStringLiteral("abd"), QStringLiteral("xyz"),
                        QStringLiteral("ABX"), QStringLiteral("mno")});
        ui = std::make_unique<GridHarness>(RecordGrid::Role::Source,
                                           db.openSource(QStringLiteral("words")));
        // Search in the name column.
        ui->click(4, Qt::NoModifier, 1);
    }

    QString currentName() { return ui->table->FieldAt(1)->ReadText(); }
    IncrementalSearch& search() { return ui->grid.search(); }

    GridTestDatabase db;
    std::unique_ptr<GridHarness> ui;
};

TEST_F(IncrementalSearchTest, TypingFindsTheFirstRowIgnoringCase) {
    ui->type(QStringLiteral("a"));
    EXPECT_TRUE(search().active());
    EXPECT_EQ(currentName(), QStringLiteral("Abc"));
    ui->type(QStringLiteral("b"));
    EXPECT_EQ(currentName(), QStringLiteral("Abc"));
    EXPECT_EQ(search().text(), QStringLiteral("ab"));
}

TEST_F(IncrementalSearchTest, ACharacterWithoutMatchIsDropped) {
    ui->type(QStringLiteral("ab"));
    ui->type(QStringLiteral("z"));
    EXPECT_EQ(currentName(), QStringLiteral("Abc"));
    EXPECT_EQ(search().text(), QStringLiteral("ab"));
    // The search goes on from the kept text.
    ui->type(QStringLiteral("d"));
    EXPECT_EQ(currentName(), QStringLiteral("abd"));
    EXPECT_EQ(search().text(), QStringLiteral("abd"));
}

TEST_F(IncrementalSearchTest, ANonMatchingStartLeavesTheRowWhereItWas) {
    ui->table->MoveTo(2);
    ui->type(QStringLiteral("q"));
    EXPECT_EQ(currentName(), QStringLiteral("xyz"));
    EXPECT_TRUE(search().text().isEmpty());
}

TEST_F(IncrementalSearchTest, CtrlEnterStepsBetweenMatches) {
    ui->type(QStringLiteral("ab"));
    ui->key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentName(), QStringLiteral("abd"));
    ui->key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentName(), QStringLiteral("ABX"));
    // No further match: the row stays.
    ui->key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentName(), QStringLiteral("ABX"));
    ui->key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(currentName(), QStringLiteral("abd"));
    EXPECT_TRUE(search().active());
}

TEST_F(IncrementalSearchTest, BackspaceAndShiftInsertEditTheSearchText) {
    ui->type(QStringLiteral("ab"));
    ui->key(Qt::Key_Backspace);
    EXPECT_EQ(search().text(), QStringLiteral("a"));
    QApplication::clipboard()->setText(QStringLiteral("BX"));
    ui->key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(search().text(), QStringLiteral("aBX"));
    EXPECT_EQ(currentName(), QStringLiteral("ABX"));
}

TEST_F(IncrementalSearchTest, EnterEscAndF2EndSearchMode) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_F2}) {
        ui->type(QStringLiteral("x"));
        ASSERT_TRUE(search().active());
        ui->key(key);
        EXPECT_FALSE(search().active()) << key;
        EXPECT_EQ(currentName(), QStringLiteral("xyz"));
    }
}

TEST_F(IncrementalSearchTest, SearchModeTimesOutUnlessStartedWithCtrlF) {
    ui->type(QStringLiteral("m"));
    ASSERT_TRUE(search().active());
    QTest::qWait(IncrementalSearch::TimeoutMs + 300);
    EXPECT_FALSE(search().active());
    // A later letter starts a new search rather than extending "m".
    ui->type(QStringLiteral("x"));
    EXPECT_EQ(currentName(), QStringLiteral("xyz"));

    ui->key(Qt::Key_Escape);
    ui->key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(search().active());
    QTest::qWait(IncrementalSearch::TimeoutMs + 300);
    EXPECT_TRUE(search().active());
    ui->type(QStringLiteral("abd"));
    EXPECT_EQ(currentName(), QStringLiteral("abd"));
}

TEST_F(IncrementalSearchTest, TargetGridSearchesOnlyWithoutAnOpenEditor) {
    GridHarness target(RecordGrid::Role::Target, db.openTarget(QStringLiteral("words")));
    target.click(0, Qt::NoModifier, 1);
    target.type(QStringLiteral("xy"));
    EXPECT_EQ(target.table->FieldAt(1)->ReadText(), QStringLiteral("xyz"));
    target.key(Qt::Key_Escape);
    EXPECT_FALSE(target.grid.search().active());
    EXPECT_FALSE(target.table->HasPendingUpdates());

    target.key(Qt::Key_F2);
    ASSERT_TRUE(target.grid.editorOpen());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, &target.grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("abc"));
    EXPECT_FALSE(target.grid.search().active());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(target.table->RowAt(2).at(1).toString(), QStringLiteral("abc"));
}

}  // namespace
