#include "cli/CommandLinePrompts.h"

#include "data/Exceptions.h"

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// Reads one line from the terminal with its echo off; empty when there is no terminal.
std::optional<QString> readHiddenLine(const QString& question) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    const int fd = fileno(tty);
    termios saved{};
    const bool terminal = tcgetattr(fd, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs(question.toLocal8Bit().constData(), tty);
    std::fflush(tty);
    QByteArray line;
    int c = 0;
    while ((c = std::fgetc(tty)) != EOF && c != '\n')
        line.append(static_cast<char>(c));
    if (terminal)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fclose(tty);
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    return QString::fromLocal8Bit(line);
}

}  // namespace

void PrintError(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    std::fprintf(stderr, "%s\n", shown.toLocal8Bit().constData());
    std::fflush(stderr);
}

UserPrompts::Button CommandLinePrompts::message(const QString& text, const QString&,
                                                Buttons buttons, Icon) {
    PrintError(text);
    if (!(buttons & (Yes | No)))
        return (buttons & Ok) ? Ok : Cancel;
    return No;
}

std::optional<UserPrompts::Login> CommandLinePrompts::login(const QString&,
                                                            const QString& userName) {
    if (!m_passwords.isEmpty()) {
        const int index = std::min<int>(m_nextPassword++, m_passwords.size() - 1);
        return Login{userName, m_passwords.at(index)};
    }
    const std::optional<QString> password =
        readHiddenLine(QStringLiteral("Password for \"%1\" as %2: ").arg(m_alias, userName));
    if (!password) {
        PrintError(QStringLiteral("No terminal to ask the password for \"%1\": use --password-file")
                       .arg(m_alias));
        return std::nullopt;
    }
    return Login{userName, *password};
}

bool CommandLinePrompts::tablePassword(TSession&) {
    return false;
}

std::optional<QString> CommandLinePrompts::saveFileName(const FileRequest&) {
    return std::nullopt;
}

int CommandLinePrompts::execDialog(QObject&) {
    return 2;
}

QStringList ReadPasswordFile(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    struct stat status {};
    if (::stat(local.constData(), &status) != 0)
        throw Exception(QStringLiteral("Cannot read the password file %1").arg(path));
    if (status.st_mode & (S_IRGRP | S_IROTH)) {
        throw Exception(
            QStringLiteral("The password file %1 can be read by others: allow only its owner "
                           "(chmod 600)")
                .arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot read the password file %1").arg(path));
    QStringList lines;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromUtf8(line));
    }
    // The break after the last password is no empty password of its own.
    while (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
