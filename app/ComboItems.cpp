#include "app/ComboItems.h"

#include <QComboBox>

void SetItemsKeepingText(QComboBox* box, const QStringList& items) {
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setEditText(text);
}
