#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {
ScriptedPrompts* g_instance = nullptr;
}

ScriptedPrompts& ScriptedPrompts::instance() {
    return *g_instance;
}

ScriptedPrompts::ScriptedPrompts() {
    g_instance = this;
}

ScriptedPrompts::~ScriptedPrompts() {
    g_instance = nullptr;
}

UserPrompts::Button ScriptedPrompts::message(const QString& text, const QString& caption,
                                             Buttons buttons, Icon icon) {
    m_messages.append(Message{text, caption, buttons, icon});
    if (!m_messageAnswers.empty()) {
        const Button answer = m_messageAnswers.front();
        m_messageAnswers.pop_front();
        return answer;
    }
    if (m_autoOk && buttons == Ok)
        return Ok;
    ADD_FAILURE() << "unexpected question: " << caption.toStdString() << ": " << text.toStdString();
    return (buttons & Cancel) ? Cancel : No;
}

std::optional<UserPrompts::Login> ScriptedPrompts::login(const QString& databaseName,
                                                         const QString& userName) {
    m_logins.append({databaseName, userName});
    if (m_loginAnswers.empty()) {
        ADD_FAILURE() << "unexpected login dialog for " << databaseName.toStdString();
        return std::nullopt;
    }
    auto answer = m_loginAnswers.front();
    m_loginAnswers.pop_front();
    return answer;
}

bool ScriptedPrompts::tablePassword(TSession&) {
    ADD_FAILURE() << "unexpected table password dialog";
    return false;
}

std::optional<QString> ScriptedPrompts::saveFileName(const FileRequest& request) {
    m_fileRequests.append(request);
    if (m_fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.caption.toStdString();
        return std::nullopt;
    }
    auto answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

int ScriptedPrompts::execDialog(QObject& dialog) {
    m_dialogs.append(dialog.objectName());
    if (m_dialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
        return 2;
    }
    DialogAnswer answer = std::move(m_dialogAnswers.front());
    m_dialogAnswers.pop_front();
    return answer(dialog);
}

void ScriptedPrompts::reset() {
    m_messageAnswers.clear();
    m_loginAnswers.clear();
    m_fileAnswers.clear();
    m_dialogAnswers.clear();
    m_dialogs.clear();
    m_messages.clear();
    m_logins.clear();
    m_fileRequests.clear();
    m_autoOk = true;
}

bool ScriptedPrompts::allAnswersUsed() const {
    return m_messageAnswers.empty() && m_loginAnswers.empty() && m_fileAnswers.empty() &&
           m_dialogAnswers.empty();
}
