#include "about/uAbout.h"

TfAbout::TfAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fAbout"));
}
