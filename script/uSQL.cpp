#include "script/uSQL.h"

TfSQL::TfSQL(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fSQL"));
    setWindowTitle(QStringLiteral("SQL"));
    resize(748, 359);
}
