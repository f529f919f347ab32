#pragma once

#include "data/UserPrompts.h"

// The real dialogs behind every modal question.
class WidgetPrompts : public UserPrompts {
public:
    Button message(const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    std::optional<Login> login(const QString& databaseName, const QString& userName) override;
    bool tablePassword(TSession& session) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    int execDialog(QObject& dialog) override;
};
