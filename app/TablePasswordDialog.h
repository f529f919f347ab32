#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TSession;

// Edits a session's list of table passwords, for tables that ask for one on open.
class TablePasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit TablePasswordDialog(TSession& session, QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return m_password; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* removeAllButton() const { return m_removeAll; }
    QPushButton* okButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateButtons();
    void addPassword();
    void removePassword();
    void removeAllPasswords();
    void confirm();

    TSession& m_session;
    bool m_added = false;
    QLineEdit* m_password;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_removeAll;
    QPushButton* m_ok;
};
