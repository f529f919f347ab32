#include "app/MainSqlSide.h"

#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "app/uMain.h"
#include "data/TTable.h"
#include "script/uSQL.h"
#include "settings/uSetup.h"

#include <QAction>
#include <QComboBox>

void MainSqlSide::closeTarget() {
    m_main.tTo().CloseTable();
}

void MainSqlSide::reopenTarget() {
    m_main.actionList().aToReopen->trigger();
}

TDatabase& MainSqlSide::targetDatabase() {
    return m_main.dbTo();
}

QString MainSqlSide::scriptDivider() {
    return m_main.fSetup()->scriptDivider();
}

QString MainSqlSide::proposedFileName() {
    if (!m_main.fSetup()->autoFileName())
        return QString();
    return TfSQL::AutoFileName(m_main.controls().eFromAlias->currentText(),
                               m_main.controls().eToTable->currentText());
}
