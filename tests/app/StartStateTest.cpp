#include "tests/app/MainWindowFixture.h"

#include "app/AnchorPanel.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "grids/ActionToolBar.h"
#include "grids/RecordGrid.h"
#include "grids/RecordNavigator.h"
#include "script/uSQL.h"
#include "settings/uSetup.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <algorithm>

namespace {

using StartState = MainWindowFixture;

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list.append(box->itemText(i));
    return list;
}

// Captions of the action buttons, left to right as they are shown.
QStringList buttonCaptions(const QToolBar* bar) {
    QList<QToolButton*> buttons = bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    std::sort(buttons.begin(), buttons.end(),
              [](QToolButton* l, QToolButton* r) { return l->x() < r->x(); });
    QStringList captions;
    for (const QToolButton* button : buttons) {
        if (button->defaultAction() && button->isVisible())
            captions.append(button->text());
    }
    return captions;
}

}  // namespace

TEST_F(StartState, BothAliasBoxesListTheEnginesAliasesInOrderWithNothingTyped) {
    const QStringList expected = {QStringLiteral("DEMO"), QStringLiteral("WORK"),
                                  QStringLiteral("SECURE")};
    EXPECT_EQ(items(c().eFromAlias), expected);
    EXPECT_EQ(items(c().eToAlias), expected);
    EXPECT_TRUE(c().eFromAlias->currentText().isEmpty());
    EXPECT_TRUE(c().eToAlias->currentText().isEmpty());
    EXPECT_EQ(c().eFromTable->count(), 0);
    EXPECT_EQ(c().eToTable->count(), 0);
}

TEST_F(StartState, NothingIsConnectedAndTheLabelsSaySo) {
    EXPECT_FALSE(window().dbFrom().Connected());
    EXPECT_FALSE(window().dbTo().Connected());
    EXPECT_EQ(c().lFromConnect->text(), QStringLiteral("No connect"));
    EXPECT_EQ(c().lToConnect->text(), QStringLiteral("No connect"));
    EXPECT_EQ(c().lFromTable->text(), QStringLiteral("Not opened"));
    EXPECT_EQ(c().lToTable->text(), QStringLiteral("Not opened"));
    for (QAction* action : {a().aFromConnect, a().aToConnect, a().aFromReopen, a().aToReopen}) {
        EXPECT_TRUE(action->isCheckable()) << action->objectName().toStdString();
        EXPECT_FALSE(action->isChecked()) << action->objectName().toStdString();
    }
    EXPECT_TRUE(prompts().messages().isEmpty());
}

TEST_F(StartState, SidesAreConfiguredAsTheirRolesNeed) {
    EXPECT_EQ(window().ses().SessionName(), QStringLiteral("ses"));
    EXPECT_EQ(window().dbFrom().DatabaseName(), QStringLiteral("dbFrom"));
    EXPECT_EQ(window().dbFrom().SessionName(), QStringLiteral("ses"));
    EXPECT_TRUE(window().dbFrom().ReadOnly());
    EXPECT_EQ(TSession::Find(QStringLiteral("ses"))->FindDatabase(QStringLiteral("dbFrom")),
              &window().dbFrom());
    EXPECT_EQ(window().dbTo().DatabaseName(), QStringLiteral("dbTo"));
    EXPECT_EQ(TSession::Default().FindDatabase(QStringLiteral("dbTo")), &window().dbTo());
    EXPECT_FALSE(window().dbTo().ReadOnly());
    for (TDatabase* db : {&window().dbFrom(), &window().dbTo()}) {
        EXPECT_TRUE(db->LoginPrompt);
        EXPECT_TRUE(db->KeepConnection);
        EXPECT_TRUE(db->AliasName().isEmpty());
    }
    EXPECT_EQ(window().tFrom().DatabaseName(), QStringLiteral("dbFrom"));
    EXPECT_EQ(window().tFrom().SessionName(), QStringLiteral("ses"));
    EXPECT_TRUE(window().tFrom().ReadOnly());
    EXPECT_FALSE(window().tFrom().CachedUpdates());
    EXPECT_EQ(window().tTo().DatabaseName(), QStringLiteral("dbTo"));
    EXPECT_EQ(window().tTo().SessionName(), QStringLiteral("Default"));
    EXPECT_FALSE(window().tTo().ReadOnly());
    EXPECT_TRUE(window().tTo().CachedUpdates());
    EXPECT_EQ(window().tTo().UpdateMode(), upWhereChanged);
    EXPECT_EQ(c().dbgFrom->table(), &window().tFrom());
    EXPECT_EQ(c().dbgTo->table(), &window().tTo());
    EXPECT_EQ(c().DBNavigator1->table(), &window().tFrom());
    EXPECT_EQ(c().DBNavigator2->table(), &window().tTo());
}

