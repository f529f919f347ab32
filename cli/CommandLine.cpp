#include "cli/CommandLine.h"

#include "cli/CommandLineJobs.h"
#include "cli/CommandLinePrompts.h"
#include "cli/ProgramVersion.h"
#include "data/Exceptions.h"
#include "settings/SqlDialects.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

const char* const OverviewHelp =
    "Usage: rowcart                       start the window\n"
    "       rowcart COMMAND [OPTIONS]      run a command without a window\n"
    "       rowcart --version              the versions of Rowcart and the libraries it uses\n"
    "\n"
    "Commands:\n"
    "  move    copy rows of a table into a table of another database\n"
    "  copy    copy tables of a database into another, creating what is missing\n"
    "  script  write an INSERT script of a table's rows\n"
    "  exec    run a script against a database in one transaction\n"
    "\n"
    "rowcart COMMAND --help describes a command. Exit status: 0 every row arrived, 1 rows were\n"
    "skipped, 2 usage error, 3 the job stopped on an error, 130 stopped by Ctrl+C.\n";

const char* const MoveHelp =
    "Usage: rowcart move FROM_ALIAS:TABLE TO_ALIAS:TABLE [OPTIONS]\n"
    "Copies rows as \"Data Move !\" does and commits them at the end.\n"
    "\n"
    "  --keys FILE           only the rows with these keys (one a line, tab-separated values\n"
    "                        for compound keys); default all rows\n"
    "  --map SOURCE=TARGET   source field SOURCE goes into TARGET (repeatable); an empty\n"
    "                        TARGET leaves the field out; other fields go to equal names\n"
    "  --commit-every N      commit every N rows (0, the default: one commit at the end)\n"
    "  --typed               carry values by type, without comparing field types\n"
    "  --on-error stop|skip  a row that fails stops the job (default) or is skipped\n"
    "  --on-duplicate error|skip|update\n"
    "                        a row whose key the target holds fails (default), is left out,\n"
    "                        or updates the row there; skip resumes a stopped job\n"
    "  --create              make the target table from the source's when it is not there\n"
    "  --dry-run             run inside a transaction that is rolled back\n"
    "  --password-file FILE  passwords of the logins, one a line (only its owner may read it)\n"
    "  --quiet               no progress and no summary\n";

const char* const CopyHelp =
    "Usage: rowcart copy FROM_ALIAS TO_ALIAS [OPTIONS]\n"
    "Copies tables under their names, each after the tables its foreign keys reference.\n"
    "\n"
    "  --tables A,B,...      these tables (default: every table of FROM_ALIAS)\n"
    "  --create              make the tables that are not there from the source's structure;\n"
    "                        their unique indexes and foreign keys follow the rows\n"
    "  --on-duplicate error|skip|update, --commit-every N, --on-error stop|skip, --typed,\n"
    "  --dry-run, --password-file FILE, --quiet\n"
    "                        as for move, for every table\n";

const char* const ScriptHelp =
    "Usage: rowcart script FROM_ALIAS:TABLE TARGET_TABLE --dialect ansi|oracle|interbase "
    "[OPTIONS]\n"
    "Writes the script \"Generate SQL..\" makes, to standard output or a file.\n"
    "\n"
    "  --dialect NAME        ansi, oracle or interbase\n"
    "  --divider TEXT        the statement divider (default ;)\n"
    "  --commit-every N      a COMMIT marker every N rows (0, the default: none)\n"
    "  -o FILE               write to FILE (replaced only when the script is complete)\n"
    "  --keys FILE, --map SOURCE=TARGET, --on-error stop|skip, --password-file FILE, --quiet\n"
    "                        as for move\n";

const char* const ExecHelp =
    "Usage: rowcart exec TO_ALIAS FILE [OPTIONS]\n"
    "Runs a script as \"Execute..\" does: in one transaction, stopping at the first failure.\n"
    "\n"
    "  --divider TEXT        its first character ends a statement on a line of its own\n"
    "                        (default ;)\n"
    "  --password-file FILE  the login's password (only its owner may read the file)\n"
    "  --quiet               no summary\n";

void print(FILE* stream, const char* text) {
    std::fputs(text, stream);
    std::fflush(stream);
}

