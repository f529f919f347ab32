#pragma once

#include <QDialog>

// The about window, made for one showing.
class TfAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfAbout(QWidget* parent = nullptr);
};
