#pragma once

#include <QMainWindow>

class QAction;
class QToolBar;
class SaveDialogState;
class ScriptBuffer;
class ScriptEditor;
class SqlWindowSide;

// The SQL window: shows, edits, saves, prints and executes a script. Created hidden with the
// main window and living as long as it; closing only hides it.
class TfSQL : public QMainWindow {
    Q_OBJECT
public:
    explicit TfSQL(QWidget* parent = nullptr);

    // The owner's side, which "Execute.." and "Save.." use; set before either runs.
    void setSide(SqlWindowSide* side) { m_side = side; }

    // The script buffer: the editor's text as lines.
    void ClearScript();
    void AddText(const QString& text);
    int LineCount();
    // At most the line's first 4096 characters.
    QString LineAt(int index);
    // The entire line, for whatever must read the whole script.
    QString WholeLineAt(int index);
    ScriptBuffer& buffer() const { return *m_buffer; }

    // "From alias <alias>, to table <table>.sql"
    static QString AutoFileName(const QString& alias, const QString& table);

    void aExecuteExecute();
    void aSaveSQLExecute();
    void aPrintSQLExecute();

    QToolBar* ToolBar1;
    QAction* aExeScript;
    QAction* aSaveSQL;
    QAction* aPrintSQL;
    QAction* aClose;
    ScriptEditor* eSQL;
    // The save dialog's remembered file name and folder, persisted by FormStorage1.
    SaveDialogState* sDialog;

private:
    void buildActions();
    void buildEditor();
    QStringList allLines();

    ScriptBuffer* m_buffer = nullptr;
    SqlWindowSide* m_side = nullptr;
};
