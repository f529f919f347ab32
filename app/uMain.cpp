#include "app/uMain.h"

#include "about/uAbout.h"
#include "app/BoxActionTrigger.h"
#include "app/ComboItems.h"
#include "app/ConnectionsController.h"
#include "app/MainActions.h"
#include "app/MainBatchHost.h"
#include "app/MainLayout.h"
#include "app/MainScriptSide.h"
#include "app/MainSqlSide.h"
#include "app/PendingUpdatesQuestion.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/TransferSides.h"
#include "data/UserPrompts.h"
#include "grids/DialogFont.h"
#include "grids/PrintDBGridEh.h"
#include "grids/RecordGrid.h"
#include "grids/RecordNavigator.h"
#include "script/uSQL.h"
#include "settings/FormStorage.h"
#include "settings/uSetup.h"
#include "transfer/BatchRun.h"
#include "transfer/RowTransfer.h"
#include "transfer/uFromTo.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>

TfMain* fMain = nullptr;

namespace {

void bindCommand(QAction* action, QObject* context, std::function<void()> command) {
    QObject::connect(action, &QAction::triggered, context,
                     [command = std::move(command)] { RunCommand(command); });
}

}  // namespace

TfMain::TfMain(QWidget* parent) : QMainWindow(parent) {
    fMain = this;
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Rowcart. Copying BDE database table data."));
    setFont(DialogFont());
    resize(678, 458);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_actions = new MainActions(this);
    m_controls = std::make_unique<MainLayout>(*this, *m_actions);
    // Every action reaches its shortcut from anywhere in the window.
    addActions(m_actions->all());

    // Created after the controls, so the grids are released before the tables they show.
    createEngineObjects();
    m_batchHost = std::make_unique<MainBatchHost>(*m_controls, *m_tFrom, *m_tTo);
    m_batchRun = std::make_unique<BatchRun>(*m_batchHost);
    QObject::connect(m_controls->bStop, &QPushButton::clicked, this,
                     [this] { m_batchRun->Stop(); });
    bindGrids();
    bindCommands();
    runCreationSteps();
}

TfMain::~TfMain() {
    if (fMain == this)
        fMain = nullptr;
}

void TfMain::createEngineObjects() {
    m_ses = new TSession(TransferSides::SourceSession, this);
    m_dbFrom = new TDatabase(this);
    m_tFrom = new TTable(this);
    m_tFrom->setObjectName(QStringLiteral("tFrom"));
    TransferSides::SetUpSource(*m_dbFrom, *m_tFrom);
    m_dbTo = new TDatabase(this);
    m_tTo = new TTable(this);
    m_tTo->setObjectName(QStringLiteral("tTo"));
    TransferSides::SetUpTarget(*m_dbTo, *m_tTo);

    const MainLayout& c = *m_controls;
    const MainActions& a = *m_actions;
    m_connections = new ConnectionsController(
        ConnectionSide{QStringLiteral("From"), m_dbFrom, m_tFrom, c.eFromAlias, c.eFromTable,
                       c.lFromConnect, c.lFromTable, a.aFromConnect, a.aFromReopen},
        ConnectionSide{QStringLiteral("To"), m_dbTo, m_tTo, c.eToAlias, c.eToTable, c.lToConnect,
                       c.lToTable, a.aToConnect, a.aToReopen},
        this);
}

void TfMain::bindGrids() {
    m_controls->dbgFrom->setTable(m_tFrom);
    m_controls->DBNavigator1->setTable(m_tFrom);
    m_controls->dbgTo->setTable(m_tTo);
    m_controls->DBNavigator2->setTable(m_tTo);
    m_PrintDBGridEh1 = new TPrintDBGridEh(m_controls->dbgTo, this);
    m_PrintDBGridEh1->setObjectName(QStringLiteral("PrintDBGridEh1"));
}

