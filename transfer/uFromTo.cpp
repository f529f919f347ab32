#include "transfer/uFromTo.h"

#include "data/TField.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

namespace {

constexpr int ClientWidth = 461;
constexpr int RowPitch = 22;
constexpr int MinimumOuterHeight = 102;
// The rows sit left of the buttons; the box list is wide enough for a scroll bar beside them.
constexpr int RowsWidth = 370;
constexpr int ComboWidth = 145;

QString labelText(const QString& name) {
    // A buddy label reads '&' as a mnemonic mark.
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

TfFromTo::TfFromTo(const FieldMappingArray& mapping, const QStringList& targetNames,
                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fFromTo"));
    setWindowTitle(QStringLiteral("From To"));
    m_rows = mapping.size();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ok->setGeometry(376, 12, 75, 29);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel->setGeometry(376, 52, 75, 29);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The rows live in a scroll area that shows a bar only when the screen is too short.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sbFields"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);
    // However focus reaches a box (Tab, a mnemonic, a screen reader), the box comes into view.
    connect(qApp, &QApplication::focusChanged, scroll, [scroll, this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            scroll->ensureWidgetVisible(now);
    });
    auto* rows = new QWidget(scroll);
    QWidget* previous = cancel;
    setTabOrder(ok, cancel);
    for (int i = 0; i < m_rows; ++i) {
        auto* label = new QLabel(labelText(mapping[i].sourceName), rows);
        label->move(10, 12 + RowPitch * i);
        label->adjustSize();
        auto* combo = new QComboBox(rows);
        combo->setObjectName(QStringLiteral("cb%1").arg(i));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(targetNames);
        combo->setEditText(mapping[i].targetName);
        combo->setGeometry(150, 10 + RowPitch * i, ComboWidth, combo->sizeHint().height());
        combo->setAccessibleName(mapping[i].sourceName);
        label->setBuddy(combo);
        setTabOrder(previous, combo);
        previous = combo;
    }

    const int wanted = RowPitch * m_rows + 25;
    rows->setFixedSize(RowsWidth - 20, wanted);
    scroll->setWidget(rows);

    // The outer height counts the title bar and borders the window system adds.
    const int frame = qMax(0, frameGeometry().height() - geometry().height());
    const int titleBar = frame > 0 ? frame : style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    int height = wanted;
    if (height + titleBar < MinimumOuterHeight)
        height = MinimumOuterHeight;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int available = screen->availableGeometry().height() - titleBar;
        if (height > available)
            height = qMax(MinimumOuterHeight, available);
    }
    scroll->setGeometry(0, 0, RowsWidth, height);
    setFixedSize(ClientWidth, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QComboBox* TfFromTo::box(int index) const {
    return findChild<QComboBox*>(QStringLiteral("cb%1").arg(index));
}

int ShowFieldMapping(TTable& source, TTable& target, FieldMappingArray& mapping, QWidget* owner) {
    int result = 2;
    if (!source.Active())
        return result;
    mapping.resize(source.NumberOfFields());
    for (int i = 0; i < mapping.size(); ++i) {
        const QString name = source.FieldAt(i)->FieldName();
        mapping[i] = FieldMapping{name, name};
    }
    QStringList targetNames;
    if (target.Active()) {
        for (int i = 0; i < target.NumberOfFields(); ++i)
            targetNames.append(target.FieldAt(i)->FieldName());
    }
    TfFromTo dialog(mapping, targetNames, owner);
    result = Prompts().execDialog(dialog) == QDialog::Accepted ? 1 : 2;
    if (result == 1) {
        for (int i = 0; i < mapping.size(); ++i) {
            if (const QComboBox* combo = dialog.box(i))
                mapping[i].targetName = combo->currentText();
        }
    }
    return result;
}
