#pragma once

class ActionToolBar;
class AnchorPanel;
class MainActions;
class QComboBox;
class QFrame;
class QLabel;
class QMainWindow;
class QWidget;
class QProgressBar;
class QPushButton;
class QSplitter;
class QToolButton;
class RecordGrid;
class RecordNavigator;

// The controls of the main window, top to bottom, with the names later code finds them by.
// Building them wires nothing but the tool buttons to their actions.
class MainLayout {
public:
    MainLayout(QMainWindow& window, MainActions& actions);

    ActionToolBar* tbMain;
    QToolButton* tbFromConnect;
    QToolButton* tbFromReopen;

    AnchorPanel* pFrom;
    QComboBox* eFromAlias;
    QLabel* lFromConnect;
    QComboBox* eFromTable;
    QLabel* lFromTable;
    RecordNavigator* DBNavigator1;

    RecordGrid* dbgFrom;
    QSplitter* Splitter1;

    AnchorPanel* pTo;
    ActionToolBar* ToolBar2;
    QToolButton* tbToConnect;
    QToolButton* tbToReopen;
    QComboBox* eToAlias;
    QLabel* lToConnect;
    QComboBox* eToTable;
    QLabel* lToTable;
    RecordNavigator* DBNavigator2;

    RecordGrid* dbgTo;

    QFrame* pProgress;
    QProgressBar* prbar;
    QLabel* pInfo;
    QPushButton* bStop;

private:
    void buildMainToolBar(QWidget* parent, MainActions& actions);
    void buildSourcePanel(QWidget* parent);
    void buildTargetPanel(QWidget* parent, MainActions& actions);
    void buildProgressPanel(QWidget* parent);
};