void TfMain::bindCommands() {
    const MainActions& a = *m_actions;
    ConnectionsController* connections = m_connections;
    bindCommand(a.aSelAll, this, [this] { aSelAllExecute(); });
    bindCommand(a.aGenerateSQL, this, [this] { GenerateScript(*this); });
    bindCommand(a.aDataLoad, this, [this] { aDataLoadExecute(); });
    bindCommand(a.aFromConnect, this, [connections] { connections->aFromConnectExecute(); });
    bindCommand(a.aToConnect, this, [connections] { connections->aToConnectExecute(); });
    bindCommand(a.aFromReopen, this, [connections] { connections->aFromReopenExecute(); });
    bindCommand(a.aToReopen, this, [connections] { connections->aToReopenExecute(); });
    bindCommand(a.aCommit, this, [connections] { connections->aCommitExecute(); });
    bindCommand(a.aRollBack, this, [connections] { connections->aRollBackExecute(); });
    bindCommand(a.aAbout, this, [this] { aAboutExecute(); });
    bindCommand(a.aSetup, this, [this] { aSetupExecute(); });
    bindCommand(a.aClose, this, [this] { aCloseExecute(); });
    bindCommand(a.aPrint, this, [this] { aPrintExecute(); });

    const MainLayout& c = *m_controls;
    BoxActionTrigger::bind(c.eFromAlias, a.aFromConnect);
    BoxActionTrigger::bind(c.eToAlias, a.aToConnect);
    BoxActionTrigger::bind(c.eFromTable, a.aFromReopen);
    BoxActionTrigger::bind(c.eToTable, a.aToReopen);
}

void TfMain::runCreationSteps() {
    RunCommand([this] {
        QStringList aliases;
        m_ses->ReadAliasList(aliases);
        SetItemsKeepingText(m_controls->eFromAlias, aliases);
        m_ses->ReadAliasList(aliases);
        SetItemsKeepingText(m_controls->eToAlias, aliases);
    });
    // Made even when the engine failed above: the commands that show them must find them.
    m_fSQL = new TfSQL(this);
    m_sqlSide = std::make_unique<MainSqlSide>(*this);
    m_fSQL->setSide(m_sqlSide.get());
    m_fSetup = new TfSetup(this);
    RunCommand([this] { m_fSetup->formStorage().RestoreFormPlacement(); });

    FormStorage::Config storage;
    storage.storedProps = {QStringLiteral("eFromAlias.Text"), QStringLiteral("eFromTable.Text"),
                           QStringLiteral("eToAlias.Text"), QStringLiteral("eToTable.Text"),
                           QStringLiteral("dbgFrom.Height")};
    storage.options = WindowPlacement::fpState | WindowPlacement::fpPosition;
    new FormStorage(this, storage);
}

int TfMain::ShowFieldMapping() {
    return ::ShowFieldMapping(*m_tFrom, *m_tTo, m_mapping, this);
}

int TfMain::sourceGridHeight() const {
    return m_controls->Splitter1->sizes().value(0);
}

void TfMain::setSourceGridHeight(int height) {
    QList<int> sizes = m_controls->Splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    m_controls->Splitter1->setSizes({height, qMax(0, total - height)});
}

void TfMain::closeEvent(QCloseEvent* event) {
    // Dropping uncommitted target rows without a word loses the user's moved rows.
    if (RunCommand([this] { AskAboutPendingUpdates(*m_tTo); }))
        event->accept();
    else
        event->ignore();
}

void TfMain::aSelAllExecute() {
    m_controls->dbgFrom->selectAllRows();
}

void TfMain::aDataLoadExecute() {
    const TfSetup* setup = m_fSetup;
    MoveOptions options;
    options.noTypeComparison = [setup] { return setup->noTypeComparison(); };
    options.autoCommit = [setup] { return setup->autoCommit(); };
    options.autoCommitInterval = [setup] { return qint64(setup->autoCommitInterval()); };
    RowTransfer transfer(*m_tFrom, *m_tTo, m_mapping, options);
    m_batchRun->RunBatch(
        *m_tFrom, m_controls->dbgFrom->selection(), [this] { return ShowFieldMapping(); },
        transfer.pieces());
}

void TfMain::aAboutExecute() {
    TfAbout about(this);
    about.exec();
}

void TfMain::aSetupExecute() {
    m_fSetup->exec();
}

void TfMain::aCloseExecute() {
    close();
}

void TfMain::aPrintExecute() {
    if (!m_tTo->Active())
        return;
    const MainLayout& c = *m_controls;
    PageTexts& header = m_PrintDBGridEh1->PageHeader();
    header.LeftText.clear();
    header.LeftText.append(QStringLiteral("&[ShortDate] &[Time] ") + c.lToConnect->text() +
                           QStringLiteral(" table \"") + c.eToTable->currentText() +
                           QLatin1Char('"'));
    m_PrintDBGridEh1->PreviewGrid();
}
