#pragma once

#include "transfer/FieldMapping.h"

#include <QMainWindow>
#include <memory>

class BatchRun;
class ConnectionsController;
class MainBatchHost;
class MainActions;
class MainLayout;
class MainSqlSide;
class TDatabase;
class TfSetup;
class TfSQL;
class TPrintDBGridEh;
class TSession;
class TTable;

// The main window: the two sides with their grids, the commands, and the SQL and options
// windows, which live as long as it does.
class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    const MainLayout& controls() const { return *m_controls; }
    MainActions& actionList() const { return *m_actions; }

    TSession& ses() const { return *m_ses; }
    TDatabase& dbFrom() const { return *m_dbFrom; }
    TDatabase& dbTo() const { return *m_dbTo; }
    TTable& tFrom() const { return *m_tFrom; }
    TTable& tTo() const { return *m_tTo; }

    // The batch run shared by "Data Move !" and "Generate SQL..", and the mapping array its
    // mapping dialog fills.
    BatchRun& batchRun() const { return *m_batchRun; }
    FieldMappingArray& mapping() { return m_mapping; }
    // Shows the mapping dialog for the two tables; returns its modal result (1 is OK).
    int ShowFieldMapping();

    TfSQL* fSQL() const { return m_fSQL; }
    TfSetup* fSetup() const { return m_fSetup; }
    TPrintDBGridEh& PrintDBGridEh1() const { return *m_PrintDBGridEh1; }

    // The source grid's height, which the splitter above the target panel sets.
    int sourceGridHeight() const;
    void setSourceGridHeight(int height);

protected:
    // Closing with pending target updates asks first, as closing the target table does.
    void closeEvent(QCloseEvent* event) override;

private:
    void createEngineObjects();
    void bindGrids();
    void bindCommands();
    void runCreationSteps();

    void aSelAllExecute();
    void aDataLoadExecute();
    void aAboutExecute();
    void aSetupExecute();
    void aCloseExecute();
    void aPrintExecute();

    MainActions* m_actions;
    std::unique_ptr<MainLayout> m_controls;
    TSession* m_ses = nullptr;
    TDatabase* m_dbFrom = nullptr;
    TDatabase* m_dbTo = nullptr;
    TTable* m_tFrom = nullptr;
    TTable* m_tTo = nullptr;
    ConnectionsController* m_connections = nullptr;
    std::unique_ptr<MainBatchHost> m_batchHost;
    std::unique_ptr<BatchRun> m_batchRun;
    FieldMappingArray m_mapping;
    TfSQL* m_fSQL = nullptr;
    std::unique_ptr<MainSqlSide> m_sqlSide;
    TfSetup* m_fSetup = nullptr;
    TPrintDBGridEh* m_PrintDBGridEh1 = nullptr;
};

// The one main window.
extern TfMain* fMain;
