#include "settings/uSetup.h"

TfSetup::TfSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fSetup"));
    setWindowTitle(QStringLiteral("Options"));
    resize(324, 209);
}
