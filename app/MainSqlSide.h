#pragma once

#include "script/SqlWindowSide.h"

class TfMain;

// The main window as its SQL window sees it: the target side and the options.
class MainSqlSide : public SqlWindowSide {
public:
    explicit MainSqlSide(TfMain& main) : m_main(main) {}

    void closeTarget() override;
    void reopenTarget() override;
    TDatabase& targetDatabase() override;
    QString scriptDivider() override;
    QString proposedFileName() override;

private:
    TfMain& m_main;
};
