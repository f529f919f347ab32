#pragma once

#include "data/UserPrompts.h"

#include <QDialog>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;

// The login asked when a connection's alias names a user: the user name and a password for
// this one connect.
class TLoginDialog : public QDialog {
    Q_OBJECT
public:
    TLoginDialog(const QString& databaseName, const QString& userName, QWidget* parent = nullptr);

    // The two texts on OK, nothing on Cancel.
    static std::optional<UserPrompts::Login> ask(const QString& databaseName,
                                                 const QString& userName,
                                                 QWidget* parent = nullptr);

    QLineEdit* userNameEdit() const { return m_userName; }
    QLineEdit* passwordEdit() const { return m_password; }
    QLabel* databaseNameLabel() const { return m_databaseName; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFrame* m_panel;
    QLabel* m_databaseName;
    QLineEdit* m_userName;
    QLineEdit* m_password;
};
