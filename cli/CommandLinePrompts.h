#pragma once

#include "data/UserPrompts.h"

#include <QStringList>

// The questions of a run without a window: messages go to standard error, and a login's
// password comes from the password file or from the terminal without echo. The runs are told
// what to do with a failed row (--on-error) and ask nothing; a question is answered No.
class CommandLinePrompts : public UserPrompts {
public:
    // `passwords` are handed out one per login, in the order the logins are asked; the last
    // one serves every later login. Empty: the terminal is asked.
    explicit CommandLinePrompts(QStringList passwords) : m_passwords(std::move(passwords)) {}

    Button message(const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<Login> login(const QString& databaseName, const QString& userName) override;
    bool tablePassword(TSession& session) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    int execDialog(QObject& dialog) override;

    // The alias being connected, named in the terminal's password question.
    void setAliasForLogin(const QString& alias) { m_alias = alias; }

private:
    QStringList m_passwords;
    int m_nextPassword = 0;
    QString m_alias;
};

// The lines of a password file, refused unless only its owner can read it. Throws Exception.
QStringList ReadPasswordFile(const QString& path);
// Standard error, without a line break's carriage return ("\n\r" in the program's messages).
void PrintError(const QString& text);
