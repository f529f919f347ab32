#include "bench/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <vector>

extern char** environ;

namespace {

// Starts `words` with standard output dropped; 0 when it could not be started.
pid_t spawn(const QStringList& words, const QString& input, const QString& errors) {
    QList<QByteArray> local;
    for (const QString& word : words)
        local.append(word.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : local)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray inputPath = input.toLocal8Bit();
    if (!input.isEmpty())
        posix_spawn_file_actions_addopen(&actions, 0, inputPath.constData(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const QByteArray errorsPath = errors.toLocal8Bit();
    if (!errors.isEmpty())
        posix_spawn_file_actions_addopen(&actions, 2, errorsPath.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

ChildRun RunChild(const QString& program, const QStringList& arguments, const QString& input,
                  const QString& errors) {
    QTemporaryDir dir;
    const QString peakFile = dir.filePath(QStringLiteral("peak"));
    const bool timed = QFileInfo::exists(QStringLiteral("/usr/bin/time"));
    QStringList words;
    if (timed)
        words << QStringLiteral("/usr/bin/time") << QStringLiteral("-q") << QStringLiteral("-f")
              << QStringLiteral("%M") << QStringLiteral("-o") << peakFile;
    words << program << arguments;
    QElapsedTimer timer;
    timer.start();
    ChildRun run;
    int status = 0;
    const pid_t pid = spawn(words, input, errors);
    if (pid != 0 && ::waitpid(pid, &status, 0) > 0 && WIFEXITED(status))
        run.code = WEXITSTATUS(status);
    run.ms = timer.elapsed();
    QFile peak(peakFile);
    if (timed && peak.open(QIODevice::ReadOnly))
        run.peakMiB = peak.readAll().trimmed().toDouble() / 1024.0;
    return run;
}

ChildRun RunChildKilledAfter(const QString& program, const QStringList& arguments,
                             qint64 killAfterMs, const QString& errors) {
    QElapsedTimer timer;
    timer.start();
    ChildRun run;
    const pid_t pid = spawn(QStringList{program} + arguments, QString(), errors);
    if (pid == 0)
        return run;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (timer.elapsed() >= killAfterMs) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        QThread::msleep(5);
    }
    if (WIFEXITED(status))
        run.code = WEXITSTATUS(status);
    run.ms = timer.elapsed();
    return run;
}
