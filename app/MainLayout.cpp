#include "app/MainLayout.h"

#include "app/AnchorPanel.h"
#include "app/MainActions.h"
#include "grids/ActionToolBar.h"
#include "grids/RecordGrid.h"
#include "grids/RecordNavigator.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The panels' child positions are laid out for this width; wider windows stretch the status
// labels and the tool bar and move the navigators with the right edge.
const int PanelDesignWidth = 670;
const int LabelHeight = 16;
const int BoxHeight = 21;
const int NavigatorHeight = 18;
const int SourceGridHeight = 136;

QLabel* makeLabel(AnchorPanel* panel, const QString& text, const QRect& rect,
                  const QColor& colour = QColor(), AnchorPanel::Anchor anchor = AnchorPanel::Left) {
    auto* label = new QLabel(text, panel);
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    panel->place(label, rect, anchor);
    return label;
}

QComboBox* makeBox(AnchorPanel* panel, const char* name, const QRect& rect) {
    auto* box = new QComboBox(panel);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    // Enter runs the side's action; it must not also add the typed text to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    panel->place(box, rect);
    return box;
}

QLabel* makeStatusLabel(AnchorPanel* panel, const char* name, const QString& text,
                        const QRect& rect, const QColor& colour = QColor()) {
    QLabel* label = makeLabel(panel, text, rect, colour, AnchorPanel::LeftRight);
    label->setObjectName(QLatin1String(name));
    return label;
}

using Button = RecordNavigator::Button;

}  // namespace

