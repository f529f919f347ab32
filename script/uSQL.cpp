#include "script/uSQL.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/ActionToolBar.h"
#include "grids/DialogFont.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptEditor.h"
#include "script/ScriptExecution.h"
#include "script/ScriptFile.h"
#include "script/ScriptPrinter.h"
#include "script/SqlWindowSide.h"
#include "settings/FormStorage.h"
#include "settings/SaveDialogState.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QToolButton>

namespace {

void bindCommand(QAction* action, QObject* context, std::function<void()> command) {
    QObject::connect(action, &QAction::triggered, context,
                     [command = std::move(command)] { RunCommand(command); });
}

QAction* makeAction(QObject* parent, const char* name, const QString& caption,
                    const QString& hint) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
}

}  // namespace

TfSQL::TfSQL(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("fSQL"));
    setWindowTitle(QStringLiteral("SQL"));
    resize(748, 359);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildActions();
    buildEditor();

    sDialog = new SaveDialogState(this);
    sDialog->setObjectName(QStringLiteral("sDialog"));
    FormStorage::Config storage;
    storage.storedProps = {QStringLiteral("sDialog.FileName"),
                           QStringLiteral("sDialog.InitialDir")};
    new FormStorage(this, storage);
}

void TfSQL::buildActions() {
    aExeScript = makeAction(this, "aExeScript", QStringLiteral("Execute.."),
                            QStringLiteral("Execute script to database \"To\""));
    aSaveSQL =
        makeAction(this, "aSaveSQL", QStringLiteral("Save.."), QStringLiteral("Save SQL to file"));
    aPrintSQL =
        makeAction(this, "aPrintSQL", QStringLiteral("Print.."), QStringLiteral("Print SQL"));
    aClose = makeAction(this, "aClose", QStringLiteral("Exit"), QStringLiteral("Exit"));
    bindCommand(aExeScript, this, [this] { aExecuteExecute(); });
    bindCommand(aSaveSQL, this, [this] { aSaveSQLExecute(); });
    bindCommand(aPrintSQL, this, [this] { aPrintSQLExecute(); });
    bindCommand(aClose, this, [this] { close(); });

    auto* bar = new ActionToolBar(QStringLiteral("ToolBar1"), 23, QSize(52, 21), this);
    bar->setFont(DialogFont());
    const std::pair<QAction*, const char*> buttons[] = {{aExeScript, "ToolButton4"},
                                                        {aSaveSQL, "ToolButton1"},
                                                        {aPrintSQL, "ToolButton3"},
                                                        {aClose, "ToolButton2"}};
    for (const auto& [action, name] : buttons)
        bar->addButton(action, QLatin1String(name))->setFocusPolicy(Qt::TabFocus);
    addToolBar(Qt::TopToolBarArea, bar);
    ToolBar1 = bar;
}

void TfSQL::buildEditor() {
    m_buffer = new ScriptBuffer(this);
    eSQL = new ScriptEditor(*m_buffer, this);
    eSQL->setObjectName(QStringLiteral("eSQL"));
    eSQL->setAccessibleName(QStringLiteral("SQL script"));
    eSQL->setAccessibleDescription(
        QStringLiteral("The script to save, print or execute; editable as plain text"));
    eSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    eSQL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    eSQL->setFont(font);
    setCentralWidget(eSQL);
}

void TfSQL::ClearScript() {
    m_buffer->ClearScript();
}

void TfSQL::AddText(const QString& text) {
    m_buffer->AddText(text);
}

int TfSQL::LineCount() {
    return m_buffer->LineCount();
}

QString TfSQL::LineAt(int index) {
    return m_buffer->LineAt(index);
}

QString TfSQL::WholeLineAt(int index) {
    return m_buffer->WholeLineAt(index);
}

QStringList TfSQL::allLines() {
    return m_buffer->lines();
}

QString TfSQL::AutoFileName(const QString& alias, const QString& table) {
    return QStringLiteral("From alias ") + alias + QStringLiteral(", to table ") + table +
           QStringLiteral(".sql");
}

void TfSQL::aExecuteExecute() {
    if (Prompts().message(QStringLiteral("Execute this script to database \"To\" ?"),
                          QStringLiteral("Execute ?"), UserPrompts::Yes | UserPrompts::No,
                          UserPrompts::Icon::Question) != UserPrompts::Yes)
        return;
    // The pending-updates question may refuse the close: the silent abort ends the command here.
    m_side->closeTarget();
    // Whole lines: a statement cut at 4096 characters would corrupt or break a long value.
    RunScript(allLines(), m_side->scriptDivider(), m_side->targetDatabase());
    m_side->reopenTarget();
}

void TfSQL::aSaveSQLExecute() {
    const QString proposed = m_side ? m_side->proposedFileName() : QString();
    if (!proposed.isEmpty())
        sDialog->setFileName(proposed);
    UserPrompts::FileRequest request;
    request.caption = QStringLiteral("Save SQL");
    request.directory = sDialog->initialDir();
    request.fileName = sDialog->fileName();
    request.filter = QStringLiteral("*.sql (*.sql);;*.* (*)");
    request.defaultSuffix = QStringLiteral("sql");
    const std::optional<QString> path = Prompts().saveFileName(request);
    if (!path)
        return;
    sDialog->setFileName(*path);
    sDialog->setInitialDir(QFileInfo(*path).absolutePath());
    ScriptFile::Save(*path, allLines());
}

void TfSQL::aPrintSQLExecute() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (Prompts().execDialog(dialog) != QDialog::Accepted)
        return;
    ScriptPrinter::Print(m_buffer->text(), eSQL->font(), sDialog->fileName(), printer);
}
