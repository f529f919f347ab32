#pragma once

#include <QStringList>

class QComboBox;

// Replaces an editable box's drop-down list and keeps the text typed into it: filling the list
// must not pick a name for the user.
void SetItemsKeepingText(QComboBox* box, const QStringList& items);
