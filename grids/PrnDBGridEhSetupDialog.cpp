#include "grids/PrnDBGridEhSetupDialog.h"

#include "data/UserPrompts.h"
#include "grids/PrinterPlatform.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

bool ParseMargin(const QString& text, double& margin) {
    bool ok = false;
    const double value =
        QString(text.trimmed()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (ok)
        margin = RoundMargin(value);
    return ok;
}

namespace {

QString marginText(double margin) {
    return QString::number(margin, 'f', 2);
}

QCheckBox* checkBox(const QString& caption, const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

TfPrnDBGridEhSetupDialog::TfPrnDBGridEhSetupDialog(QPrinter* printer, QWidget* parent)
    : QDialog(parent), m_printer(printer) {
    setObjectName(QStringLiteral("fPrnDBGridEhSetupDialog"));
    setWindowTitle(QStringLiteral("Настройка принтера"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    gbMargins = new QGroupBox(QStringLiteral(" &Отступы "), this);
    gbMargins->setObjectName(QStringLiteral("gbMargins"));
    auto* margins = new QGridLayout(gbMargins);
    eTop = addMargin(margins, 0, QStringLiteral("Верхний"), QStringLiteral("eTop"));
    eBottom = addMargin(margins, 1, QStringLiteral("Нижний"), QStringLiteral("eBottom"));
    eLeft = addMargin(margins, 2, QStringLiteral("Левый"), QStringLiteral("eLeft"));
    eRight = addMargin(margins, 3, QStringLiteral("Правый"), QStringLiteral("eRight"));
    layout->addWidget(gbMargins);

    cbFitToWidth = checkBox(QStringLiteral("&Умещать в ширину на листе"),
                            QStringLiteral("cbFitToWidth"), this);
    layout->addWidget(cbFitToWidth);
    rbScaleAll = new QRadioButton(QStringLiteral("Масштабировать всю таблицу"), this);
    rbScaleAll->setObjectName(QStringLiteral("rbScaleAll"));
    rbColWidths = new QRadioButton(QStringLiteral("Изменять ширину столбцов"), this);
    rbColWidths->setObjectName(QStringLiteral("rbColWidths"));
    auto* fitting = new QVBoxLayout;
    fitting->setContentsMargins(20, 0, 0, 0);
    fitting->addWidget(rbScaleAll);
    fitting->addWidget(rbColWidths);
    layout->addLayout(fitting);
    connect(cbFitToWidth, &QCheckBox::toggled, rbScaleAll, &QWidget::setEnabled);
    connect(cbFitToWidth, &QCheckBox::toggled, rbColWidths, &QWidget::setEnabled);

    cbOptimalWidths = checkBox(QStringLiteral("Оптимальная ширина столбцов"),
                               QStringLiteral("cbOptimalWidths"), this);
    layout->addWidget(cbOptimalWidths);
    cbWrapLines =
        checkBox(QStringLiteral("Перенос &длинных строк"), QStringLiteral("cbWrapLines"), this);
    layout->addWidget(cbWrapLines);
    cbColored = checkBox(QStringLiteral("&Цвет"), QStringLiteral("cbColored"), this);
    layout->addWidget(cbColored);

    auto* fontRow = new QHBoxLayout;
    ePrintFont = new QLineEdit(this);
    ePrintFont->setObjectName(QStringLiteral("ePrintFont"));
    ePrintFont->setAccessibleName(QStringLiteral("Шрифт"));
    bFont = new QPushButton(QStringLiteral("..."), this);
    bFont->setObjectName(QStringLiteral("bFont"));
    bFont->setAccessibleName(QStringLiteral("Шрифт"));
    fontRow->addWidget(ePrintFont, 1);
    fontRow->addWidget(bFont);
    layout->addLayout(fontRow);
    connect(bFont, &QPushButton::clicked, this, [this] { RunCommand([this] { chooseFont(); }); });

    auto* buttons = new QHBoxLayout;
    bPrinterSetup = new QPushButton(QStringLiteral("Н&астройка принтера"), this);
    bPrinterSetup->setObjectName(QStringLiteral("bPrinterSetup"));
    bPrinterSetup->setEnabled(m_printer && PrinterPlatform::PrinterInstalled());
    connect(bPrinterSetup, &QPushButton::clicked, this,
            [this] { RunCommand([this] { printerSetup(); }); });
    bOk = new QPushButton(QStringLiteral("О&к"), this);
    bOk->setObjectName(QStringLiteral("bOk"));
    bOk->setDefault(true);
    connect(bOk, &QPushButton::clicked, this, &QDialog::accept);
    bCancel = new QPushButton(QStringLiteral("О&тмена"), this);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(bPrinterSetup);
    buttons->addStretch(1);
    buttons->addWidget(bOk);
    buttons->addWidget(bCancel);
    layout->addLayout(buttons);
}

QLineEdit* TfPrnDBGridEhSetupDialog::addMargin(QGridLayout* grid, int row, const QString& caption,
                                               const QString& name) {
    auto* label = new QLabel(caption, gbMargins);
    auto* edit = new QLineEdit(gbMargins);
    edit->setObjectName(name);
    edit->installEventFilter(this);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

bool TfPrnDBGridEhSetupDialog::eventFilter(QObject* object, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit && event->type() == QEvent::FocusOut && isVisible()) {
        double margin = 0;
        if (!ParseMargin(edit->text(), margin)) {
            Prompts().message(
                QStringLiteral("'%1' is not a valid floating point value").arg(edit->text()),
                ApplicationTitle, UserPrompts::Ok, UserPrompts::Icon::Error);
            edit->setFocus();
            edit->selectAll();
        }
    }
    return QDialog::eventFilter(object, event);
}

void TfPrnDBGridEhSetupDialog::loadFrom(const GridPrintSettings& settings) {
    eTop->setText(marginText(settings.PageParams.top));
    eBottom->setText(marginText(settings.PageParams.bottom));
    eLeft->setText(marginText(settings.PageParams.left));
    eRight->setText(marginText(settings.PageParams.right));
    const int options = settings.Options;
    cbFitToWidth->setChecked(options & pghFitGridToPageWidth);
    rbColWidths->setChecked(options & pghFitingByColWidths);
    rbScaleAll->setChecked(!(options & pghFitingByColWidths));
    rbScaleAll->setEnabled(cbFitToWidth->isChecked());
    rbColWidths->setEnabled(cbFitToWidth->isChecked());
    cbOptimalWidths->setChecked(options & pghOptimalColWidths);
    cbWrapLines->setChecked(options & pghRowAutoStretch);
    cbColored->setChecked(options & pghColored);
    ePrintFont->setText(settings.PrintFontName);
}

void TfPrnDBGridEhSetupDialog::saveTo(GridPrintSettings& settings) const {
    const std::pair<QLineEdit*, double*> margins[] = {{eTop, &settings.PageParams.top},
                                                      {eBottom, &settings.PageParams.bottom},
                                                      {eLeft, &settings.PageParams.left},
                                                      {eRight, &settings.PageParams.right}};
    for (const auto& [edit, margin] : margins)
        ParseMargin(edit->text(), *margin);
    int options = 0;
    if (cbFitToWidth->isChecked())
        options |= pghFitGridToPageWidth;
    if (rbColWidths->isChecked())
        options |= pghFitingByColWidths;
    if (cbOptimalWidths->isChecked())
        options |= pghOptimalColWidths;
    if (cbWrapLines->isChecked())
        options |= pghRowAutoStretch;
    if (cbColored->isChecked())
        options |= pghColored;
    settings.Options = options;
    settings.PrintFontName = ePrintFont->text().trimmed();
}

void TfPrnDBGridEhSetupDialog::chooseFont() {
    QFontDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    if (!ePrintFont->text().isEmpty())
        dialog.setCurrentFont(QFont(ePrintFont->text()));
    if (Prompts().execDialog(dialog) == 1)
        ePrintFont->setText(dialog.selectedFont().family());
}

void TfPrnDBGridEhSetupDialog::printerSetup() {
    if (!m_printer)
        return;
    QPageSetupDialog dialog(m_printer, this);
    dialog.setObjectName(QStringLiteral("PageSetupDialog"));
    Prompts().execDialog(dialog);
}
