#pragma once

#include <QString>

class QAction;
class QComboBox;
class QLabel;
class TDatabase;
class TTable;

// One side of the main window: its connection and table, the boxes the user types their names
// into, the labels that show their state and the actions whose checked state mirrors it.
struct ConnectionSide {
    QString title;  // "From" or "To", as the messages name the side
    TDatabase* database = nullptr;
    TTable* table = nullptr;
    QComboBox* aliasBox = nullptr;
    QComboBox* tableBox = nullptr;
    QLabel* connectLabel = nullptr;
    QLabel* tableLabel = nullptr;
    QAction* connectAction = nullptr;
    QAction* openAction = nullptr;
};
