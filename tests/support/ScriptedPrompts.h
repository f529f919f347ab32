#pragma once

#include "data/UserPrompts.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// Answers modal questions from a script that a test queues up, and records every question
// asked. A question with no answer queued fails the test and is answered with Cancel.
class ScriptedPrompts : public UserPrompts {
public:
    struct Message {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };

    static ScriptedPrompts& instance();

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    Button message(const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<Login> login(const QString& databaseName, const QString& userName) override;
    bool tablePassword(TSession& session) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    int execDialog(QObject& dialog) override;

    // Answers, consumed in order by the kind of question they answer.
    void answerMessage(Button button) { m_messageAnswers.push_back(button); }
    void answerLogin(std::optional<Login> login) { m_loginAnswers.push_back(std::move(login)); }
    void answerSaveFile(std::optional<QString> path) { m_fileAnswers.push_back(std::move(path)); }
    // A dialog answer sees the dialog (to read or change its controls) and returns its result.
    using DialogAnswer = std::function<int(QObject& dialog)>;
    void answerDialog(DialogAnswer answer) { m_dialogAnswers.push_back(std::move(answer)); }
    void answerDialog(int result) {
        answerDialog([result](QObject&) { return result; });
    }
    // Messages with only an OK button are answered OK without a queued answer.
    void setAutoOk(bool on) { m_autoOk = on; }

    const QList<Message>& messages() const { return m_messages; }
    const QList<QPair<QString, QString>>& logins() const { return m_logins; }
    const QList<FileRequest>& fileRequests() const { return m_fileRequests; }
    // Object names of the dialogs shown, in order.
    const QStringList& dialogs() const { return m_dialogs; }
    // Forgets what was asked and any unused answers.
    void reset();
    bool allAnswersUsed() const;

private:
    std::deque<Button> m_messageAnswers;
    std::deque<std::optional<Login>> m_loginAnswers;
    std::deque<std::optional<QString>> m_fileAnswers;
    std::deque<DialogAnswer> m_dialogAnswers;
    QStringList m_dialogs;
    QList<Message> m_messages;
    QList<QPair<QString, QString>> m_logins;
    QList<FileRequest> m_fileRequests;
    bool m_autoOk = true;
};
