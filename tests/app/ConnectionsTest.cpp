#include "tests/app/MainWindowFixture.h"

#include "data/TDatabase.h"
#include "data/TTable.h"
#include "grids/RecordGrid.h"
#include "grids/RecordModel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

using Connections = MainWindowFixture;

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list.append(box->itemText(i));
    return list;
}

const QStringList DemoTables = {QStringLiteral("CUSTOMERS"), QStringLiteral("ORDERS"),
                                QStringLiteral("PRODUCTS")};

}  // namespace

TEST_F(Connections, ConnectingAndOpeningBothSidesUpdatesLabelsAndToggles) {
    connectSource(QStringLiteral("DEMO"));
    EXPECT_TRUE(window().dbFrom().Connected());
    EXPECT_EQ(window().dbFrom().AliasName(), QStringLiteral("DEMO"));
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("Connected to \"DEMO\""));
    EXPECT_TRUE(a().aFromConnect->isChecked());
    EXPECT_TRUE(c().tbFromConnect->isChecked());
    EXPECT_EQ(items(c().eFromTable), DemoTables);

    openSource(QStringLiteral("ORDERS"));
    EXPECT_TRUE(window().tFrom().Active());
    EXPECT_EQ(c().lFromTable->text(), QStringLiteral("Open ORDERS"));
    EXPECT_TRUE(c().tbFromReopen->isChecked());
    EXPECT_GT(c().dbgFrom->model()->rowCount(), 0);

    connectTarget(QStringLiteral("WORK"));
    EXPECT_TRUE(window().dbTo().Connected());
    EXPECT_EQ(c().lToConnect->text(), QStringLiteral("Connected to \"WORK\""));
    EXPECT_TRUE(c().tbToConnect->isChecked());
    EXPECT_EQ(items(c().eToTable), DemoTables);

    openTarget(QStringLiteral("CUSTOMERS"));
    EXPECT_TRUE(window().tTo().Active());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Open CUSTOMERS"));
    EXPECT_TRUE(c().tbToReopen->isChecked());
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(Connections, ConnectingTheSourceFillsAnEmptyTargetAliasOnly) {
    connectSource(QStringLiteral("DEMO"));
    EXPECT_EQ(c().eToAlias->currentText(), QStringLiteral("DEMO"));
    EXPECT_FALSE(window().dbTo().Connected());

    c().eToAlias->setEditText(QStringLiteral("WORK"));
    connectSource(QStringLiteral("DEMO"));
    EXPECT_EQ(c().eToAlias->currentText(), QStringLiteral("WORK"));
}

TEST_F(Connections, ConnectingTheTargetNeverTouchesTheSourceAlias) {
    connectTarget(QStringLiteral("WORK"));
    EXPECT_TRUE(c().eFromAlias->currentText().isEmpty());
    EXPECT_TRUE(c().eFromTable->currentText().isEmpty());
}

TEST_F(Connections, OpeningTheSourceFillsAnEmptyTargetTableOnly) {
    connectSource(QStringLiteral("DEMO"));
    openSource(QStringLiteral("ORDERS"));
    EXPECT_EQ(c().eToTable->currentText(), QStringLiteral("ORDERS"));

    openSource(QStringLiteral("PRODUCTS"));
    EXPECT_EQ(c().eToTable->currentText(), QStringLiteral("ORDERS"));
}

TEST_F(Connections, OpeningTheTargetNeverTouchesTheSourceTable) {
    connectTarget(QStringLiteral("WORK"));
    openTarget(QStringLiteral("CUSTOMERS"));
    EXPECT_TRUE(c().eFromTable->currentText().isEmpty());
}

TEST_F(Connections, ConnectingKeepsTheTypedTableName) {
    c().eFromTable->setEditText(QStringLiteral("PRODUCTS"));
    connectSource(QStringLiteral("DEMO"));
    EXPECT_EQ(c().eFromTable->currentText(), QStringLiteral("PRODUCTS"));
}

