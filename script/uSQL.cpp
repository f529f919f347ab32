#include "script/uSQL.h"

#include "settings/FormStorage.h"
#include "settings/SaveDialogState.h"

TfSQL::TfSQL(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("fSQL"));
    setWindowTitle(QStringLiteral("SQL"));
    resize(748, 359);

    sDialog = new SaveDialogState(this);
    sDialog->setObjectName(QStringLiteral("sDialog"));
    FormStorage::Config storage;
    storage.storedProps = {QStringLiteral("sDialog.FileName"),
                           QStringLiteral("sDialog.InitialDir")};
    new FormStorage(this, storage);
}