MainLayout::MainLayout(QMainWindow& window, MainActions& actions) {
    auto* central = new QWidget(&window);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    buildMainToolBar(central, actions);
    buildSourcePanel(central);

    Splitter1 = new QSplitter(Qt::Vertical, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    dbgFrom = new RecordGrid(RecordGrid::Role::Source, Splitter1);
    dbgFrom->setObjectName(QStringLiteral("dbgFrom"));

    auto* lower = new QWidget(Splitter1);
    auto* lowerColumn = new QVBoxLayout(lower);
    lowerColumn->setContentsMargins(0, 0, 0, 0);
    lowerColumn->setSpacing(0);
    buildTargetPanel(lower, actions);
    dbgTo = new RecordGrid(RecordGrid::Role::Target, lower);
    dbgTo->setObjectName(QStringLiteral("dbgTo"));
    lowerColumn->addWidget(pTo);
    lowerColumn->addWidget(dbgTo, 1);

    Splitter1->addWidget(dbgFrom);
    Splitter1->addWidget(lower);
    // Like a grid docked at the top: a taller window gives its extra height to the target grid.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({SourceGridHeight, window.height()});

    buildProgressPanel(central);

    column->addWidget(tbMain);
    column->addWidget(pFrom);
    column->addWidget(Splitter1, 1);
    column->addWidget(pProgress);
    window.setCentralWidget(central);

    QWidget::setTabOrder(eFromAlias, eFromTable);
    QWidget::setTabOrder(eFromTable, dbgFrom);
    QWidget::setTabOrder(dbgFrom, eToAlias);
    QWidget::setTabOrder(eToAlias, eToTable);
    QWidget::setTabOrder(eToTable, dbgTo);
}

void MainLayout::buildMainToolBar(QWidget* parent, MainActions& actions) {
    tbMain = new ActionToolBar(QStringLiteral("tbMain"), 21, QSize(81, 21), parent);
    tbFromConnect = tbMain->addButton(actions.aFromConnect, QStringLiteral("tbFromConnect"));
    tbFromReopen = tbMain->addButton(actions.aFromReopen, QStringLiteral("tbFromReopen"));
    tbMain->addSeparatorGap();
    tbMain->addButton(actions.aSelAll);
    tbMain->addButton(actions.aDataLoad);
    tbMain->addButton(actions.aGenerateSQL);
    tbMain->addButton(actions.aSetup);
    tbMain->addSeparatorGap();
    tbMain->addButton(actions.aAbout);
    tbMain->addButton(actions.aClose);
}

void MainLayout::buildSourcePanel(QWidget* parent) {
    pFrom = new AnchorPanel(PanelDesignWidth, parent);
    pFrom->setObjectName(QStringLiteral("pFrom"));
    pFrom->setFixedHeight(54);
    pFrom->setFrameShape(QFrame::Panel);
    pFrom->setFrameShadow(QFrame::Sunken);

    makeLabel(pFrom, QStringLiteral("\"From\" BDE alias name:"), QRect(12, 7, 121, LabelHeight),
              Qt::blue)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    eFromAlias = makeBox(pFrom, "eFromAlias", QRect(136, 4, 129, BoxHeight));
    lFromConnect = makeStatusLabel(pFrom, "lFromConnect", QStringLiteral("No connect"),
                                   QRect(272, 8, 392, LabelHeight), Qt::blue);
    makeLabel(pFrom, QStringLiteral("Name table \"From\":"), QRect(14, 32, 96, LabelHeight));
    eFromTable = makeBox(pFrom, "eFromTable", QRect(112, 29, 153, BoxHeight));
    lFromTable = makeStatusLabel(pFrom, "lFromTable", QStringLiteral("Not opened"),
                                 QRect(272, 32, 308, LabelHeight));

    DBNavigator1 =
        new RecordNavigator({Button::First, Button::Prior, Button::Next, Button::Last}, pFrom);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    pFrom->place(DBNavigator1, QRect(584, 32, 80, NavigatorHeight), AnchorPanel::Right);
}

void MainLayout::buildTargetPanel(QWidget* parent, MainActions& actions) {
    pTo = new AnchorPanel(PanelDesignWidth, parent);
    pTo->setObjectName(QStringLiteral("pTo"));
    pTo->setFixedHeight(73);

    ToolBar2 = new ActionToolBar(QStringLiteral("ToolBar2"), 21, QSize(76, 21), pTo);
    tbToConnect = ToolBar2->addButton(actions.aToConnect, QStringLiteral("tbToConnect"));
    tbToReopen = ToolBar2->addButton(actions.aToReopen, QStringLiteral("tbToReopen"));
    ToolBar2->addButton(actions.aCommit);
    ToolBar2->addButton(actions.aRollBack);
    ToolBar2->addButton(actions.aPrint);
    pTo->place(ToolBar2, QRect(0, 0, PanelDesignWidth, 21), AnchorPanel::LeftRight);

    makeLabel(pTo, QStringLiteral("\"To\" BDE alias name:"), QRect(12, 26, 121, LabelHeight),
              Qt::red)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    eToAlias = makeBox(pTo, "eToAlias", QRect(136, 23, 129, BoxHeight));
    lToConnect = makeStatusLabel(pTo, "lToConnect", QStringLiteral("No connect"),
                                 QRect(272, 26, 392, LabelHeight), Qt::red);
    makeLabel(pTo, QStringLiteral("Name table \"To\":"), QRect(14, 52, 96, LabelHeight));
    eToTable = makeBox(pTo, "eToTable", QRect(112, 49, 153, BoxHeight));
    lToTable = makeStatusLabel(pTo, "lToTable", QStringLiteral("Not opened"),
                               QRect(272, 53, 190, LabelHeight));

    DBNavigator2 = new RecordNavigator(
        {Button::First, Button::Prior, Button::Next, Button::Last, Button::Insert, Button::Delete,
         Button::Edit, Button::Post, Button::Cancel},
        pTo);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    pTo->place(DBNavigator2, QRect(466, 51, 198, NavigatorHeight), AnchorPanel::Right);
}

void MainLayout::buildProgressPanel(QWidget* parent) {
    pProgress = new QFrame(parent);
    pProgress->setObjectName(QStringLiteral("pProgress"));
    pProgress->setFixedHeight(20);
    auto* row = new QHBoxLayout(pProgress);
    row->setContentsMargins(0, 1, 0, 1);
    row->setSpacing(0);

    prbar = new QProgressBar(pProgress);
    prbar->setObjectName(QStringLiteral("prbar"));
    prbar->setTextVisible(false);

    pInfo = new QLabel(pProgress);
    pInfo->setObjectName(QStringLiteral("pInfo"));
    // A fixed size: a new text every tenth row then asks for no new layout.
    pInfo->setFixedSize(127, 18);
    pInfo->setFrameShape(QFrame::Panel);
    pInfo->setFrameShadow(QFrame::Sunken);
    pInfo->setAlignment(Qt::AlignCenter);

    bStop = new QPushButton(QStringLiteral("Stop"), pProgress);
    bStop->setObjectName(QStringLiteral("bStop"));
    bStop->setFixedSize(50, 18);
    bStop->setCursor(Qt::PointingHandCursor);

    row->addWidget(prbar, 1);
    row->addWidget(pInfo);
    row->addWidget(bStop);
    pProgress->hide();
}
