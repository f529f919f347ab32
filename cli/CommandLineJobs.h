#pragma once

#include "data/Driver.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class CommandLinePrompts;

// Exit status of a command, and of the window that cannot start.
enum ExitCode {
    ExitDone = 0,
    ExitRowsSkipped = 1,
    ExitUsage = 2,
    ExitFailed = 3,
    ExitNoDisplay = 4,
    // Ctrl+C, as shells report a program ended by it.
    ExitInterrupted = 130,
};

// A command line that cannot run as given; reported with the usage and exit status 2.
struct UsageError {
    QString message;
};

struct JobOptions {
    QString fromAlias;
    QString fromTable;
    QString toAlias;
    // The target table of a move, or the table name written into a script.
    QString toTable;
    QString keysFile;
    QVector<QPair<QString, QString>> maps;
    qint64 commitEvery = 0;
    bool typed = false;
    // --on-error skip: a row that fails is passed over; else it stops the job.
    bool skipFailedRows = false;
    // --on-duplicate: what a row whose key the target holds already does.
    OnDuplicate onDuplicate = OnDuplicate::Fail;
    // --create: a target table that is not there is made from the source's structure.
    bool create = false;
    // copy: the tables named with --tables; empty for every table of the source.
    QStringList tables;
    bool dryRun = false;
    bool quiet = false;
    int dialect = 0;
    QString divider = QStringLiteral(";");
    QString outputFile;
    QString scriptFile;
};

// Each runs one command on the same pieces as the window's and returns its exit status; a
// failure of the engine passes on as its exception.
int RunMoveJob(const JobOptions& options, CommandLinePrompts& prompts);
int RunScriptJob(const JobOptions& options, CommandLinePrompts& prompts);
int RunExecJob(const JobOptions& options, CommandLinePrompts& prompts);
int RunCopyJob(const JobOptions& options, CommandLinePrompts& prompts);
