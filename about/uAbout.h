#pragma once

#include <QDialog>

class QLabel;

// The about window, made for one showing: what Rowcart is for, its version, the date of the
// program file and two links to the maker.
class TfAbout : public QDialog {
    Q_OBJECT
public:
    // `programFile` is whose modification date the window shows; empty means the running program.
    explicit TfAbout(QWidget* parent = nullptr, const QString& programFile = QString());

    // "mailto:" + display name + "<" + address + ">?SUBJECT=Rowcart".
    static QString mailLink();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void lMailClick();
    void lWebClick();

    QLabel* lDate;
};
