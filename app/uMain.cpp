#include "app/uMain.h"

TfMain::TfMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Rowcart. Copying BDE database table data."));
    resize(678, 458);
}
