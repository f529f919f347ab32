#include "settings/DesktopShortcut.h"

#include "data/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace DesktopShortcut {

namespace {

std::function<QString()>& folderSource() {
    static std::function<QString()> source;
    return source;
}

// Escapes of a desktop entry's string values.
QString escapeString(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                escaped += QStringLiteral("\\\\");
                break;
            case '\n':
                escaped += QStringLiteral("\\n");
                break;
            case '\t':
                escaped += QStringLiteral("\\t");
                break;
            case '\r':
                escaped += QStringLiteral("\\r");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QString quoteArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return argument;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

[[noreturn]] void fail(const QString& file, const QString& reason) {
    throw Exception(QStringLiteral("Cannot place the desktop shortcut %1: %2")
                        .arg(QDir::toNativeSeparators(file), reason));
}

}  // namespace

QString reportedDesktopFolder() {
    if (folderSource())
        return folderSource()();
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

void setDesktopFolderSource(std::function<QString()> source) {
    folderSource() = std::move(source);
}

QString desktopFolder(const QString& reported, const QString& home) {
    if (!reported.isEmpty() && QDir(reported) != QDir::root())
        return reported;
    return QDir(home).filePath(QStringLiteral("Desktop"));
}

QString desktopFolder() {
    return desktopFolder(reportedDesktopFolder(), QDir::homePath());
}

QString execValue(const QString& program, const QString& arguments) {
    QString command = quoteArgument(program);
    if (!arguments.isEmpty())
        command += QLatin1Char(' ') + arguments;
    command.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeString(command);
}

QString launcherText(const QString& target, const QString& arguments, const QString& description) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Rowcart\n"
               "Comment=%1\n"
               "Exec=%2\n")
        .arg(escapeString(description), execValue(target, arguments));
}

void CreateDesktopLauncher(const QString& target, const QString& launcherFile,
                           const QString& arguments, const QString& description) {
    const QString folder = QFileInfo(launcherFile).absolutePath();
    if (!QDir().mkpath(folder))
        fail(launcherFile, QStringLiteral("the folder cannot be created"));
    // A link there is replaced, not written through: its target is no launcher of ours and must
    // not become executable.
    if (QFileInfo(launcherFile).isSymLink() && !QFile::remove(launcherFile))
        fail(launcherFile, QStringLiteral("the link there cannot be replaced"));
    QSaveFile file(launcherFile);
    if (!file.open(QIODevice::WriteOnly))
        fail(launcherFile, file.errorString());
    file.write(launcherText(target, arguments, description).toUtf8());
    if (!file.commit())
        fail(launcherFile, file.errorString());
    const QFileDevice::Permissions executable = QFileDevice::ExeOwner | QFileDevice::ExeUser |
                                                QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!QFile::setPermissions(launcherFile, QFile::permissions(launcherFile) | executable))
        fail(launcherFile, QStringLiteral("it cannot be made executable"));
}

}  // namespace DesktopShortcut