TEST_F(StartState, SqlAndOptionsWindowsExistHiddenAndOwnedByTheMainWindow) {
    ASSERT_NE(window().fSQL(), nullptr);
    ASSERT_NE(window().fSetup(), nullptr);
    EXPECT_FALSE(window().fSQL()->isVisible());
    EXPECT_FALSE(window().fSetup()->isVisible());
    EXPECT_EQ(window().fSQL()->parent(), &window());
    EXPECT_EQ(window().fSetup()->parent(), &window());
    EXPECT_TRUE(window().fSQL()->isWindow());
    EXPECT_EQ(fMain, &window());
}

TEST_F(StartState, ActionsCarryTheirCaptionsHintsAndShortcuts) {
    struct Expected {
        const char* name;
        const char* caption;
        const char* hint;
        QKeySequence shortcut;
    };
    const Expected table[] = {
        {"aSelAll", "SelAll", "Select all in \"From\"", {}},
        {"aFromConnect", "FromConnect", "Connect to database \"From\"", {}},
        {"aToConnect", "ToConnect", "Connect to database \"To\"", {}},
        {"aDataLoad", "Data Move !", "Execute data moving", QKeySequence(QStringLiteral("Ctrl+D"))},
        {"aGenerateSQL", "Generate SQL..", "Generate insert script",
         QKeySequence(QStringLiteral("Ctrl+G"))},
        {"aCommit", "CommitUpdate", "Commit all updates in database \"To\"", {}},
        {"aRollBack", "CancelUpdate", "Cancel all updates in database \"To\"", {}},
        {"aFromReopen", "FromReopen", "Refreshing table in database \"From\"", {}},
        {"aToReopen", "ToReopen", "Refreshing table in database \"To\"", {}},
        {"aAbout", "About..", "About", {}},
        {"aClose", "Exit", "Exit", {}},
        {"aSetup", "Options..", "Set options", {}},
        {"aPrint", "Print..", "Print table \"To\"", {}},
    };
    QObject* list = window().findChild<QObject*>(QStringLiteral("ActionList1"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->findChildren<QAction*>().size(), 13);
    for (const Expected& e : table) {
        auto* action = list->findChild<QAction*>(QLatin1String(e.name));
        ASSERT_NE(action, nullptr) << e.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(e.caption)) << e.name;
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(e.hint)) << e.name;
        EXPECT_EQ(action->shortcut(), e.shortcut) << e.name;
        EXPECT_TRUE(action->isEnabled()) << e.name;
    }
}

TEST_F(StartState, ToolBarsShowTheirActionsInOrderAsHandCursorTextButtons) {
    EXPECT_EQ(buttonCaptions(c().tbMain),
              QStringList({"FromConnect", "FromReopen", "SelAll", "Data Move !", "Generate SQL..",
                           "Options..", "About..", "Exit"}));
    EXPECT_EQ(buttonCaptions(c().ToolBar2),
              QStringList({"ToConnect", "ToReopen", "CommitUpdate", "CancelUpdate", "Print.."}));
    for (const QToolBar* bar :
         {static_cast<QToolBar*>(c().tbMain), static_cast<QToolBar*>(c().ToolBar2)}) {
        const QSize size = bar == c().tbMain ? QSize(81, 21) : QSize(76, 21);
        for (const QToolButton* button :
             bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
            if (!button->defaultAction())
                continue;
            EXPECT_EQ(button->size(), size) << button->text().toStdString();
            EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
            EXPECT_EQ(button->toolTip(), button->defaultAction()->toolTip());
        }
    }
    EXPECT_EQ(c().tbFromConnect->defaultAction(), a().aFromConnect);
    EXPECT_EQ(c().tbFromReopen->defaultAction(), a().aFromReopen);
    EXPECT_EQ(c().tbToConnect->defaultAction(), a().aToConnect);
    EXPECT_EQ(c().tbToReopen->defaultAction(), a().aToReopen);
    for (QToolButton* toggle :
         {c().tbFromConnect, c().tbFromReopen, c().tbToConnect, c().tbToReopen})
        EXPECT_TRUE(toggle->isCheckable()) << toggle->objectName().toStdString();
}