const char* helpOf(const QString& command) {
    if (command == QLatin1String("move"))
        return MoveHelp;
    if (command == QLatin1String("script"))
        return ScriptHelp;
    if (command == QLatin1String("exec"))
        return ExecHelp;
    if (command == QLatin1String("copy"))
        return CopyHelp;
    return OverviewHelp;
}

struct Parsed {
    QString command;
    QStringList positional;
    JobOptions job;
    bool help = false;
    QString passwordFile;
};

void splitTableArgument(const QString& argument, QString& alias, QString& table) {
    const qsizetype colon = argument.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == argument.size() - 1)
        throw UsageError{QStringLiteral("%1: expected ALIAS:TABLE").arg(argument)};
    alias = argument.left(colon);
    table = argument.mid(colon + 1);
}

qint64 parseCount(const QString& option, const QString& value) {
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok || n < 0)
        throw UsageError{QStringLiteral("%1: %2 is not a number of rows").arg(option, value)};
    return n;
}

Parsed parse(const QStringList& args) {
    Parsed parsed;
    parsed.command = args.value(0);
    const bool isMove = parsed.command == QLatin1String("move");
    const bool isScript = parsed.command == QLatin1String("script");
    const bool isExec = parsed.command == QLatin1String("exec");
    const bool isCopy = parsed.command == QLatin1String("copy");
    bool dialectGiven = false;
    for (int i = 1; i < args.size(); ++i) {
        QString option = args[i];
        std::optional<QString> inlineValue;
        if (option.startsWith(QLatin1String("--")) && option.contains(QLatin1Char('='))) {
            inlineValue = option.mid(option.indexOf(QLatin1Char('=')) + 1);
            option = option.left(option.indexOf(QLatin1Char('=')));
        }
        const auto value = [&]() -> QString {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError{option + QStringLiteral(" needs a value")};
            return args[++i];
        };
        const auto allowed = [&](bool where) {
            if (!where)
                throw UsageError{
                    QStringLiteral("%1 is no option of %2").arg(option, parsed.command)};
        };
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            parsed.help = true;
        } else if (option == QLatin1String("--keys")) {
            allowed(isMove || isScript);
            parsed.job.keysFile = value();
        } else if (option == QLatin1String("--map")) {
            allowed(isMove || isScript);
            const QString pair = value();
            const qsizetype equals = pair.indexOf(QLatin1Char('='));
            if (equals <= 0)
                throw UsageError{QStringLiteral("--map %1: expected SOURCE=TARGET").arg(pair)};
            parsed.job.maps.append({pair.left(equals), pair.mid(equals + 1)});
        } else if (option == QLatin1String("--commit-every")) {
            allowed(isMove || isScript || isCopy);
            parsed.job.commitEvery = parseCount(option, value());
        } else if (option == QLatin1String("--typed")) {
            allowed(isMove || isCopy);
            parsed.job.typed = true;
        } else if (option == QLatin1String("--on-error")) {
            allowed(isMove || isScript || isCopy);
            const QString choice = value();
            if (choice != QLatin1String("stop") && choice != QLatin1String("skip"))
                throw UsageError{
                    QStringLiteral("--on-error takes stop or skip, not %1").arg(choice)};
            parsed.job.skipFailedRows = choice == QLatin1String("skip");
        } else if (option == QLatin1String("--dry-run")) {
            allowed(isMove || isCopy);
            parsed.job.dryRun = true;
        } else if (option == QLatin1String("--create")) {
            allowed(isMove || isCopy);
            parsed.job.create = true;
        } else if (option == QLatin1String("--on-duplicate")) {
            allowed(isMove || isCopy);
            const QString choice = value();
            const QStringList choices{QStringLiteral("error"), QStringLiteral("skip"),
                                      QStringLiteral("update")};
            if (!choices.contains(choice))
                throw UsageError{
                    QStringLiteral("--on-duplicate takes error, skip or update, not %1")
                        .arg(choice)};
            parsed.job.onDuplicate = static_cast<OnDuplicate>(choices.indexOf(choice));
        } else if (option == QLatin1String("--tables")) {
            allowed(isCopy);
            parsed.job.tables = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else if (option == QLatin1String("--quiet") || option == QLatin1String("-q")) {
            parsed.job.quiet = true;
        } else if (option == QLatin1String("--password-file")) {
            parsed.passwordFile = value();
        } else if (option == QLatin1String("--dialect")) {
            allowed(isScript);
            const QString name = value().toLower();
            parsed.job.dialect = SqlDialects::FromWord(name);
            if (parsed.job.dialect < 0)
                throw UsageError{
                    QStringLiteral("--dialect takes ansi, oracle or interbase, not %1").arg(name)};
            dialectGiven = true;
        } else if (option == QLatin1String("--divider")) {
            allowed(isScript || isExec);
            parsed.job.divider = value();
        } else if (option == QLatin1String("-o") || option == QLatin1String("--output")) {
            allowed(isScript);
            parsed.job.outputFile = value();
        } else if (option.startsWith(QLatin1Char('-')) && option.size() > 1) {
            throw UsageError{QStringLiteral("Unknown option %1").arg(option)};
        } else {
            parsed.positional.append(args[i]);
        }
    }
    if (parsed.help)
        return parsed;
    if (parsed.positional.size() != 2)
        throw UsageError{QStringLiteral("%1 takes two arguments").arg(parsed.command)};
    if (isMove) {
        splitTableArgument(parsed.positional[0], parsed.job.fromAlias, parsed.job.fromTable);
        splitTableArgument(parsed.positional[1], parsed.job.toAlias, parsed.job.toTable);
    } else if (isCopy) {
        parsed.job.fromAlias = parsed.positional[0];
        parsed.job.toAlias = parsed.positional[1];
    } else if (isScript) {
        splitTableArgument(parsed.positional[0], parsed.job.fromAlias, parsed.job.fromTable);
        parsed.job.toTable = parsed.positional[1];
        if (!dialectGiven)
            throw UsageError{QStringLiteral("script needs --dialect ansi|oracle|interbase")};
    } else {
        parsed.job.toAlias = parsed.positional[0];
        parsed.job.scriptFile = parsed.positional[1];
    }
    return parsed;
}

