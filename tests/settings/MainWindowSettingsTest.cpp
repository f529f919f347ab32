#include "app/MainLayout.h"
#include "app/uMain.h"
#include "data/TSession.h"
#include "grids/RecordGrid.h"
#include "settings/FormStorage.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/uSetup.h"
#include "tests/settings/SettingsFixture.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <memory>

namespace {

// The real main window, on demo aliases of its own, started twice over the same settings.
class MainWindowSettingsTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        ASSERT_TRUE(m_aliases.isValid());
        qputenv("ROWCART_ALIASES", m_aliases.filePath(QStringLiteral("aliases.conf")).toUtf8());
        TSession::ReloadAliases();
    }
    void TearDown() override {
        qunsetenv("ROWCART_ALIASES");
        TSession::ReloadAliases();
        SettingsFixture::TearDown();
    }

    static QString value(const QString& name) { return stored(name).toString(); }

    QTemporaryDir m_aliases;
};

TEST_F(MainWindowSettingsTest, NamesGridHeightAndPlacementSurviveTwoStarts) {
    const QRect placed(40, 30, 700, 500);
    {
        TfMain main;
        main.show();
        const MainLayout& c = main.controls();
        c.eFromAlias->setEditText(QStringLiteral("DEMO"));
        c.eFromTable->setEditText(QStringLiteral("CUSTOMERS"));
        c.eToAlias->setEditText(QStringLiteral("WORK"));
        c.eToTable->setEditText(QStringLiteral("ORDERS"));
        main.setGeometry(placed);
        main.setSourceGridHeight(140);
        ASSERT_EQ(c.dbgFrom->height(), 140);
        EXPECT_TRUE(main.close());
    }
    EXPECT_EQ(value(QStringLiteral("eFromAlias_Text")), QStringLiteral("DEMO"));
    EXPECT_EQ(value(QStringLiteral("eFromTable_Text")), QStringLiteral("CUSTOMERS"));
    EXPECT_EQ(value(QStringLiteral("eToAlias_Text")), QStringLiteral("WORK"));
    EXPECT_EQ(value(QStringLiteral("eToTable_Text")), QStringLiteral("ORDERS"));
    EXPECT_EQ(value(QStringLiteral("dbgFrom_Height")), QStringLiteral("140"));
    EXPECT_EQ(value(QStringLiteral("NormPos")), QStringLiteral("40,30,740,530"));
    EXPECT_EQ(value(QStringLiteral("ShowCmd")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("Visible")), QStringLiteral("0"));
    // The options window, never opened, wrote its loaded values back at exit.
    EXPECT_EQ(value(QStringLiteral("eScriptDevider_Text")), QStringLiteral(";"));
    // The SQL window, never opened, wrote nothing.
    EXPECT_FALSE(storedNames().contains(QStringLiteral("sDialog_FileName")));

    TfMain again;
    const MainLayout& c = again.controls();
    again.show();
    EXPECT_EQ(c.eFromAlias->currentText(), QStringLiteral("DEMO"));
    EXPECT_EQ(c.eFromTable->currentText(), QStringLiteral("CUSTOMERS"));
    EXPECT_EQ(c.eToAlias->currentText(), QStringLiteral("WORK"));
    EXPECT_EQ(c.eToTable->currentText(), QStringLiteral("ORDERS"));
    EXPECT_EQ(c.dbgFrom->height(), 140);
    EXPECT_EQ(again.geometry(), placed);
    again.close();
}

TEST_F(MainWindowSettingsTest, TheOptionsAreLoadedAtCreationBeforeAnyShowing) {
    store(QStringLiteral("cbAutoCommit_Checked"), QStringLiteral("true"));
    store(QStringLiteral("eAutoCommit_Value"), QStringLiteral("250"));
    store(QStringLiteral("eSQLLanguage_ItemIndex"), QStringLiteral("1"));
    TfMain main;
    TfSetup* setup = main.fSetup();
    ASSERT_NE(setup, nullptr);
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(setup->autoCommit());
    EXPECT_TRUE(setup->findChild<IntegerSpinEdit*>(QStringLiteral("eAutoCommit"))->isEnabled());
    EXPECT_EQ(setup->autoCommitInterval(), 250);
    EXPECT_EQ(setup->sqlDialectName(), QStringLiteral("Oracle SQL"));
}

TEST_F(MainWindowSettingsTest, AMaximisedMainWindowDestroyedWithoutACloseComesBackMaximised) {
    {
        auto main = std::make_unique<TfMain>();
        main->show();
        main->showMaximized();
    }
    EXPECT_EQ(value(QStringLiteral("ShowCmd")), QStringLiteral("3"));
    EXPECT_EQ(value(QStringLiteral("Visible")), QStringLiteral("1"));
    TfMain again;
    again.show();
    EXPECT_TRUE(again.isMaximized());
    again.close();
}

TEST_F(MainWindowSettingsTest, AMainWindowPlacementOfAnotherTypeIsReportedAndNotOverwritten) {
    store(QStringLiteral("NormPos"), QRect(1, 2, 3, 4));
    store(QStringLiteral("eFromAlias_Text"), QStringLiteral("DEMO"));
    const QByteArray before = fileContents();
    {
        TfMain main;
        main.show();
        ASSERT_EQ(messages().size(), 1);
        EXPECT_EQ(messages().at(0).text, QStringLiteral("Invalid data type for 'NormPos' in ") +
                                             settingsFile() + QLatin1Char('.'));
        EXPECT_TRUE(main.controls().eFromAlias->currentText().isEmpty());
        main.close();
    }
    QSettings settings(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("NormPos")), QVariant(QRect(1, 2, 3, 4)));
    EXPECT_FALSE(settings.contains(QStringLiteral("ShowCmd")));
}

}  // namespace
