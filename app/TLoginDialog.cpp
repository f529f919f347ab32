#include "app/TLoginDialog.h"

#include "grids/DialogFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

const int MaxNameLength = 31;

QLineEdit* makeEdit(QWidget* parent, const char* name, const QRect& rect) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(MaxNameLength);
    edit->setGeometry(rect);
    return edit;
}

}  // namespace

TLoginDialog::TLoginDialog(const QString& databaseName, const QString& userName, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(QStringLiteral("Database Login"));
    setFont(DialogFont());
    setFixedSize(273, 147);

    m_panel = new QFrame(this);
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setGeometry(8, 7, 257, 98);

    auto* databaseLabel = new QLabel(QStringLiteral("Database:"), m_panel);
    databaseLabel->setGeometry(10, 7, 62, 16);
    m_databaseName = new QLabel(databaseName, m_panel);
    m_databaseName->setObjectName(QStringLiteral("DatabaseName"));
    m_databaseName->setGeometry(76, 7, m_databaseName->sizeHint().width(), 16);

    auto* rule = new QFrame(m_panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 27, 241, 4);

    m_userName = makeEdit(m_panel, "UserName", QRect(86, 37, 161, 22));
    m_userName->setText(userName);
    auto* userLabel = new QLabel(QStringLiteral("&User Name:"), m_panel);
    userLabel->setGeometry(10, 40, 74, 16);
    userLabel->setBuddy(m_userName);

    m_password = makeEdit(m_panel, "Password", QRect(86, 66, 161, 22));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    auto* passwordLabel = new QLabel(QStringLiteral("&Password:"), m_panel);
    passwordLabel->setGeometry(10, 69, 74, 16);
    passwordLabel->setBuddy(m_password);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(109, 114, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setGeometry(190, 114, 75, 25);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, ok);
    setTabOrder(ok, cancel);
    (userName.isEmpty() ? m_userName : m_password)->setFocus();
}

void TLoginDialog::showEvent(QShowEvent* event) {
    const int inner = m_panel->contentsRect().width();
    if (m_databaseName->x() + m_databaseName->width() > inner)
        m_databaseName->setFixedWidth(inner - m_databaseName->x() - 5);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

std::optional<UserPrompts::Login> TLoginDialog::ask(const QString& databaseName,
                                                    const QString& userName, QWidget* parent) {
    TLoginDialog dialog(databaseName, userName, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return UserPrompts::Login{dialog.m_userName->text(), dialog.m_password->text()};
}
