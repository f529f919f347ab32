#include "data/TField.h"
#include "grids/RecordNavigator.h"
#include "tests/grids/GridTestDatabase.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QToolButton>

namespace {

using B = RecordNavigator;

const QList<B::Button> TargetButtons = {B::First,  B::Prior, B::Next, B::Last,  B::Insert,
                                        B::Delete, B::Edit,  B::Post, B::Cancel};

class RecordNavigatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedPrompts::instance().reset();
        db.createNumbered(QStringLiteral("nav_rows"), 4);
        table = db.openTarget(QStringLiteral("nav_rows"));
        navigator.setTable(table.get());
        navigator.show();
    }

    void TearDown() override { EXPECT_TRUE(ScriptedPrompts::instance().allAnswersUsed()); }

    void press(B::Button which) {
        QToolButton* button = navigator.button(which);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    GridTestDatabase db;
    std::unique_ptr<TTable> table;
    RecordNavigator navigator{TargetButtons};
};

TEST_F(RecordNavigatorTest, ShowsTheListedButtonsWithTheirHints) {
    const QStringList hints = {"First record", "Prior record",  "Next record",
                               "Last record",  "Insert record", "Delete record",
                               "Edit record",  "Post edit",     "Cancel edit"};
    for (int i = 0; i < TargetButtons.size(); ++i)
        EXPECT_EQ(navigator.button(TargetButtons[i])->toolTip(), hints[i]);

    RecordNavigator source({B::First, B::Prior, B::Next, B::Last});
    EXPECT_NE(source.button(B::Last), nullptr);
    EXPECT_EQ(source.button(B::Insert), nullptr);
    EXPECT_EQ(source.findChildren<QToolButton*>().size(), 4);
}

TEST_F(RecordNavigatorTest, MovementButtonsMoveTheCursor) {
    press(B::Last);
    EXPECT_EQ(table->RecNo(), 3);
    press(B::Prior);
    EXPECT_EQ(table->RecNo(), 2);
    press(B::First);
    EXPECT_EQ(table->RecNo(), 0);
    press(B::Next);
    EXPECT_EQ(table->RecNo(), 1);
}

TEST_F(RecordNavigatorTest, EditButtonsRunTheTableOperations) {
    press(B::Edit);
    EXPECT_EQ(table->State(), TableState::Edit);
    table->FieldAt(1)->WriteText(QStringLiteral("Edited"));
    press(B::Post);
    EXPECT_EQ(table->State(), TableState::Browse);
    EXPECT_EQ(table->RowAt(0).at(1).toString(), QStringLiteral("Edited"));

    press(B::Insert);
    EXPECT_EQ(table->State(), TableState::Insert);
    press(B::Cancel);
    EXPECT_EQ(table->State(), TableState::Browse);
    EXPECT_EQ(table->RecordCount(), 4);
}

TEST_F(RecordNavigatorTest, DeleteAsksFirstAndDeletesOnlyOnOk) {
    press(B::Next);
    ScriptedPrompts::instance().answerMessage(UserPrompts::Cancel);
    press(B::Delete);
    EXPECT_EQ(table->RecordCount(), 4);
    ASSERT_EQ(ScriptedPrompts::instance().messages().size(), 1);
    const auto& question = ScriptedPrompts::instance().messages().first();
    EXPECT_EQ(question.text, QStringLiteral("Delete record?"));
    EXPECT_EQ(question.buttons, UserPrompts::Ok | UserPrompts::Cancel);

    ScriptedPrompts::instance().answerMessage(UserPrompts::Ok);
    press(B::Delete);
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(table->RowAt(1).at(1).toString(), QStringLiteral("Row 3"));
    EXPECT_TRUE(table->HasPendingUpdates());
}

TEST_F(RecordNavigatorTest, ButtonsFollowTheTableState) {
    EXPECT_FALSE(navigator.button(B::Post)->isEnabled());
    press(B::Edit);
    EXPECT_TRUE(navigator.button(B::Post)->isEnabled());
    press(B::Cancel);
    table->CloseTable();
    for (B::Button which : TargetButtons)
        EXPECT_FALSE(navigator.button(which)->isEnabled());
}

}  // namespace
