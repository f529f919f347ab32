#pragma once

#include <QMainWindow>

class SaveDialogState;

// The SQL window: shows, edits, saves, prints and executes a script.
class TfSQL : public QMainWindow {
    Q_OBJECT
public:
    explicit TfSQL(QWidget* parent = nullptr);

    // The save dialog's remembered file name and folder, persisted by FormStorage1.
    SaveDialogState* sDialog;
};
