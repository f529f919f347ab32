#pragma once

#include <QDialog>

// The options window: created once by the main window, shown modally by "Options..".
class TfSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfSetup(QWidget* parent = nullptr);
};
