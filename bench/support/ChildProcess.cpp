#include "bench/support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

extern char** environ;

ChildRun RunChild(const QString& program, const QStringList& arguments, const QString& input) {
    QTemporaryDir dir;
    const QString peakFile = dir.filePath(QStringLiteral("peak"));
    const bool timed = QFileInfo::exists(QStringLiteral("/usr/bin/time"));
    QStringList words;
    if (timed)
        words << QStringLiteral("/usr/bin/time") << QStringLiteral("-q") << QStringLiteral("-f")
              << QStringLiteral("%M") << QStringLiteral("-o") << peakFile;
    words << program << arguments;
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
    QElapsedTimer timer;
    timer.start();
    ChildRun run;
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
        ::waitpid(pid, &status, 0) > 0 && WIFEXITED(status))
        run.code = WEXITSTATUS(status);
    run.ms = timer.elapsed();
    posix_spawn_file_actions_destroy(&actions);
    QFile peak(peakFile);
    if (timed && peak.open(QIODevice::ReadOnly))
        run.peakMiB = peak.readAll().trimmed().toDouble() / 1024.0;
    return run;
}
