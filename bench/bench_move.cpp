// Data move benchmark: "Data Move !" driven through the real main window offscreen (mapping
// dialog answered OK) over rows of the generator's table, beside the plainest fast copy with
// the same libraries: a prepared-insert loop for SQLite, COPY for PostgreSQL.
// Usage: bench_move                        every case below, each in a process of its own
//        bench_move TARGET ROWS MODE SELECTION
//          TARGET sqlite|pg   MODE auto (commit every 1,000 rows) | commit (one CommitUpdate)
//          SELECTION all|sparse (every 10th row)
// PostgreSQL cases need `source tools/pgcluster.sh && pgcluster_start` first.
#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "app/uMain.h"
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "data/sqlite/SqliteHandles.h"
#include "data/sqlite/SqliteTypes.h"
#include "grids/RecordGrid.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/uSetup.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

// OK to the mapping dialog; any question stops the run, and is printed.
class BenchPrompts : public UserPrompts {
public:
    Button message(const QString& text, const QString& caption, Buttons buttons, Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return (buttons & No) ? No : Ok;
    }
    std::optional<Login> login(const QString&, const QString&) override { return std::nullopt; }
    bool tablePassword(TSession&) override { return false; }
    std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
    int execDialog(QObject&) override { return 1; }
};

// Processor time of this process: unlike the clock, it leaves out waits on the disk and time the
// machine gave to others.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double rate(qint64 rows, qint64 ms) {
    return ms > 0 ? static_cast<double>(rows) * 1000.0 / static_cast<double>(ms) : 0.0;
}

const char* const PgTable =
    "CREATE TABLE bench (\"ID\" integer PRIMARY KEY, \"NAME\" varchar(40), \"CODE\" char(8),"
    " \"QTY\" integer, \"PRICE\" money, \"AMOUNT\" numeric(12,2), \"RATE\" double precision,"
    " \"DAY\" date, \"AT\" time, \"STAMP\" timestamp, \"FLAG\" boolean, \"NOTE\" text,"
    " \"DATA\" bytea)";

bool keep(qint64 index, bool sparse) {
    return !sparse || index % 10 == 0;
}

// The plain SQLite copy: a prepared select over the source, prepared inserts in one transaction.
qint64 plainSqlite(const QString& source, const QString& target, bool sparse) {
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
        if (!keep(i, sparse))
            continue;
        for (int c = 0; c < 13; ++c)
            sqlite3_bind_value(insert.get(), c + 1, sqlite3_column_value(select.get(), c));
        sqlite3_step(insert.get());
        sqlite3_reset(insert.get());
    }
    ExecSqlite(to, "COMMIT");
    return timer.elapsed();
}

PGconn* pgConnect(const QString& database) {
    const QByteArray host = env("ROWCART_PG_HOST").toUtf8(), port = env("ROWCART_PG_PORT").toUtf8(),
                     user = env("ROWCART_PG_USER").toUtf8(), db = database.toUtf8();
    const char* keys[] = {"host", "port", "user", "dbname", nullptr};
    const char* values[] = {host.constData(), port.constData(), user.constData(), db.constData(),
                            nullptr};
    PGconn* conn = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
        std::exit(1);
    }
    return conn;
}

void pgExec(PGconn* conn, const QByteArray& sql) {
    PGresult* r = PQexec(conn, sql.constData());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s: %s", sql.constData(), PQerrorMessage(conn));
        std::exit(1);
    }
    PQclear(r);
}

void appendCopyText(QByteArray& out, sqlite3_stmt* row) {
    static const char* const Kinds = "iTTiMnfdtsbTB";
    for (int c = 0; c < 13; ++c) {
        if (c > 0)
            out.append('\t');
        if (sqlite3_column_type(row, c) == SQLITE_NULL) {
            out.append("\\N");
            continue;
        }
        const char kind = Kinds[c];
        if (kind == 'B') {
            const auto* bytes = static_cast<const uchar*>(sqlite3_column_blob(row, c));
            const int size = sqlite3_column_bytes(row, c);
            out.append("\\\\x");
            out.append(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), size).toHex());
            continue;
        }
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
        if (kind == 'b') {
            out.append(sqlite3_column_int(row, c) ? "t" : "f");
            continue;
        }
        for (const char* p = text; *p; ++p) {
            switch (*p) {
                case '\\':
                    out.append("\\\\");
                    break;
                case '\t':
                    out.append("\\t");
                    break;
                case '\n':
                    out.append("\\n");
                    break;
                case '\r':
                    out.append("\\r");
                    break;
                default:
                    out.append(*p);
            }
        }
    }
    out.append('\n');
}

