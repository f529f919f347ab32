// Script execution benchmark: a generated Ansi script of the generator's rows executed through
// the SQL window's "Execute.." offscreen into an empty SQLite target, beside `sqlite3 DB < script`
// inside BEGIN/COMMIT, and, when a server is there (`source tools/pgcluster.sh &&
// pgcluster_start`), into a PostgreSQL target beside `psql -1 -f script`, on the same file.
// `rowcart exec` and the sqlite3 shell run as processes of their own, each with its peak
// resident memory beside the script's size. A script too large for the editor runs only there.
// Usage: bench_exec [rows]   (default: 100000; needs the rowcart executable beside bench/)
#include "app/MainLayout.h"
#include "app/uMain.h"
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "bench/support/ChildProcess.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "data/postgres/PgDriver.h"
#include "script/InsertStatement.h"
#include "script/ScriptText.h"
#include "script/uSQL.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const QString Table = QStringLiteral("BENCH");

// The generator's columns as PostgreSQL declares them.
const char* const PgTable =
    "CREATE TABLE BENCH (ID integer PRIMARY KEY, NAME varchar(40), CODE char(8), QTY integer,"
    " PRICE money, AMOUNT numeric(12,2), RATE double precision, DAY date, AT time,"
    " STAMP timestamp, FLAG boolean, NOTE text, DATA bytea)";

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

[[noreturn]] void die(const QString& what) {
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(1);
}

double report(const char* what, qint64 rows, qint64 ms) {
    const double rate = ms > 0 ? static_cast<double>(rows) * 1000.0 / static_cast<double>(ms) : 0.0;
    std::printf("%-40s %9lld rows %8lld ms %10.0f rows/s  peak RSS %5.0f MiB\n", what,
                static_cast<long long>(rows), static_cast<long long>(ms), rate,
                BenchGenerator::PeakMemoryMiB());
    std::fflush(stdout);
    return rate;
}

// Answers Yes to "Execute ?"; anything else is a failure of the benchmark.
class YesPrompts : public UserPrompts {
public:
    Button message(const QString& text, const QString&, Buttons buttons, Icon) override {
        if (buttons & Yes)
            return Yes;
        die(QStringLiteral("unexpected message: ") + text);
    }
    std::optional<Login> login(const QString&, const QString& userName) override {
        return Login{userName, QString()};
    }
    bool tablePassword(TSession&) override { return false; }
    std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
    int execDialog(QObject&) override { return 0; }
};

// The script as script generation writes it: header, one statement per row, trailer, written
// to `path` as it grows. Returns its length in characters.
qint64 writeScript(const QString& sourceAlias, qint64 rows, const QString& path) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("dbSource"));
    db.SetAliasName(sourceAlias);
    TTable source;
    source.SetDatabaseName(QStringLiteral("dbSource"));
    source.SetTableName(Table);
    source.SetReadOnly(true);
    source.OpenTable();
    FieldMappingArray mapping;
    // The editor holds at most 16,777,215 characters, too few for 100,000 statements of every
    // column: seven columns go, numbers, text, a date, a date-time and a boolean among them.
    const QStringList mapped = {"ID", "NAME", "QTY", "AMOUNT", "DAY", "STAMP", "FLAG"};
    for (int i = 0; i < source.NumberOfFields(); ++i) {
        const QString name = source.FieldAt(i)->FieldName();
        mapping.append(FieldMapping{name, mapped.contains(name) ? name : QString()});
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        die(QStringLiteral("cannot write ") + path);
    qint64 characters = 0;
    QString part;
    const auto add = [&](const QString& text, bool last = false) {
        part += text;
        if (part.size() < (1 << 20) && !last)
            return;
        characters += part.size();
        const QByteArray bytes = part.toUtf8();
        if (file.write(bytes) != bytes.size())
            die(QStringLiteral("cannot write ") + path);
        part.clear();
    };
    const QDateTime started = QDateTime::currentDateTime();
    add(ScriptText::HeaderLine1(QStringLiteral("https://rowcart.example"), started) +
        QStringLiteral("\n") +
        ScriptText::HeaderLine2(
            QStringLiteral("Connected to \"") + sourceAlias + QStringLiteral("\""), Table,
            QStringLiteral("Ansi SQL")) +
        QStringLiteral("\n\n"));
    qint64 count = 0;
    for (source.MoveFirst(); !source.AtEnd(); source.MoveNext(), ++count)
        add(InsertStatement::Render(source, mapping, Table, QStringLiteral(";"),
                                    InsertStatement::Ansi));
    if (count != rows)
        die(QStringLiteral("the source has %1 rows").arg(count));
    add(ScriptText::CommitLine(QStringLiteral(";")) + QStringLiteral("\n") +
            ScriptText::FinishedLine(QDateTime::currentDateTime()),
        true);
    return characters;
}

QString readScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        die(QStringLiteral("cannot read ") + path);
    return QString::fromUtf8(file.readAll());
}