TEST_F(Connections, UnknownAliasGivesTheConnectBoxThenTheEnginesErrorAndLeavesTheSideDown) {
    connectSource(QStringLiteral("NOSUCH"));
    ASSERT_EQ(prompts().messages().size(), 2);

    const auto& first = prompts().messages()[0];
    EXPECT_TRUE(first.text.startsWith(
        QStringLiteral("Can`t connect to database \"From\":\n\rUnknown database alias 'NOSUCH'")))
        << first.text.toStdString();
    EXPECT_EQ(first.caption, QStringLiteral("Can`t connect !"));
    EXPECT_EQ(first.icon, UserPrompts::Icon::Information);
    EXPECT_EQ(first.buttons, UserPrompts::Ok);

    const auto& second = prompts().messages()[1];
    EXPECT_TRUE(second.text.startsWith(QStringLiteral("Unknown database alias 'NOSUCH'")))
        << second.text.toStdString();
    EXPECT_EQ(second.caption, QStringLiteral("Rowcart"));
    EXPECT_EQ(second.icon, UserPrompts::Icon::Error);

    EXPECT_FALSE(window().dbFrom().Connected());
    EXPECT_EQ(window().dbFrom().AliasName(), QStringLiteral("NOSUCH"));
    EXPECT_EQ(c().eFromTable->count(), 0);
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("No connect"));
    EXPECT_FALSE(a().aFromConnect->isChecked());
    // The command ended before the alias could be copied across.
    EXPECT_TRUE(c().eToAlias->currentText().isEmpty());
}

TEST_F(Connections, FailedReconnectEmptiesTheTableListAndDisconnects) {
    connectTarget(QStringLiteral("WORK"));
    openTarget(QStringLiteral("CUSTOMERS"));
    connectTarget(QStringLiteral("NOSUCH"));
    EXPECT_EQ(prompts().messages().size(), 2);
    EXPECT_FALSE(window().dbTo().Connected());
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(c().eToTable->count(), 0);
    EXPECT_EQ(c().lToConnect->text(), QStringLiteral("No connect."));
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Not opened"));
    EXPECT_FALSE(c().tbToConnect->isChecked());
    EXPECT_TRUE(prompts().messages()[0].text.startsWith(
        QStringLiteral("Can`t connect to database \"To\":\n\r")));
}

TEST_F(Connections, ReconnectingTheSourceClosesItsTable) {
    connectSource(QStringLiteral("DEMO"));
    openSource(QStringLiteral("ORDERS"));
    ASSERT_GT(c().dbgFrom->model()->rowCount(), 0);

    connectSource(QStringLiteral("WORK"));
    EXPECT_TRUE(window().dbFrom().Connected());
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("Connected to \"WORK\""));
    EXPECT_FALSE(window().tFrom().Active());
    EXPECT_EQ(c().lFromTable->text(), QStringLiteral("Not opened"));
    EXPECT_FALSE(c().tbFromReopen->isChecked());
    EXPECT_EQ(c().dbgFrom->model()->rowCount(), 0);

    a().aFromReopen->trigger();
    EXPECT_EQ(c().lFromTable->text(), QStringLiteral("Open ORDERS"));
}

TEST_F(Connections, ClickingAPressedConnectButtonReconnectsAndLeavesItPressed) {
    connectSource(QStringLiteral("DEMO"));
    ASSERT_TRUE(c().tbFromConnect->isChecked());
    QTest::mouseClick(c().tbFromConnect, Qt::LeftButton);
    EXPECT_TRUE(window().dbFrom().Connected());
    EXPECT_TRUE(c().tbFromConnect->isChecked());

    // A click on an unpressed open button with a bad name ends unpressed.
    c().eFromTable->setEditText(QStringLiteral("NOSUCH"));
    QTest::mouseClick(c().tbFromReopen, Qt::LeftButton);
    EXPECT_FALSE(c().tbFromReopen->isChecked());
    EXPECT_EQ(prompts().messages().size(), 1);
}

