#pragma once

#include <QString>
#include <functional>

// The desktop shortcut of "Place": a freedesktop launcher file in the user's desktop folder.
namespace DesktopShortcut {

inline const QString LauncherFileName = QStringLiteral("Rowcart.desktop");

// The desktop folder the platform reports (XDG user dirs); empty when it knows none.
QString reportedDesktopFolder();
// Replaces the platform's answer, for tests; an empty function restores it.
void setDesktopFolderSource(std::function<QString()> source);

// Where the launcher goes: the reported folder, or the home folder's "Desktop" when none is
// reported, never the file system's root.
QString desktopFolder();
QString desktopFolder(const QString& reported, const QString& home);

// The Exec value for one program path: quoted when it holds a reserved character, with "%"
// doubled and the string escapes of a desktop entry applied.
QString execValue(const QString& program, const QString& arguments);
QString launcherText(const QString& target, const QString& arguments, const QString& description);

// Writes the launcher file for `target`, replacing an older one, creating its folder if needed,
// and marks it executable. Raises an Exception naming the file when that fails.
void CreateDesktopLauncher(const QString& target, const QString& launcherFile,
                           const QString& arguments, const QString& description);

}  // namespace DesktopShortcut