using Process = ChildRun;

// Runs a program that must succeed.
Process runProcess(const QString& program, const QStringList& arguments,
                   const QString& input = QString()) {
    const ChildRun run = RunChild(program, arguments, input);
    if (run.code != 0)
        die(program + QStringLiteral(" failed"));
    return run;
}

double reportProcess(const char* what, qint64 rows, const Process& run, double scriptMiB) {
    const double rate =
        run.ms > 0 ? static_cast<double>(rows) * 1000.0 / static_cast<double>(run.ms) : 0.0;
    std::printf("%-40s %9lld rows %8lld ms %10.0f rows/s  peak RSS %5.0f MiB (script %.0f MiB)\n",
                what, static_cast<long long>(rows), static_cast<long long>(run.ms), rate,
                run.peakMiB, scriptMiB);
    std::fflush(stdout);
    return rate;
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        die(QStringLiteral("cannot write ") + path);
}

qint64 targetRows(TfMain& main) {
    TTable& t = main.tTo();
    if (!t.Active())
        die(QStringLiteral("the target table was not reopened"));
    return t.RecordCount();
}

// "Execute.." of the SQL window into the target `alias`; returns the milliseconds.
qint64 executeThroughWindow(TfMain& main, const QString& alias, const QString& table, qint64 rows) {
    main.dbTo().Disconnect();
    main.dbTo().SetAliasName(alias);
    main.dbTo().LoginPrompt = false;
    main.dbTo().Connect();
    main.controls().eToTable->setEditText(table);
    QElapsedTimer timer;
    timer.start();
    main.fSQL()->aExeScript->trigger();
    const qint64 ms = timer.elapsed();
    if (targetRows(main) != rows)
        die(QStringLiteral("expected %1 rows in %2").arg(QString::number(rows), alias));
    main.tTo().CloseTable();
    return ms;
}

qint64 runTool(const QString& program, const QStringList& arguments, const QByteArray& input,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        die(program + QStringLiteral(" does not start"));
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const qint64 ms = timer.elapsed();
    process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit)
        die(program + QStringLiteral(" failed"));
    return ms;
}

qint64 sqliteCount(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("sqlite3"),
                  {path, QStringLiteral("SELECT count(*) FROM ") + Table});
    process.waitForFinished(-1);
    return process.readAllStandardOutput().trimmed().toLongLong();
}

}  // namespace

