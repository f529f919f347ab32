#include "settings/uSetup.h"

#include "settings/SqlDialects.h"

#include "data/UserPrompts.h"
#include "settings/DesktopShortcut.h"
#include "settings/FormStorage.h"
#include "settings/IntegerSpinEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace {

// The designed outer size of 324 by 209 less a dialog frame.
constexpr QSize ClientSize(316, 182);

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QPoint& at) {
    auto* widget = new QLabel(text, parent);
    widget->setObjectName(QLatin1String(name));
    widget->move(at);
    widget->adjustSize();
    return widget;
}

}  // namespace

TfSetup::TfSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fSetup"));
    setWindowTitle(QStringLiteral("Options"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(ClientSize);

    label(this, "Label1", QStringLiteral("SQL script language:"), {8, 15});
    eSQLLanguage = place(new QComboBox(this), "eSQLLanguage", {112, 13, 129, 21});
    eSQLLanguage->addItems(SqlDialects::Names());
    eSQLLanguage->setCurrentIndex(0);

    label(this, "Label2", QStringLiteral("SQL script devider:"), {8, 43});
    eScriptDevider =
        place(new QLineEdit(QStringLiteral(";"), this), "eScriptDevider", {112, 40, 25, 21});
    eScriptDevider->setMaxLength(1);

    label(this, "Label3", QStringLiteral("Allow auto filename in save:"), {8, 69});
    cbAutoFilename = place(new QCheckBox(this), "cbAutoFilename", {152, 68, 17, 17});
    cbAutoFilename->setChecked(true);

    label(this, "Label5", QStringLiteral("Not comparison of field types:"), {8, 92});
    cbNoComp = place(new QCheckBox(this), "cbNoComp", {152, 90, 17, 17});
    cbNoComp->setChecked(true);
    label(this, "Label9", QStringLiteral("(field move as string)"), {176, 91});

    label(this, "Label6", QStringLiteral("AutoCommit"), {8, 117});
    cbAutoCommit =
        place(new QCheckBox(QStringLiteral("after each"), this), "cbAutoCommit", {72, 115, 73, 17});
    eAutoCommit = place(new IntegerSpinEdit(this), "eAutoCommit", {152, 112, 73, 21});
    eAutoCommit->setIncrement(1000);
    eAutoCommit->setValue(1000);
    eAutoCommit->setEnabled(false);
    label(this, "Label8", QStringLiteral("rows"), {232, 117});

    label(this, "Label4", QStringLiteral("Place shortcut on desktop:"), {8, 144});
    SpeedButton1 = place(new QToolButton(this), "SpeedButton1", {144, 139, 41, 22});
    SpeedButton1->setText(QStringLiteral("Place"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setCursor(Qt::PointingHandCursor);
    QFont linkFont = SpeedButton1->font();
    linkFont.setUnderline(true);
    SpeedButton1->setFont(linkFont);
    QPalette linkPalette = SpeedButton1->palette();
    linkPalette.setColor(QPalette::ButtonText, Qt::blue);
    SpeedButton1->setPalette(linkPalette);

    BitBtn1 = place(new QPushButton(QStringLiteral("OK"), this), "BitBtn1", {231, 136, 75, 25});
    BitBtn1->setDefault(true);
    BitBtn1->setCursor(Qt::PointingHandCursor);

    setTabOrder(eSQLLanguage, BitBtn1);
    setTabOrder(BitBtn1, eScriptDevider);
    setTabOrder(eScriptDevider, cbAutoFilename);
    setTabOrder(cbAutoFilename, cbNoComp);
    setTabOrder(cbNoComp, cbAutoCommit);
    setTabOrder(cbAutoCommit, eAutoCommit);
    eSQLLanguage->setFocus();

    // toggled, not clicked: a tick that arrives by loading the settings must move the spin box
    // too, and setting the state it already has must not.
    connect(cbAutoCommit, &QCheckBox::toggled, this, &TfSetup::cbAutoCommitClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfSetup::SpeedButton1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    FormStorage::Config storage;
    storage.storedProps = {
        QStringLiteral("eScriptDevider.Text"),    QStringLiteral("eSQLLanguage.ItemIndex"),
        QStringLiteral("cbAutoFilename.Checked"), QStringLiteral("cbNoComp.Checked"),
        QStringLiteral("cbAutoCommit.Checked"),   QStringLiteral("eAutoCommit.Value")};
    m_formStorage = new FormStorage(this, storage);
}

int TfSetup::sqlDialect() const {
    return eSQLLanguage->currentIndex();
}

QString TfSetup::sqlDialectName() const {
    return eSQLLanguage->currentText();
}

QString TfSetup::scriptDivider() const {
    return eScriptDevider->text();
}

bool TfSetup::autoFileName() const {
    return cbAutoFilename->isChecked();
}

bool TfSetup::noTypeComparison() const {
    return cbNoComp->isChecked();
}

bool TfSetup::autoCommit() const {
    return cbAutoCommit->isChecked();
}

int TfSetup::autoCommitInterval() const {
    return eAutoCommit->intValue();
}

void TfSetup::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void TfSetup::keyPressEvent(QKeyEvent* event) {
    // Without a cancel button Escape closes nothing; OK, Enter and the close box do.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfSetup::cbAutoCommitClick(bool checked) {
    eAutoCommit->setEnabled(checked);
}

void TfSetup::SpeedButton1Click() {
    RunCommand([this] { PlaceDesktopShortcut(); });
}

void TfSetup::PlaceDesktopShortcut() {
    const QString launcher =
        QDir(DesktopShortcut::desktopFolder()).filePath(DesktopShortcut::LauncherFileName);
    DesktopShortcut::CreateDesktopLauncher(QCoreApplication::applicationFilePath(), launcher,
                                           QString(), QStringLiteral("Rowcart"));
}
