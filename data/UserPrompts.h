#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TSession;

// Every modal question the system asks passes through here: message boxes, the login and table
// password dialogs, file choosers. The GUI installs an implementation with real dialogs; tests
// install one that answers from a script. No widget type appears in this interface, so every
// library (the engine included) can ask without knowing the toolkit.
class UserPrompts {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum Button { Ok = 1, Cancel = 2, Yes = 4, No = 8 };
    using Buttons = int;

    struct Login {
        QString userName;
        QString password;
    };

    struct FileRequest {
        QString caption;
        QString directory;
        QString fileName;
        QString filter;  // "SQL files (*.sql);;All files (*)"
        QString defaultSuffix;
    };

    virtual ~UserPrompts() = default;

    // Returns the button chosen (Cancel or No when the box is closed otherwise).
    virtual Button message(const QString& text, const QString& caption, Buttons buttons,
                           Icon icon) = 0;
    // Empty on Cancel.
    virtual std::optional<Login> login(const QString& databaseName, const QString& userName) = 0;
    // True on OK; the dialog has added its password(s) to the session.
    virtual bool tablePassword(TSession& session) = 0;
    // The chosen path, or empty on Cancel.
    virtual std::optional<QString> saveFileName(const FileRequest& request) = 0;
    // Shows a dialog the caller built (a QDialog, passed as a QObject so that this interface
    // stays free of widget types) modally and returns its result code: 1 for OK or Accepted,
    // 0 or 2 for Cancel. Tests answer by inspecting and changing the dialog's controls.
    virtual int execDialog(QObject& dialog) = 0;
};

// The installed implementation. Until one is installed, every question is answered with
// Cancel (No for Yes/No boxes) and messages are written to stderr.
UserPrompts& Prompts();
void SetPrompts(UserPrompts* prompts);

// The application title: the caption of the general error report.
extern const QString ApplicationTitle;

// The general error report: the message in a box captioned with the application title, with
// the error icon; a full stop is appended when the last character's code is above 46. The
// silent abort shows nothing.
void ShowErrorReport(const std::exception& error);
QString ErrorReportText(const QString& message);

// Runs one user command: any error it does not handle itself ends it and is reported. Returns
// false when the command ended with an error (the silent abort included).
bool RunCommand(const std::function<void()>& command);
