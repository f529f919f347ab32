#include "app/TablePasswordDialog.h"

#include "data/TSession.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TablePasswordDialog::TablePasswordDialog(TSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QStringLiteral("Enter password"));

    auto* group = new QGroupBox(QStringLiteral("Password"), this);
    m_password = new QLineEdit(group);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_add = new QPushButton(QStringLiteral("&Add"), group);
    m_remove = new QPushButton(QStringLiteral("&Remove"), group);
    m_removeAll = new QPushButton(QStringLiteral("Re&move all"), group);
    for (QPushButton* button : {m_add, m_remove, m_removeAll})
        button->setAutoDefault(false);

    auto* groupLayout = new QGridLayout(group);
    groupLayout->addWidget(m_password, 0, 0, 1, 3);
    groupLayout->addWidget(m_add, 1, 0);
    groupLayout->addWidget(m_remove, 1, 1);
    groupLayout->addWidget(m_removeAll, 1, 2);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_password, &QLineEdit::textChanged, this, &TablePasswordDialog::updateButtons);
    connect(m_add, &QPushButton::clicked, this, &TablePasswordDialog::addPassword);
    connect(m_remove, &QPushButton::clicked, this, &TablePasswordDialog::removePassword);
    connect(m_removeAll, &QPushButton::clicked, this, &TablePasswordDialog::removeAllPasswords);
    connect(m_ok, &QPushButton::clicked, this, &TablePasswordDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
    m_password->setFocus();
}

void TablePasswordDialog::showEvent(QShowEvent* event) {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TablePasswordDialog::updateButtons() {
    const bool typed = !m_password->text().isEmpty();
    m_add->setEnabled(typed);
    m_remove->setEnabled(typed);
    m_ok->setEnabled(typed || m_added);
}

void TablePasswordDialog::addPassword() {
    const QString password = m_password->text();
    if (!password.isEmpty()) {
        if (!m_session.TablePasswords().contains(password))
            m_session.TablePasswords().append(password);
        m_added = true;
    }
    m_password->clear();
    m_password->setFocus();
}

void TablePasswordDialog::removePassword() {
    m_session.TablePasswords().removeAll(m_password->text());
    m_password->clear();
    m_password->setFocus();
}

void TablePasswordDialog::removeAllPasswords() {
    m_session.TablePasswords().clear();
    m_password->setFocus();
}

void TablePasswordDialog::confirm() {
    addPassword();
    accept();
}
