#include "app/MainScriptSide.h"

#include "app/MainLayout.h"
#include "app/uMain.h"
#include "grids/RecordGrid.h"
#include "script/uSQL.h"
#include "settings/uSetup.h"

#include <QComboBox>
#include <QLabel>

void MainScriptSide::clearAndShow() {
    m_main.fSQL()->ClearScript();
    m_main.fSQL()->show();
}

void MainScriptSide::addText(const QString& text) {
    m_main.fSQL()->AddText(text);
}

void MainScriptSide::repaintScript() {
    m_main.fSQL()->repaint();
}

bool MainScriptSide::scriptVisible() {
    return m_main.fSQL()->isVisible();
}

void MainScriptSide::beforeLongValue() {
    // Once per blob would repaint on nearly every row of a table with small blobs; the event
    // pass of each row already keeps the window drawn between.
    if (m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < 50)
        return;
    m_main.repaint();
    m_sinceRepaint.start();
}

int MainScriptSide::sqlDialect() {
    return m_main.fSetup()->sqlDialect();
}

QString MainScriptSide::sqlDialectName() {
    return m_main.fSetup()->sqlDialectName();
}

QString MainScriptSide::scriptDivider() {
    return m_main.fSetup()->scriptDivider();
}

bool MainScriptSide::autoCommit() {
    return m_main.fSetup()->autoCommit();
}

int MainScriptSide::autoCommitInterval() {
    return m_main.fSetup()->autoCommitInterval();
}

QString MainScriptSide::targetTableName() {
    return m_main.controls().eToTable->currentText();
}

QString MainScriptSide::sourceConnectText() {
    return m_main.controls().lFromConnect->text();
}

QString MainScriptSide::sourceTableName() {
    return m_main.controls().eFromTable->currentText();
}

void GenerateScript(TfMain& main) {
    MainScriptSide side(main);
    ScriptGeneration generation(main.tFrom(), main.mapping(), side);
    main.batchRun().RunBatch(
        main.tFrom(), main.controls().dbgFrom->selection(),
        [&main] { return main.ShowFieldMapping(); }, generation.Pieces());
}
