#pragma once

#include "script/ScriptGeneration.h"

#include <QElapsedTimer>

class TfMain;

// The main window's side of a script run: its SQL window, options window and boxes.
class MainScriptSide : public ScriptSide {
public:
    explicit MainScriptSide(TfMain& main) : m_main(main) {}

    void clearAndShow() override;
    void addText(const QString& text) override;
    void repaintScript() override;
    bool scriptVisible() override;
    void beforeLongValue() override;

    int sqlDialect() override;
    QString sqlDialectName() override;
    QString scriptDivider() override;
    bool autoCommit() override;
    int autoCommitInterval() override;
    QString targetTableName() override;
    QString sourceConnectText() override;
    QString sourceTableName() override;

private:
    TfMain& m_main;
    QElapsedTimer m_sinceRepaint;
};

// The handler of "Generate SQL..": a batch run over the main window's selected source rows
// that writes into its SQL window.
void GenerateScript(TfMain& main);
