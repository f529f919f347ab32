#include "tests/app/MainWindowFixture.h"

#include "about/uAbout.h"
#include "data/Exceptions.h"
#include "data/TTable.h"
#include "grids/RecordGrid.h"
#include "settings/uSetup.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

using Commands = MainWindowFixture;

// Closes the modal window that the next command opens, once it is up, and remembers it.
class ModalCloser {
public:
    ModalCloser() {
        QTimer::singleShot(0, [this] { closeWhenUp(); });
    }
    QPointer<QWidget> seen;
    bool wasModal = false;
    bool wasAbout = false;

private:
    void closeWhenUp() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            QTimer::singleShot(10, [this] { closeWhenUp(); });
            return;
        }
        seen = modal;
        wasModal = modal->isModal();
        wasAbout = qobject_cast<TfAbout*>(modal) != nullptr && modal->parent() == fMain;
        modal->close();
    }
};

}  // namespace

TEST_F(Commands, ErrorReportAppendsAFullStopOnlyAfterCharactersAboveIt) {
    connectSource(QStringLiteral("DEMO"));
    struct Case {
        QString table;
        QString reported;
    };
    const Case cases[] = {
        {QStringLiteral("What?"), QStringLiteral("Table does not exist. Table: What?.")},
        {QStringLiteral("Plain"), QStringLiteral("Table does not exist. Table: Plain.")},
        {QStringLiteral("Done."), QStringLiteral("Table does not exist. Table: Done.")},
        {QStringLiteral("Loud!"), QStringLiteral("Table does not exist. Table: Loud!")},
        {QStringLiteral("Tail-"), QStringLiteral("Table does not exist. Table: Tail-")},
    };
    for (const Case& test : cases) {
        prompts().reset();
        openSource(test.table);
        ASSERT_EQ(prompts().messages().size(), 1) << test.table.toStdString();
        const auto& report = prompts().messages()[0];
        EXPECT_EQ(report.text, test.reported);
        EXPECT_EQ(report.caption, QStringLiteral("Rowcart"));
        EXPECT_EQ(report.icon, UserPrompts::Icon::Error);
        EXPECT_EQ(report.buttons, UserPrompts::Ok);
    }
    // The window stays usable after a reported error.
    prompts().reset();
    openSource(QStringLiteral("ORDERS"));
    EXPECT_TRUE(window().tFrom().Active());
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(Commands, SilentAbortShowsNothing) {
    EXPECT_FALSE(RunCommand([] { throw EAbort(); }));
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(Commands, CtrlDAndCtrlGReachTheirActionsFromAnywhereInTheWindow) {
    openBoth();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QSignalSpy moves(a().aDataLoad, &QAction::triggered);
    QSignalSpy scripts(a().aGenerateSQL, &QAction::triggered);
    const QList<QWidget*> places = {c().eFromAlias, c().eFromTable, c().dbgFrom,
                                    c().eToAlias,   c().eToTable,   c().dbgTo};
    for (QWidget* place : places) {
        place->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), place) << place->objectName().toStdString();
        QTest::keyClick(place, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(place, Qt::Key_G, Qt::ControlModifier);
    }
    EXPECT_EQ(moves.size(), places.size());
    EXPECT_EQ(scripts.size(), places.size());
    // The text boxes did not take the keys as editing keys.
    EXPECT_EQ(c().eFromAlias->currentText(), QStringLiteral("DEMO"));
}

TEST_F(Commands, AboutShowsAFreshModalAboutWindowAndReleasesIt) {
    ModalCloser closer;
    a().aAbout->trigger();
    EXPECT_TRUE(closer.wasAbout);
    EXPECT_TRUE(closer.wasModal);
    // Released once closed.
    EXPECT_TRUE(closer.seen.isNull());
    EXPECT_TRUE(window().findChildren<TfAbout*>().isEmpty());

    ModalCloser again;
    a().aAbout->trigger();
    EXPECT_TRUE(again.wasAbout);
    EXPECT_TRUE(window().findChildren<TfAbout*>().isEmpty());
}

TEST_F(Commands, OptionsShowsTheOneOptionsWindowModallyAndKeepsIt) {
    TfSetup* setup = window().fSetup();
    for (int run = 0; run < 2; ++run) {
        ModalCloser closer;
        a().aSetup->trigger();
        EXPECT_EQ(closer.seen.data(), setup);
        EXPECT_TRUE(closer.wasModal);
    }
    EXPECT_EQ(window().fSetup(), setup);
    EXPECT_FALSE(setup->isVisible());
}

TEST_F(Commands, ExitClosesTheWindow) {
    a().aClose->trigger();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(Commands, SelAllSelectsEverySourceRow) {
    connectSource(QStringLiteral("DEMO"));
    openSource(QStringLiteral("PRODUCTS"));
    a().aSelAll->trigger();
    EXPECT_EQ(c().dbgFrom->selection().Count(), window().tFrom().RecordCount());
    EXPECT_GT(c().dbgFrom->selection().Count(), 0);
}