TEST_F(StartState, WindowIsStackedTopToBottomWithTheGivenHeights) {
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Rowcart. Copying BDE database table data."));
    EXPECT_EQ(window().size(), QSize(678, 458));
    EXPECT_EQ(window().font().pointSize(), 8);

    EXPECT_EQ(c().tbMain->height(), 21);
    EXPECT_EQ(c().pFrom->height(), 54);
    EXPECT_EQ(c().dbgFrom->height(), 136);
    EXPECT_EQ(c().Splitter1->handleWidth(), 3);
    EXPECT_EQ(c().pTo->height(), 73);
    EXPECT_FALSE(c().pProgress->isVisible());
    EXPECT_EQ(c().pProgress->height(), 20);

    const auto top = [this](QWidget* w) { return w->mapTo(&window(), QPoint(0, 0)).y(); };
    EXPECT_EQ(top(c().tbMain), 0);
    EXPECT_EQ(top(c().pFrom), 21);
    EXPECT_EQ(top(c().dbgFrom), 75);
    EXPECT_EQ(top(c().pTo), 75 + 136 + 3);
    EXPECT_EQ(top(c().dbgTo), 75 + 136 + 3 + 73);
    EXPECT_EQ(top(c().dbgTo) + c().dbgTo->height(), window().height());
    for (QWidget* w : {static_cast<QWidget*>(c().tbMain), static_cast<QWidget*>(c().pFrom),
                       static_cast<QWidget*>(c().dbgFrom), static_cast<QWidget*>(c().pTo),
                       static_cast<QWidget*>(c().dbgTo)})
        EXPECT_EQ(w->width(), window().width()) << w->objectName().toStdString();

    EXPECT_EQ(c().pFrom->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(c().pTo->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(c().ToolBar2->parentWidget(), c().pTo);
    EXPECT_EQ(c().prbar->parentWidget(), c().pProgress);
    EXPECT_EQ(c().pInfo->width(), 127);
    EXPECT_EQ(c().bStop->text(), QStringLiteral("Stop"));
}

TEST_F(StartState, PanelControlsSitWhereLaidOutWithTheirColours) {
    EXPECT_EQ(c().eFromAlias->geometry(), QRect(136, 4, 129, 21));
    EXPECT_EQ(c().eFromTable->geometry(), QRect(112, 29, 153, 21));
    EXPECT_EQ(c().eToAlias->geometry(), QRect(136, 23, 129, 21));
    EXPECT_EQ(c().eToTable->geometry(), QRect(112, 49, 153, 21));
    EXPECT_EQ(c().lFromConnect->pos(), QPoint(272, 8));
    EXPECT_EQ(c().lFromTable->pos(), QPoint(272, 32));
    EXPECT_EQ(c().lToConnect->pos(), QPoint(272, 26));
    EXPECT_EQ(c().lToTable->pos(), QPoint(272, 53));
    EXPECT_EQ(c().DBNavigator1->size(), QSize(80, 18));
    EXPECT_EQ(c().DBNavigator2->size(), QSize(198, 18));
    EXPECT_EQ(c().DBNavigator1->y(), 32);
    EXPECT_EQ(c().DBNavigator2->y(), 51);
    EXPECT_EQ(c().lFromConnect->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(c().lToConnect->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(c().eFromAlias->isEditable());
    EXPECT_TRUE(c().eToTable->isEditable());

    QStringList captions;
    for (const QLabel* label : c().pFrom->findChildren<QLabel*>())
        captions.append(label->text());
    EXPECT_TRUE(captions.contains(QStringLiteral("\"From\" BDE alias name:")));
    EXPECT_TRUE(captions.contains(QStringLiteral("Name table \"From\":")));
}

TEST_F(StartState, NavigatorsStayAtTheRightEdgeWhenTheWindowWidens) {
    const int fromGap = c().pFrom->width() - c().DBNavigator1->geometry().right();
    const int toGap = c().pTo->width() - c().DBNavigator2->geometry().right();
    window().resize(900, 500);
    QCoreApplication::processEvents();
    ASSERT_EQ(c().pFrom->width(), 900);
    EXPECT_EQ(c().pFrom->width() - c().DBNavigator1->geometry().right(), fromGap);
    EXPECT_EQ(c().pTo->width() - c().DBNavigator2->geometry().right(), toGap);
    EXPECT_EQ(c().eFromAlias->x(), 136);
    EXPECT_EQ(c().ToolBar2->width(), 900);
    // A taller window gives its height to the target grid; the source grid keeps its own.
    EXPECT_EQ(c().dbgFrom->height(), 136);
}

TEST_F(StartState, SourceGridHeightFollowsTheSplitter) {
    window().setSourceGridHeight(180);
    QCoreApplication::processEvents();
    EXPECT_EQ(c().dbgFrom->height(), 180);
    EXPECT_EQ(window().sourceGridHeight(), 180);
}

TEST_F(StartState, TabMovesFromEachAliasBoxToItsTableBox) {
    QApplication::setActiveWindow(&window());
    for (auto [from, to] :
         {std::pair{c().eFromAlias, c().eFromTable}, std::pair{c().eToAlias, c().eToTable}}) {
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), to) << from->objectName().toStdString();
    }
}

TEST_F(StartState, CaptionsFitTheirFixedSizesInTheDialogFont) {
    for (const QToolBar* bar :
         {static_cast<QToolBar*>(c().tbMain), static_cast<QToolBar*>(c().ToolBar2)}) {
        for (const QToolButton* button :
             bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
            if (!button->defaultAction())
                continue;
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
                << button->text().toStdString();
        }
    }
    for (const AnchorPanel* panel : {c().pFrom, c().pTo}) {
        for (const QLabel* label : panel->findChildren<QLabel*>()) {
            if (!label->text().endsWith(QLatin1Char(':')))
                continue;
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        }
    }
}

TEST_F(StartState, OpensCentredOnTheScreen) {
    const QRect screen = window().screen()->availableGeometry();
    // The frame is unknown before the first show and shifts the client area by its thickness.
    const QPoint frame = window().geometry().topLeft() - window().frameGeometry().topLeft();
    EXPECT_LE((window().geometry().center() - screen.center()).manhattanLength(),
              frame.manhattanLength() + 2);
}
