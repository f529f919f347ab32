#pragma once

#include <QMainWindow>

// The SQL window: shows, edits, saves, prints and executes a script.
class TfSQL : public QMainWindow {
    Q_OBJECT
public:
    explicit TfSQL(QWidget* parent = nullptr);
};