int main(int argc, char** argv) {
    IsolateFromUserSettings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    YesPrompts prompts;
    SetPrompts(&prompts);

    QTemporaryDir dir;
    const QString sourcePath = dir.filePath(QStringLiteral("source.db"));
    const QString targetPath = dir.filePath(QStringLiteral("target.db"));
    const QString shellPath = dir.filePath(QStringLiteral("shell.db"));
    const QString cliPath = dir.filePath(QStringLiteral("cli.db"));
    const QString scriptPath = dir.filePath(QStringLiteral("script.sql"));
    BenchGenerator::CreateSqliteTable(sourcePath, Table, rows);
    BenchGenerator::CreateSqliteTable(targetPath, Table, 0);
    BenchGenerator::CreateSqliteTable(shellPath, Table, 0);
    BenchGenerator::CreateSqliteTable(cliPath, Table, 0);

    const bool postgres = !env("ROWCART_PG_PORT").isEmpty();
    const QString pgDatabase = QStringLiteral("rowcart_bench_exec_%1").arg(app.applicationPid());
    QString aliases = QStringLiteral("[SOURCE]\nDRIVER=SQLITE\nPATH=") + sourcePath +
                      QStringLiteral("\n\n[TSQLITE]\nDRIVER=SQLITE\nPATH=") + targetPath +
                      QStringLiteral("\n\n[TCLI]\nDRIVER=SQLITE\nPATH=") + cliPath +
                      QStringLiteral("\n\n");
    const QString pgServer = QStringLiteral("DRIVER=POSTGRES\nSERVER NAME=") +
                             env("ROWCART_PG_HOST") + QStringLiteral("\nPORT=") +
                             env("ROWCART_PG_PORT") + QStringLiteral("\nUSER NAME=") +
                             env("ROWCART_PG_USER") + QStringLiteral("\n");
    if (postgres) {
        aliases += QStringLiteral("[PGADMIN]\n") + pgServer +
                   QStringLiteral("DATABASE NAME=postgres\n\n[TPG]\n") + pgServer +
                   QStringLiteral("DATABASE NAME=") + pgDatabase +
                   QStringLiteral("\nOPTIONS=-c datestyle=ISO,DMY -c lc_monetary=C\n\n");
    }
    writeFile(dir.filePath(QStringLiteral("aliases.conf")), aliases.toUtf8());
    qputenv("ROWCART_ALIASES", dir.filePath(QStringLiteral("aliases.conf")).toUtf8());
    TSession::ReloadAliases();

    QElapsedTimer timer;
    timer.start();
    const qint64 characters = writeScript(QStringLiteral("SOURCE"), rows, scriptPath);
    const double scriptMiB = static_cast<double>(QFileInfo(scriptPath).size()) / (1 << 20);
    std::printf("script: %lld rows, %lld characters (%.0f MiB), generated in %lld ms\n",
                static_cast<long long>(rows), static_cast<long long>(characters), scriptMiB,
                static_cast<long long>(timer.elapsed()));

    const QString rowcart = QCoreApplication::applicationDirPath() + QStringLiteral("/../rowcart");
    reportProcess("rowcart exec into SQLite", rows,
                  runProcess(rowcart, {QStringLiteral("exec"), QStringLiteral("TCLI"), scriptPath,
                                       QStringLiteral("--quiet")}),
                  scriptMiB);
    if (sqliteCount(cliPath) != rows)
        die(QStringLiteral("rowcart exec did not insert every row"));
    const double shell = reportProcess(
        "sqlite3 DB < script (BEGIN/COMMIT)", rows,
        runProcess(QStringLiteral("sqlite3"),
                   {QStringLiteral("-cmd"), QStringLiteral("BEGIN"), shellPath}, scriptPath),
        scriptMiB);
    if (sqliteCount(shellPath) != rows)
        die(QStringLiteral("the sqlite3 shell did not insert every row"));
    const bool fitsTheEditor = characters <= 16777215;
    if (!fitsTheEditor)
        std::printf("the script is larger than the editor holds: no Execute.. runs\n");

    TfMain main;
    if (fitsTheEditor) {
        main.fSQL()->ClearScript();
        main.fSQL()->AddText(readScript(scriptPath));
        // The text in the editor, as it is once a generation has ended.
        main.fSQL()->LineCount();
        QCoreApplication::processEvents();
        const double ours =
            report("Execute.. into SQLite", rows,
                   executeThroughWindow(main, QStringLiteral("TSQLITE"), Table, rows));
        std::printf("ratio to the sqlite3 shell: %.2f\n", shell > 0 ? ours / shell : 0.0);
    }

    if (postgres && fitsTheEditor) {
        TDatabase admin;
        admin.SetDatabaseName(QStringLiteral("dbAdmin"));
        admin.SetAliasName(QStringLiteral("PGADMIN"));
        admin.LoginPrompt = false;
        admin.Connect();
        admin.ExecuteStatement(QStringLiteral("CREATE DATABASE ") + pgDatabase);
        {
            TDatabase setup;
            setup.SetDatabaseName(QStringLiteral("dbSetup"));
            setup.SetAliasName(QStringLiteral("TPG"));
            setup.LoginPrompt = false;
            setup.Connect();
            setup.ExecuteStatement(QString::fromLatin1(PgTable));
        }
        const double pgOurs =
            report("Execute.. into PostgreSQL", rows,
                   executeThroughWindow(main, QStringLiteral("TPG"), Table.toLower(), rows));
        main.dbTo().Disconnect();
        {
            TDatabase setup;
            setup.SetDatabaseName(QStringLiteral("dbSetup"));
            setup.SetAliasName(QStringLiteral("TPG"));
            setup.LoginPrompt = false;
            setup.Connect();
            setup.ExecuteStatement(QStringLiteral("TRUNCATE BENCH"));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGOPTIONS"),
                           QStringLiteral("-c datestyle=ISO,DMY -c lc_monetary=C"));
        const qint64 psqlMs =
            runTool(QStringLiteral("psql"),
                    {QStringLiteral("-q"), QStringLiteral("-1"), QStringLiteral("-X"),
                     QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                     env("ROWCART_PG_HOST"), QStringLiteral("-p"), env("ROWCART_PG_PORT"),
                     QStringLiteral("-U"), env("ROWCART_PG_USER"), QStringLiteral("-d"), pgDatabase,
                     QStringLiteral("-f"), scriptPath},
                    QByteArray(), environment);
        {
            TDatabase check;
            check.SetDatabaseName(QStringLiteral("dbCheck"));
            check.SetAliasName(QStringLiteral("TPG"));
            check.LoginPrompt = false;
            TTable t;
            t.SetDatabaseName(QStringLiteral("dbCheck"));
            t.SetTableName(Table.toLower());
            t.SetReadOnly(true);
            t.OpenTable();
            if (t.RecordCount() != rows)
                die(QStringLiteral("psql did not insert every row"));
        }
        const double psql = report("psql -1 -f script", rows, psqlMs);
        std::printf("ratio to psql: %.2f\n", psql > 0 ? pgOurs / psql : 0.0);
        admin.ExecuteStatement(QStringLiteral("DROP DATABASE ") + pgDatabase +
                               QStringLiteral(" WITH (FORCE)"));
    }
    SetPrompts(nullptr);
    return 0;
}
