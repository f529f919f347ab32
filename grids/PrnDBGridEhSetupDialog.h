#pragma once

#include "grids/GridPageRenderer.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

// The grid printer's set-up dialog: margins, fitting, widths, wrapping, colour, print font and
// the printer's own set-up. Values reach the settings only on OK.
class TfPrnDBGridEhSetupDialog : public QDialog {
    Q_OBJECT
public:
    TfPrnDBGridEhSetupDialog(QPrinter* printer, QWidget* parent = nullptr);

    void loadFrom(const GridPrintSettings& settings);
    void saveTo(GridPrintSettings& settings) const;

    QGroupBox* gbMargins;
    QLineEdit* eTop;
    QLineEdit* eBottom;
    QLineEdit* eLeft;
    QLineEdit* eRight;
    QCheckBox* cbFitToWidth;
    QRadioButton* rbScaleAll;
    QRadioButton* rbColWidths;
    QCheckBox* cbOptimalWidths;
    QCheckBox* cbWrapLines;
    QCheckBox* cbColored;
    QLineEdit* ePrintFont;
    QPushButton* bFont;
    QPushButton* bPrinterSetup;
    QPushButton* bOk;
    QPushButton* bCancel;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QLineEdit* addMargin(class QGridLayout* grid, int row, const QString& caption,
                         const QString& name);
    void chooseFont();
    void printerSetup();

    QPrinter* m_printer;
};

// A margin as typed: a decimal number with a full stop or a comma.
bool ParseMargin(const QString& text, double& margin);
