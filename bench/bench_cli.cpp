// Command-line move benchmark: `rowcart move` of the generator's table with --commit-every
// 10000, SQLite to SQLite beside a prepared-insert loop, and SQLite to PostgreSQL (when
// ROWCART_PG_HOST is set) beside pgloader when it is installed, else beside COPY through psql.
// Each tool runs as a process of its own; its peak memory is its maximum resident set.
// Usage: bench_cli [ROWS]   (default 1,000,000; needs the rowcart executable beside bench/)
//        bench_cli --memory ROWS...   peak memory of the move at each size
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "bench/support/ChildProcess.h"
#include "data/sqlite/SqliteHandles.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

using Run = ChildRun;

// Runs a program with the benchmark's alias file.
Run runProcess(const QString& program, const QStringList& args, const QString& aliases = {}) {
    if (!aliases.isEmpty())
        qputenv("ROWCART_ALIASES", aliases.toLocal8Bit());
    return RunChild(program, args);
}

void report(const char* what, qint64 rows, const Run& run) {
    const QByteArray peak = run.peakMiB > 0 ? QByteArray::number(run.peakMiB, 'f', 1) + " MiB peak"
                                            : QByteArray("(in this process)");
    std::printf("%-40s %8lld ms %10.0f rows/s  %s%s\n", what, static_cast<long long>(run.ms),
                run.ms > 0 ? rows * 1000.0 / static_cast<double>(run.ms) : 0.0, peak.constData(),
                run.code == 0 ? "" : "  (failed)");
    std::fflush(stdout);
}

