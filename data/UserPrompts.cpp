#include "data/UserPrompts.h"

#include "data/Exceptions.h"

#include <cstdio>

const QString ApplicationTitle = QStringLiteral("Rowcart");

namespace {

// Answers every question negatively, so that nothing happens without a user.
class NoPrompts : public UserPrompts {
public:
    Button message(const QString& text, const QString& caption, Buttons buttons, Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        if (buttons & Cancel)
            return Cancel;
        if (buttons & No)
            return No;
        return Ok;
    }
    std::optional<Login> login(const QString&, const QString&) override { return std::nullopt; }
    bool tablePassword(TSession&) override { return false; }
    std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
    int execDialog(QObject&) override { return 2; }
};

UserPrompts* g_prompts = nullptr;

}  // namespace

UserPrompts& Prompts() {
    static NoPrompts none;
    return g_prompts ? *g_prompts : none;
}

void SetPrompts(UserPrompts* prompts) {
    g_prompts = prompts;
}

QString ErrorReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > '.')
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorReport(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    const auto* own = dynamic_cast<const Exception*>(&error);
    const QString message = own ? own->message() : QString::fromUtf8(error.what());
    Prompts().message(ErrorReportText(message), ApplicationTitle, UserPrompts::Ok,
                      UserPrompts::Icon::Error);
}

bool RunCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        ShowErrorReport(error);
    }
    return false;
}