bool isCommand(const QString& word) {
    return word == QLatin1String("move") || word == QLatin1String("script") ||
           word == QLatin1String("exec") || word == QLatin1String("copy");
}

}  // namespace

bool IsCommandLine(int argc) {
    return argc > 1;
}

int RunCommandLine(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(ApplicationTitle);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString first = args.value(0);
    if (first == QLatin1String("--version") || first == QLatin1String("-V")) {
        print(stdout, ProgramVersionText().toLocal8Bit().constData());
        return ExitDone;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        print(stdout, helpOf(args.value(1)));
        return ExitDone;
    }
    if (!isCommand(first)) {
        PrintError(QStringLiteral("rowcart: unknown %1 %2")
                       .arg(first.startsWith(QLatin1Char('-')) ? QStringLiteral("option")
                                                               : QStringLiteral("command"),
                            first));
        print(stderr, OverviewHelp);
        return ExitUsage;
    }
    Parsed parsed;
    try {
        parsed = parse(args);
    } catch (const UsageError& e) {
        PrintError(QStringLiteral("rowcart: ") + e.message);
        print(stderr, helpOf(args.value(0)));
        return ExitUsage;
    }
    if (parsed.help) {
        print(stdout, helpOf(parsed.command));
        return ExitDone;
    }
    int rc = ExitFailed;
    try {
        QStringList passwords;
        if (!parsed.passwordFile.isEmpty())
            passwords = ReadPasswordFile(parsed.passwordFile);
        CommandLinePrompts prompts(passwords);
        SetPrompts(&prompts);
        struct Uninstall {
            ~Uninstall() { SetPrompts(nullptr); }
        } uninstall;
        if (parsed.command == QLatin1String("move"))
            rc = RunMoveJob(parsed.job, prompts);
        else if (parsed.command == QLatin1String("script"))
            rc = RunScriptJob(parsed.job, prompts);
        else if (parsed.command == QLatin1String("copy"))
            rc = RunCopyJob(parsed.job, prompts);
        else
            rc = RunExecJob(parsed.job, prompts);
    } catch (const UsageError& e) {
        PrintError(QStringLiteral("rowcart: ") + e.message);
        return ExitUsage;
    } catch (const EAbort&) {
        return ExitFailed;
    } catch (const std::exception& e) {
        PrintError(ErrorReportText(dynamic_cast<const Exception*>(&e)
                                       ? static_cast<const Exception&>(e).message()
                                       : QString::fromUtf8(e.what())));
        return ExitFailed;
    }
    return rc;
}