Run plainSqlite(const QString& source, const QString& target) {
    BenchGenerator::CreateSqliteTable(target, QStringLiteral("bench"), 0);
    sqlite3 *from = nullptr, *to = nullptr;
    sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open_v2(target.toUtf8().constData(), &to, SQLITE_OPEN_READWRITE, nullptr);
    SqliteDb fromDb(from), toDb(to);
    QElapsedTimer timer;
    timer.start();
    SqliteStmt select = PrepareSqlite(from, QStringLiteral("SELECT * FROM bench ORDER BY ID"));
    SqliteStmt insert =
        PrepareSqlite(to, QStringLiteral("INSERT INTO bench VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    ExecSqlite(to, "BEGIN");
    for (qint64 i = 0; sqlite3_step(select.get()) == SQLITE_ROW; ++i) {
        for (int c = 0; c < 13; ++c)
            sqlite3_bind_value(insert.get(), c + 1, sqlite3_column_value(select.get(), c));
        sqlite3_step(insert.get());
        sqlite3_reset(insert.get());
        if (i % 10000 == 9999) {
            ExecSqlite(to, "COMMIT");
            ExecSqlite(to, "BEGIN");
        }
    }
    ExecSqlite(to, "COMMIT");
    Run run;
    run.ms = timer.elapsed();
    run.code = 0;
    return run;
}

const char* const PgTable =
    "CREATE TABLE bench (\"ID\" integer PRIMARY KEY, \"NAME\" varchar(40), \"CODE\" char(8),"
    " \"QTY\" integer, \"PRICE\" money, \"AMOUNT\" numeric(12,2), \"RATE\" double precision,"
    " \"DAY\" date, \"AT\" time, \"STAMP\" timestamp, \"FLAG\" boolean, \"NOTE\" text,"
    " \"DATA\" bytea)";

QStringList psqlArgs(const QString& database, const QString& sql) {
    return {QStringLiteral("-X"), QStringLiteral("-q"),
            QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
            QStringLiteral("-h"), env("ROWCART_PG_HOST"),
            QStringLiteral("-p"), env("ROWCART_PG_PORT"),
            QStringLiteral("-U"), env("ROWCART_PG_USER"),
            QStringLiteral("-d"), database,
            QStringLiteral("-c"), sql};
}

void psql(const QString& database, const QString& sql) {
    const Run run = runProcess(QStringLiteral("psql"), psqlArgs(database, sql));
    if (run.code != 0)
        std::fprintf(stderr, "psql failed: %s\n", qPrintable(sql));
}

}  // namespace

// Peak memory of `rowcart move` with --commit-every 10000 at each table size: it should not
// grow with the rows.
int memoryAtSizes(const QStringList& sizes) {
    const QString rowcart = QCoreApplication::applicationDirPath() + QStringLiteral("/../rowcart");
    for (const QString& size : sizes) {
        const qint64 rows = size.toLongLong();
        QTemporaryDir dir;
        BenchGenerator::CreateSqliteTable(dir.filePath(QStringLiteral("source.db")),
                                          QStringLiteral("bench"), rows);
        BenchGenerator::CreateSqliteTable(dir.filePath(QStringLiteral("target.db")),
                                          QStringLiteral("bench"), 0);
        QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
        aliases.open(QIODevice::WriteOnly);
        aliases.write(
            "[SRC]\nDRIVER=SQLITE\nPATH=source.db\n\n[DST]\nDRIVER=SQLITE\nPATH=target.db\n");
        aliases.close();
        const Run run = runProcess(
            rowcart,
            {QStringLiteral("move"), QStringLiteral("--typed"), QStringLiteral("--quiet"),
             QStringLiteral("--commit-every"), QStringLiteral("10000"), QStringLiteral("SRC:bench"),
             QStringLiteral("DST:bench")},
            aliases.fileName());
        report("rowcart move SQLite -> SQLite", rows, run);
    }
    return 0;
}

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--memory")
        return memoryAtSizes(QCoreApplication::arguments().mid(2));
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString rowcart = QCoreApplication::applicationDirPath() + QStringLiteral("/../rowcart");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.db"));
    const QString target = dir.filePath(QStringLiteral("target.db"));
    BenchGenerator::CreateSqliteTable(source, QStringLiteral("bench"), rows);
    BenchGenerator::CreateSqliteTable(target, QStringLiteral("bench"), 0);

    const bool pg = !env("ROWCART_PG_HOST").isEmpty();
    const QString database = QStringLiteral("rowcart_bench_cli");
    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write("[SRC]\nDRIVER=SQLITE\nPATH=source.db\n\n[DST]\nDRIVER=SQLITE\nPATH=target.db\n");
    if (pg) {
        aliases.write(QStringLiteral("\n[PG]\nDRIVER=POSTGRES\nSERVER NAME=%1\nPORT=%2\n"
                                     "DATABASE NAME=%3\nUSER NAME=%4\n")
                          .arg(env("ROWCART_PG_HOST"), env("ROWCART_PG_PORT"), database,
                               env("ROWCART_PG_USER"))
                          .toUtf8());
    }
    aliases.close();
    QFile password(dir.filePath(QStringLiteral("pw")));
    password.open(QIODevice::WriteOnly);
    password.write("bench\n");
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    std::printf("%lld rows of the generator's table, commits every 10,000 rows\n",
                static_cast<long long>(rows));
    // Typed, as a move between engines whose text types differ needs it.
    const QStringList move = {QStringLiteral("move"),    QStringLiteral("--typed"),
                              QStringLiteral("--quiet"), QStringLiteral("--commit-every"),
                              QStringLiteral("10000"),   QStringLiteral("--password-file"),
                              password.fileName()};
    report("rowcart move SQLite -> SQLite", rows,
           runProcess(rowcart,
                      move + QStringList{QStringLiteral("SRC:bench"), QStringLiteral("DST:bench")},
                      aliases.fileName()));
    report("prepared insert loop SQLite -> SQLite", rows,
           plainSqlite(source, dir.filePath(QStringLiteral("plain.db"))));
    if (!pg)
        return 0;

    psql(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS ") + database);
    psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + database);
    psql(database, QString::fromLatin1(PgTable));
    report("rowcart move SQLite -> PostgreSQL", rows,
           runProcess(rowcart,
                      // NOTE is CLOB here and text there, a memo and a string to the engine,
                      // which no move carries: it stays NULL.
                      move + QStringList{QStringLiteral("SRC:bench"), QStringLiteral("PG:bench"),
                                         QStringLiteral("--map"), QStringLiteral("NOTE=")},
                      aliases.fileName()));
    psql(database, QStringLiteral("TRUNCATE bench"));
    const QString pgloader = QStandardPaths::findExecutable(QStringLiteral("pgloader"));
    if (!pgloader.isEmpty()) {
        const QString url = QStringLiteral("postgresql://%1:bench@%2:%3/%4")
                                .arg(env("ROWCART_PG_USER"), env("ROWCART_PG_HOST"),
                                     env("ROWCART_PG_PORT"), database);
        report("pgloader SQLite -> PostgreSQL", rows,
               runProcess(pgloader, {QStringLiteral("--with"), QStringLiteral("data only"),
                                     QStringLiteral("--with"), QStringLiteral("batch rows = 10000"),
                                     QStringLiteral("--with"), QStringLiteral("quote identifiers"),
                                     source, url}));
    } else {
        // Without pgloader: the sqlite3 shell's CSV piped into COPY by psql, bytes as hex.
        QStringList columns;
        for (int c = 0; c < BenchGenerator::ColumnNames().size(); ++c) {
            const QString& name = BenchGenerator::ColumnNames()[c];
            columns.append(BenchGenerator::ColumnTypes()[c] == QLatin1String("BLOB")
                               ? QStringLiteral("CASE WHEN %1 IS NULL THEN NULL ELSE "
                                                "'\\x' || hex(%1) END")
                                     .arg(name)
                               : name);
        }
        const QString copy =
            QStringLiteral(
                "sqlite3 -csv %1 \"SELECT %6 FROM bench ORDER BY ID\" | psql -X -q "
                "-h %2 -p %3 -U %4 -d %5 -c 'COPY bench FROM STDIN (FORMAT csv)'")
                .arg(source, env("ROWCART_PG_HOST"), env("ROWCART_PG_PORT"), env("ROWCART_PG_USER"),
                     database, columns.join(QLatin1Char(',')));
        report("sqlite3 CSV | COPY SQLite -> PostgreSQL", rows,
               runProcess(QStringLiteral("sh"), {QStringLiteral("-c"), copy}));
    }
    psql(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS ") + database);
    return 0;
}