// The plain PostgreSQL copy: the source read with a prepared select, sent by COPY.
qint64 plainCopy(const QString& source, const QString& database, bool sparse) {
    PGconn* conn = pgConnect(database);
    pgExec(conn, "TRUNCATE bench");
    sqlite3* from = nullptr;
    sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    SqliteDb fromDb(from);
    QElapsedTimer timer;
    timer.start();
    SqliteStmt select = PrepareSqlite(from, QStringLiteral("SELECT * FROM bench ORDER BY ID"));
    pgExec(conn, "BEGIN");
    PGresult* r = PQexec(conn, "COPY bench FROM STDIN");
    PQclear(r);
    QByteArray chunk;
    for (qint64 i = 0; sqlite3_step(select.get()) == SQLITE_ROW; ++i) {
        if (!keep(i, sparse))
            continue;
        appendCopyText(chunk, select.get());
        if (chunk.size() > (1 << 19)) {
            PQputCopyData(conn, chunk.constData(), static_cast<int>(chunk.size()));
            chunk.clear();
        }
    }
    PQputCopyData(conn, chunk.constData(), static_cast<int>(chunk.size()));
    PQputCopyEnd(conn, nullptr);
    while (PGresult* end = PQgetResult(conn)) {
        if (PQresultStatus(end) != PGRES_COMMAND_OK)
            std::fprintf(stderr, "COPY: %s", PQerrorMessage(conn));
        PQclear(end);
    }
    pgExec(conn, "COMMIT");
    const qint64 ms = timer.elapsed();
    PQfinish(conn);
    return ms;
}

void setOptions(TfMain& window, bool autoCommit) {
    TfSetup* setup = window.fSetup();
    // Values by type: a memo then reaches PostgreSQL's text, which is no memo type.
    setup->findChild<QCheckBox*>(QStringLiteral("cbNoComp"))->setChecked(true);
    setup->findChild<QCheckBox*>(QStringLiteral("cbAutoCommit"))->setChecked(autoCommit);
    setup->findChild<IntegerSpinEdit*>(QStringLiteral("eAutoCommit"))->setValue(1000);
}

