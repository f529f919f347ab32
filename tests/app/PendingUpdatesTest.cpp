#include "tests/app/MainWindowFixture.h"

#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TTable.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {

using PendingUpdatesQuestion = MainWindowFixture;

const QString Question = QStringLiteral("Cashed updates in \"To\" is not finish ! Commit update ?");

// Checks that exactly the pending-updates question was asked, as a Yes/No/Cancel question.
void expectOnlyTheQuestion(const ScriptedPrompts& prompts) {
    ASSERT_EQ(prompts.messages().size(), 1);
    const auto& asked = prompts.messages()[0];
    EXPECT_EQ(asked.text, Question);
    EXPECT_EQ(asked.caption, QStringLiteral("Commit update?"));
    EXPECT_EQ(asked.buttons, UserPrompts::Yes | UserPrompts::No | UserPrompts::Cancel);
    EXPECT_EQ(asked.icon, UserPrompts::Icon::Question);
}

}  // namespace

TEST_F(PendingUpdatesQuestion, ClosingTheTargetWithoutPendingUpdatesAsksNothing) {
    openBoth();
    connectTarget(QStringLiteral("WORK"));
    openTarget(QStringLiteral("CUSTOMERS"));
    a().aToReopen->trigger();
    EXPECT_TRUE(window().close());
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(PendingUpdatesQuestion, ToConnectYesCommitsThenReconnects) {
    openBoth();
    addPendingCustomer(QStringLiteral("kept"));
    prompts().answerMessage(UserPrompts::Yes);
    a().aToConnect->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().dbTo().Connected());
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Not opened"));
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 1);
}

TEST_F(PendingUpdatesQuestion, ToConnectNoDropsThemThenReconnects) {
    openBoth();
    addPendingCustomer(QStringLiteral("dropped"));
    prompts().answerMessage(UserPrompts::No);
    a().aToConnect->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().dbTo().Connected());
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 0);
}

TEST_F(PendingUpdatesQuestion, ToConnectCancelChangesNothingAndSaysNothingElse) {
    openBoth();
    addPendingCustomer(QStringLiteral("waiting"));
    c().eToAlias->setEditText(QStringLiteral("DEMO"));
    prompts().answerMessage(UserPrompts::Cancel);
    a().aToConnect->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().dbTo().Connected());
    EXPECT_EQ(window().dbTo().AliasName(), QStringLiteral("WORK"));
    EXPECT_TRUE(window().tTo().Active());
    EXPECT_TRUE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Open CUSTOMERS"));
    EXPECT_TRUE(c().tbToConnect->isChecked());
    EXPECT_TRUE(c().tbToReopen->isChecked());
}

TEST_F(PendingUpdatesQuestion, ToReopenYesCommitsAndReopens) {
    openBoth();
    addPendingCustomer(QStringLiteral("kept"));
    prompts().answerMessage(UserPrompts::Yes);
    a().aToReopen->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().tTo().Active());
    EXPECT_FALSE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(window().tTo().RecordCount(), 1);
}

TEST_F(PendingUpdatesQuestion, ToReopenNoDropsThemAndOpensTheTableNowNamed) {
    openBoth();
    addPendingCustomer(QStringLiteral("dropped"));
    c().eToTable->setEditText(QStringLiteral("ORDERS"));
    prompts().answerMessage(UserPrompts::No);
    a().aToReopen->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_EQ(window().tTo().TableName(), QStringLiteral("ORDERS"));
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Open ORDERS"));
    EXPECT_FALSE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 0);
}

TEST_F(PendingUpdatesQuestion, ToReopenCancelKeepsTheTableOpenWithItsUpdates) {
    openBoth();
    addPendingCustomer(QStringLiteral("waiting"));
    c().eToTable->setEditText(QStringLiteral("ORDERS"));
    prompts().answerMessage(UserPrompts::Cancel);
    a().aToReopen->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_EQ(window().tTo().TableName(), QStringLiteral("CUSTOMERS"));
    EXPECT_TRUE(window().tTo().HasPendingUpdates());
    EXPECT_TRUE(c().tbToReopen->isChecked());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Open CUSTOMERS"));
}

TEST_F(PendingUpdatesQuestion, ClosingTheWindowYesCommitsThenCloses) {
    openBoth();
    addPendingCustomer(QStringLiteral("kept"));
    prompts().answerMessage(UserPrompts::Yes);
    EXPECT_TRUE(window().close());
    expectOnlyTheQuestion(prompts());
    EXPECT_FALSE(window().isVisible());
    m_window.reset();
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 1);
}

TEST_F(PendingUpdatesQuestion, ClosingTheWindowNoDropsThemThenCloses) {
    openBoth();
    addPendingCustomer(QStringLiteral("dropped"));
    prompts().answerMessage(UserPrompts::No);
    EXPECT_TRUE(window().close());
    expectOnlyTheQuestion(prompts());
    EXPECT_FALSE(window().isVisible());
    m_window.reset();
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 0);
}

TEST_F(PendingUpdatesQuestion, ClosingTheWindowCancelKeepsItOpenAsItWas) {
    openBoth();
    addPendingCustomer(QStringLiteral("waiting"));
    prompts().answerMessage(UserPrompts::Cancel);
    EXPECT_FALSE(window().close());
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().tTo().Active());
    EXPECT_TRUE(window().tTo().HasPendingUpdates());
}

TEST_F(PendingUpdatesQuestion, ExitRunsTheSameQuestion) {
    openBoth();
    addPendingCustomer(QStringLiteral("waiting"));
    prompts().answerMessage(UserPrompts::Cancel);
    a().aClose->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_TRUE(window().isVisible());

    prompts().reset();
    prompts().answerMessage(UserPrompts::No);
    a().aClose->trigger();
    expectOnlyTheQuestion(prompts());
    EXPECT_FALSE(window().isVisible());
}

TEST_F(PendingUpdatesQuestion, AFailedCommitKeepsTheWindowOpenAndReportsTheError) {
    // A second product with the code of an existing one breaks the table's primary key.
    connectTarget(QStringLiteral("DEMO"));
    openTarget(QStringLiteral("PRODUCTS"));
    TTable& products = window().tTo();
    const QString takenCode = products.RequireField(QStringLiteral("CODE"))->ReadText();
    products.StartInsert();
    products.RequireField(QStringLiteral("CODE"))->WriteText(takenCode);
    products.RequireField(QStringLiteral("TITLE"))->WriteText(QStringLiteral("duplicate"));
    products.PostRecord();
    ASSERT_TRUE(products.HasPendingUpdates());

    prompts().answerMessage(UserPrompts::Yes);
    EXPECT_FALSE(window().close());
    ASSERT_EQ(prompts().messages().size(), 2);
    EXPECT_EQ(prompts().messages()[0].text, Question);
    EXPECT_EQ(prompts().messages()[1].caption, QStringLiteral("Rowcart"));
    EXPECT_EQ(prompts().messages()[1].icon, UserPrompts::Icon::Error);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(products.Active());
    EXPECT_TRUE(products.HasPendingUpdates());

    // The same failure on "ToReopen" keeps the table open.
    prompts().reset();
    prompts().answerMessage(UserPrompts::Yes);
    a().aToReopen->trigger();
    EXPECT_EQ(prompts().messages().size(), 2);
    EXPECT_TRUE(products.Active());
    EXPECT_TRUE(products.HasPendingUpdates());

    // Dropping them lets the window close.
    prompts().reset();
    prompts().answerMessage(UserPrompts::No);
    EXPECT_TRUE(window().close());
}