TEST_F(Connections, EnterAndDoubleClickInTheBoxesRunTheirActions) {
    QApplication::setActiveWindow(&window());
    c().eFromAlias->setEditText(QStringLiteral("DEMO"));
    QSignalSpy connects(a().aFromConnect, &QAction::triggered);
    c().eFromAlias->setFocus();
    QTest::keyClick(c().eFromAlias, Qt::Key_Return);
    EXPECT_EQ(connects.size(), 1);
    EXPECT_TRUE(window().dbFrom().Connected());
    // Enter does not add the typed text to the list.
    EXPECT_EQ(c().eFromAlias->count(), 3);

    // An Enter the line edit passes on to its box runs the action once, not twice.
    QTest::keyClick(c().eFromAlias->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(connects.size(), 2);

    QSignalSpy opens(a().aFromReopen, &QAction::triggered);
    c().eFromTable->setEditText(QStringLiteral("ORDERS"));
    QTest::mouseDClick(c().eFromTable->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(opens.size(), 1);
    EXPECT_TRUE(window().tFrom().Active());

    QSignalSpy targetConnects(a().aToConnect, &QAction::triggered);
    c().eToAlias->setEditText(QStringLiteral("WORK"));
    QTest::mouseDClick(c().eToAlias->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(targetConnects.size(), 1);
    EXPECT_TRUE(window().dbTo().Connected());

    c().eToTable->setEditText(QStringLiteral("PRODUCTS"));
    c().eToTable->setFocus();
    QTest::keyClick(c().eToTable, Qt::Key_Enter);
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Open PRODUCTS"));

    // Other keys do nothing of the kind.
    QSignalSpy targetOpens(a().aToReopen, &QAction::triggered);
    QTest::keyClick(c().eToTable, Qt::Key_A);
    EXPECT_EQ(targetOpens.size(), 0);
}

TEST_F(Connections, LoginCancelReportsThenAsksAgainAndASecondLoginConnects) {
    prompts().answerLogin(std::nullopt);
    prompts().answerLogin(UserPrompts::Login{QStringLiteral("alice"), QStringLiteral("secret")});
    connectSource(QStringLiteral("SECURE"));

    ASSERT_EQ(prompts().logins().size(), 2);
    EXPECT_EQ(prompts().logins()[0].first, QStringLiteral("dbFrom"));
    EXPECT_EQ(prompts().logins()[0].second, QStringLiteral("someone"));
    ASSERT_EQ(prompts().messages().size(), 1);
    EXPECT_EQ(prompts().messages()[0].text,
              QStringLiteral(
                  "Can`t connect to database \"From\":\n\rCannot connect to database 'dbFrom'"));
    EXPECT_TRUE(window().dbFrom().Connected());
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("Connected to \"SECURE\" as alice"));
    EXPECT_EQ(items(c().eFromTable), DemoTables);
    EXPECT_TRUE(c().tbFromConnect->isChecked());
}

TEST_F(Connections, LoginCancelledTwiceLeavesTheSideDownWithTwoReports) {
    prompts().answerLogin(std::nullopt);
    prompts().answerLogin(std::nullopt);
    connectTarget(QStringLiteral("SECURE"));
    ASSERT_EQ(prompts().messages().size(), 2);
    EXPECT_EQ(prompts().messages()[1].text, QStringLiteral("Cannot connect to database 'dbTo'"));
    EXPECT_FALSE(window().dbTo().Connected());
    EXPECT_EQ(c().eToTable->count(), 0);
}

TEST_F(Connections, OpeningWithoutConnectingConnectsWithTheKeptAliasFirst) {
    connectSource(QStringLiteral("DEMO"));
    window().dbFrom().Disconnect();
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("No connect."));
    EXPECT_FALSE(a().aFromConnect->isChecked());

    openSource(QStringLiteral("CUSTOMERS"));
    EXPECT_TRUE(window().dbFrom().Connected());
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("Connected to \"DEMO\""));
    EXPECT_TRUE(a().aFromConnect->isChecked());
    EXPECT_TRUE(window().tFrom().Active());
}

TEST_F(Connections, OpeningASideThatWasNeverConnectedAsksForTheConnectionsOwnName) {
    openTarget(QStringLiteral("CUSTOMERS"));
    ASSERT_EQ(prompts().messages().size(), 1);
    EXPECT_TRUE(
        prompts().messages()[0].text.startsWith(QStringLiteral("Unknown database alias 'dbTo'")));
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Not opened"));
    EXPECT_FALSE(a().aToReopen->isChecked());
}

TEST_F(Connections, FailedOpenLeavesTheTableClosed) {
    connectTarget(QStringLiteral("WORK"));
    openTarget(QStringLiteral("CUSTOMERS"));
    openTarget(QString());
    ASSERT_EQ(prompts().messages().size(), 1);
    EXPECT_EQ(prompts().messages()[0].text, QStringLiteral("Missing TableName property."));
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Not opened"));
    EXPECT_FALSE(c().tbToReopen->isChecked());
    EXPECT_TRUE(window().dbTo().Connected());
}

TEST_F(Connections, TheTargetGridEditsBecomePendingUpdatesThatCommitAndCancelHandle) {
    openBoth();
    addPendingCustomer(QStringLiteral("first"));
    a().aRollBack->trigger();
    EXPECT_FALSE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(window().tTo().RecordCount(), 0);

    addPendingCustomer(QStringLiteral("second"));
    a().aCommit->trigger();
    EXPECT_FALSE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(storedRows(QStringLiteral("WORK"), QStringLiteral("CUSTOMERS")), 1);
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(Connections, CommitOnAClosedTargetReportsTheEnginesErrorAndCancelSaysNothing) {
    a().aRollBack->trigger();
    EXPECT_TRUE(prompts().messages().isEmpty());
    a().aCommit->trigger();
    ASSERT_EQ(prompts().messages().size(), 1);
    EXPECT_EQ(prompts().messages()[0].caption, QStringLiteral("Rowcart"));
}