int runCase(const QString& targetKind, qint64 rows, bool autoCommit, bool sparse) {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("src.db"));
    const QString target = dir.filePath(QStringLiteral("dst.db"));
    BenchGenerator::CreateSqliteTable(source, QStringLiteral("bench"), rows);
    BenchGenerator::CreateSqliteTable(target, QStringLiteral("bench"), 0);
    const bool pg = targetKind == QLatin1String("pg");
    QString database;
    QString aliases = QStringLiteral(
        "[SRC]\nDRIVER=SQLITE\nPATH=src.db\n"
        "[DST]\nDRIVER=SQLITE\nPATH=dst.db\n");
    if (pg) {
        if (env("ROWCART_PG_PORT").isEmpty()) {
            std::fprintf(stderr, "No server: `source tools/pgcluster.sh && pgcluster_start`.\n");
            return 2;
        }
        database = QStringLiteral("rowcart_move_%1").arg(QCoreApplication::applicationPid());
        PGconn* admin = pgConnect(QStringLiteral("postgres"));
        pgExec(admin, "CREATE DATABASE " + database.toUtf8());
        PGconn* conn = pgConnect(database);
        pgExec(conn, PgTable);
        PQfinish(conn);
        PQfinish(admin);
        aliases += QStringLiteral(
                       "[PGDST]\nDRIVER=POSTGRES\nSERVER NAME=%1\nPORT=%2\n"
                       "DATABASE NAME=%3\nOPTIONS=-c datestyle=ISO,DMY\n")
                       .arg(env("ROWCART_PG_HOST"), env("ROWCART_PG_PORT"), database);
        qputenv("PGUSER", env("ROWCART_PG_USER").toUtf8());
    }
    QFile file(dir.filePath(QStringLiteral("aliases.conf")));
    file.open(QIODevice::WriteOnly);
    file.write(aliases.toUtf8());
    file.close();
    qputenv("ROWCART_ALIASES", file.fileName().toUtf8());
    TSession::ReloadAliases();
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());

    BenchPrompts prompts;
    SetPrompts(&prompts);
    qint64 moveMs = 0, commitMs = 0, moved = 0;
    double selectedMiB = 0, runCpuMs = 0;
    {
        TfMain window;
        window.show();
        const MainLayout& c = window.controls();
        MainActions& a = window.actionList();
        c.eFromAlias->setEditText(QStringLiteral("SRC"));
        a.aFromConnect->trigger();
        c.eFromTable->setEditText(QStringLiteral("bench"));
        a.aFromReopen->trigger();
        c.eToAlias->setEditText(pg ? QStringLiteral("PGDST") : QStringLiteral("DST"));
        a.aToConnect->trigger();
        c.eToTable->setEditText(QStringLiteral("bench"));
        a.aToReopen->trigger();
        if (!window.tFrom().Active() || !window.tTo().Active())
            return 1;
        RowSelection& selection = c.dbgFrom->selection();
        TTable& from = window.tFrom();
        qint64 index = 0;
        from.SuspendControls();
        for (from.MoveFirst(); !from.AtEnd(); from.MoveNext(), ++index) {
            if (keep(index, sparse))
                selection.setSelected(from.CurrentBookmark(), true);
        }
        from.ResumeControls();
        moved = selection.Count();
        setOptions(window, autoCommit);
        // The selection is the user's before the run; the run's own memory is what it adds.
        selectedMiB = BenchGenerator::CurrentMemoryMiB();
        BenchGenerator::RestartPeakMemory();
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuMs();
        a.aDataLoad->trigger();
        moveMs = timer.elapsed();
        timer.restart();
        a.aCommit->trigger();
        commitMs = timer.elapsed();
        runCpuMs = cpuMs() - cpuStart;
        window.tTo().CloseTable();
    }
    SetPrompts(nullptr);
    const qint64 totalMs = moveMs + commitMs;
    const double peak = BenchGenerator::PeakMemoryMiB();
    const double plainCpuStart = cpuMs();
    const qint64 plainMs =
        pg ? plainCopy(source, database, sparse)
           : plainSqlite(source, dir.filePath(QStringLiteral("plain.db")), sparse);
    const double plainCpuMs = cpuMs() - plainCpuStart;
    if (pg) {
        PGconn* admin = pgConnect(QStringLiteral("postgres"));
        pgExec(admin, "DROP DATABASE " + database.toUtf8() + " WITH (FORCE)");
        PQfinish(admin);
    }
    std::printf(
        "%-6s %8lld rows %-6s %-6s move %7lld ms + commit %6lld ms = %9.0f rows/s | "
        "%s %9.0f rows/s | ratio %.2f | peak %5.0f MiB (%5.0f MiB with the rows selected)\n",
        qPrintable(targetKind), static_cast<long long>(moved), autoCommit ? "auto" : "commit",
        sparse ? "sparse" : "all", static_cast<long long>(moveMs), static_cast<long long>(commitMs),
        rate(moved, totalMs), pg ? "COPY " : "loop ", rate(moved, plainMs),
        rate(moved, totalMs) / rate(moved, plainMs), peak, selectedMiB);
    // COPY's work is the server's, so only the SQLite loop's processor time compares.
    if (!pg && runCpuMs > 0)
        std::printf("       processor time: run %.0f ms, loop %.0f ms, ratio %.2f\n", runCpuMs,
                    plainCpuMs, plainCpuMs / runCpuMs);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 4) {
        return runCase(args[0], args[1].toLongLong(), args[2] == QLatin1String("auto"),
                       args[3] == QLatin1String("sparse"));
    }
    QStringList targets = {QStringLiteral("sqlite")};
    if (!env("ROWCART_PG_PORT").isEmpty())
        targets.append(QStringLiteral("pg"));
    for (const QString& target : targets) {
        for (const char* rows : {"100000", "1000000"}) {
            for (const char* mode : {"auto", "commit"}) {
                for (const char* selection : {"all", "sparse"}) {
                    QProcess child;
                    child.setProcessChannelMode(QProcess::ForwardedChannels);
                    child.start(app.applicationFilePath(),
                                {target, QLatin1String(rows), QLatin1String(mode),
                                 QLatin1String(selection)});
                    child.waitForFinished(-1);
                }
            }
        }
    }
    return 0;
}
