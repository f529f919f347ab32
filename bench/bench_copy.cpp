// Copy benchmark: `rowcart copy SRC PG --create --commit-every 10000` of a SQLite database of five
// tables tied by foreign keys, beside pgloader doing the same job (tables, rows, indexes, foreign
// keys) into another database; then the same copy killed with SIGKILL about halfway and run
// again with --on-duplicate skip. Each tool runs as a process of its own; its peak memory is its
// maximum resident set.
// Usage: bench_copy [--rows N] [--precreate] [--keep]
//   --rows N      rows in all (default 2,000,000)
//   --precreate   the target tables are made by SQL first (keys only) and copy runs without
//                 --create
//   --keep        leaves the source file and the databases for a look afterwards
// Needs `source tools/pgcluster.sh && pgcluster_start` first, and the rowcart executable beside
// bench/. pgloader is installed with apt-get where it is missing and can be.
#include "bench/support/BenchIsolation.h"
#include "bench/support/ChildProcess.h"
#include "data/sqlite/SqliteHandles.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

struct Table {
    const char* name;
    const char* sqlite;  // its columns in the source
    const char* pg;      // the same for --precreate: keys only, as rows must not wait on others
    int columns;
    qint64 rows = 0;
};

// A lookup table, a parent, two children of it and a grandchild, in an order that creates the
// referenced tables first.
std::vector<Table> schema() {
    return {
        {"region",
         "id INTEGER PRIMARY KEY, code CHAR(4) NOT NULL, name VARCHAR(60) NOT NULL, "
         "tax_rate NUMERIC(5,3)",
         "id integer PRIMARY KEY, code char(4) NOT NULL, name varchar(60) NOT NULL, "
         "tax_rate numeric(5,3)",
         4},
        {"customer",
         "id INTEGER PRIMARY KEY, region_id INTEGER NOT NULL REFERENCES region(id), "
         "name VARCHAR(80) NOT NULL, email VARCHAR(120), credit_limit NUMERIC(12,2), score REAL, "
         "born DATE, created TIMESTAMP NOT NULL, photo BLOB",
         "id integer PRIMARY KEY, region_id integer NOT NULL, name varchar(80) NOT NULL, "
         "email varchar(120), credit_limit numeric(12,2), score double precision, born date, "
         "created timestamp NOT NULL, photo bytea",
         9},
        {"contact",
         "id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL REFERENCES customer(id), "
         "kind VARCHAR(10) NOT NULL, value VARCHAR(120), note TEXT, updated TIMESTAMP",
         "id integer PRIMARY KEY, customer_id integer NOT NULL, kind varchar(10) NOT NULL, "
         "value varchar(120), note text, updated timestamp",
         6},
        {"orders",
         "id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL REFERENCES customer(id), "
         "ordered DATE NOT NULL, shipped TIMESTAMP, status VARCHAR(12) NOT NULL, "
         "total NUMERIC(14,2), weight DOUBLE",
         "id integer PRIMARY KEY, customer_id integer NOT NULL, ordered date NOT NULL, "
         "shipped timestamp, status varchar(12) NOT NULL, total numeric(14,2), "
         "weight double precision",
         7},
        {"order_line",
         "id INTEGER PRIMARY KEY, order_id INTEGER NOT NULL REFERENCES orders(id), "
         "line_no INTEGER NOT NULL, product VARCHAR(40) NOT NULL, qty INTEGER NOT NULL, "
         "unit_price NUMERIC(10,2) NOT NULL, discount REAL, digest BLOB NOT NULL",
         "id integer PRIMARY KEY, order_id integer NOT NULL, line_no integer NOT NULL, "
         "product varchar(40) NOT NULL, qty integer NOT NULL, unit_price numeric(10,2) NOT NULL, "
         "discount double precision, digest bytea NOT NULL",
         8},
    };
}

// Shares of the rows: a small lookup table, then 10% parents, 15% and 20% children, and the
// rest grandchildren, so that a copy stopped halfway stops inside a table.
void share(std::vector<Table>& tables, qint64 total) {
    tables[0].rows = qBound(qint64(1), total / 10000, qint64(200));
    tables[1].rows = qMax<qint64>(1, total / 10);
    tables[2].rows = qMax<qint64>(1, total * 15 / 100);
    tables[3].rows = qMax<qint64>(1, total / 5);
    tables[4].rows =
        qMax<qint64>(1, total - tables[0].rows - tables[1].rows - tables[2].rows - tables[3].rows);
}

qint64 totalRows(const std::vector<Table>& tables) {
    qint64 total = 0;
    for (const Table& table : tables)
        total += table.rows;
    return total;
}

// Binds values of one row by column number; text is copied, as the buffers are reused.
class Binder {
public:
    explicit Binder(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    void integer(int c, qint64 v) { sqlite3_bind_int64(m_stmt, c, v); }
    void real(int c, double v) { sqlite3_bind_double(m_stmt, c, v); }
    void null(int c) { sqlite3_bind_null(m_stmt, c); }
    void text(int c, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(m_buffer, sizeof m_buffer, format, args);
        va_end(args);
        sqlite3_bind_text(m_stmt, c, m_buffer, qMin<int>(n, sizeof m_buffer - 1), SQLITE_TRANSIENT);
    }
    void blob(int c, quint64 h, int size) {
        for (int b = 0; b < size; ++b)
            m_bytes[b] = static_cast<char>((h >> (b % 56)) + static_cast<quint64>(b) * 31);
        sqlite3_bind_blob(m_stmt, c, m_bytes, size, SQLITE_TRANSIENT);
    }
    // A date of the 2000s and 2010s, and a time stamp with seconds.
    void date(int c, quint64 h) {
        text(c, "%04d-%02d-%02d", 2000 + static_cast<int>(h % 20),
             1 + static_cast<int>(h / 20 % 12), 1 + static_cast<int>(h / 240 % 28));
    }
    void stamp(int c, quint64 h) {
        text(c, "%04d-%02d-%02d %02d:%02d:%02d", 2015 + static_cast<int>(h % 10),
             1 + static_cast<int>(h / 10 % 12), 1 + static_cast<int>(h / 120 % 28),
             static_cast<int>(h / 3360 % 24), static_cast<int>(h / 7 % 60),
             static_cast<int>(h / 11 % 60));
    }

private:
    sqlite3_stmt* m_stmt;
    char m_buffer[256];
    char m_bytes[1024];
};

// Scattered but repeatable: the same row always gets the same values.
quint64 hashOf(qint64 i, quint64 salt) {
    quint64 h = (static_cast<quint64>(i) + salt) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

const char* const Kinds[] = {"email", "phone", "fax", "web", "postal"};
const char* const Statuses[] = {"new", "paid", "shipped", "delivered", "returned", "cancelled"};

void fillRow(const std::vector<Table>& tables, int table, qint64 id, Binder& b) {
    const quint64 h = hashOf(id, static_cast<quint64>(table) << 40);
    b.integer(1, id);
    switch (table) {
        case 0:
            b.text(2, "R%03lld", static_cast<long long>(id));
            b.text(3, "Region %lld", static_cast<long long>(id));
            if (h % 10 == 0)
                b.null(4);
            else
                b.real(4, static_cast<double>(h % 250) / 1000.0);
            break;
        case 1:
            b.integer(2, 1 + static_cast<qint64>(h % static_cast<quint64>(tables[0].rows)));
            b.text(3, h % 4 == 0 ? "Zoë O'Hara %u" : "Customer %u",
                   static_cast<unsigned>(h % 1000000));
            if (h % 9 == 0)
                b.null(4);
            else
                b.text(4, "user%u@example.org", static_cast<unsigned>(h % 10000000));
            b.real(5, static_cast<double>(h % 10000000) / 100.0);
            if (h % 6 == 0)
                b.null(6);
            else
                b.real(6, static_cast<double>(h % 100000) / 1000.0);
            if (h % 8 == 0)
                b.null(7);
            else
                b.date(7, h >> 8);
            b.stamp(8, h >> 16);
            if (h % 50 == 0)
                b.blob(9, h, 64 + static_cast<int>(h % 900));
            else
                b.null(9);
            break;
        case 2:
            b.integer(2, 1 + static_cast<qint64>(h % static_cast<quint64>(tables[1].rows)));
            b.text(3, "%s", Kinds[h % 5]);
            b.text(4, "+44 20 %04u %04u", static_cast<unsigned>(h % 10000),
                   static_cast<unsigned>(h / 10000 % 10000));
            if (h % 3 == 0)
                b.text(5, "Call after %u pm; ask for \"the office\"",
                       static_cast<unsigned>(h % 12));
            else
                b.null(5);
            if (h % 7 == 0)
                b.null(6);
            else
                b.stamp(6, h >> 12);
            break;
        case 3:
            b.integer(2, 1 + static_cast<qint64>(h % static_cast<quint64>(tables[1].rows)));
            b.date(3, h >> 8);
            if (h % 4 == 0)
                b.null(4);
            else
                b.stamp(4, h >> 20);
            b.text(5, "%s", Statuses[h % 6]);
            b.real(6, static_cast<double>(h % 100000000) / 100.0);
            if (h % 11 == 0)
                b.null(7);
            else
                b.real(7, static_cast<double>(h % 100000) / 37.0);
            break;
        default:
            b.integer(2, 1 + static_cast<qint64>(h % static_cast<quint64>(tables[3].rows)));
            b.integer(3, 1 + static_cast<qint64>(h % 20));
            b.text(4, "Part %05u-%c", static_cast<unsigned>(h % 50000),
                   static_cast<char>('A' + h % 26));
            b.integer(5, 1 + static_cast<qint64>(h % 500));
            b.real(6, static_cast<double>(h % 1000000) / 100.0);
            if (h % 5 == 0)
                b.real(7, static_cast<double>(h % 30) / 100.0);
            else
                b.null(7);
            b.blob(8, h, 16);
    }
}

// The source in one transaction of prepared inserts.
void generate(const QString& path, const std::vector<Table>& tables) {
    QFile::remove(path);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                    nullptr);
    SqliteDb db(raw);
    ExecSqlite(raw, "PRAGMA journal_mode = OFF");
    ExecSqlite(raw, "PRAGMA synchronous = OFF");
    ExecSqlite(raw, "BEGIN");
    for (int t = 0; t < static_cast<int>(tables.size()); ++t) {
        const Table& table = tables[t];
        ExecSqlite(raw, QStringLiteral("CREATE TABLE %1 (%2)")
                            .arg(QLatin1String(table.name), QLatin1String(table.sqlite))
                            .toUtf8()
                            .constData());
        QStringList marks;
        for (int c = 0; c < table.columns; ++c)
            marks.append(QStringLiteral("?"));
        SqliteStmt insert =
            PrepareSqlite(raw, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                   .arg(QLatin1String(table.name), marks.join(QLatin1Char(','))));
        Binder binder(insert.get());
        for (qint64 id = 1; id <= table.rows; ++id) {
            fillRow(tables, t, id, binder);
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                ThrowSqliteError(raw, sqlite3_errcode(raw));
            sqlite3_reset(insert.get());
        }
    }
    ExecSqlite(raw, "COMMIT");
}

// A connection for the benchmark's own statements; every failure ends the run.
class Pg {
public:
    explicit Pg(const QString& database) {
        const QByteArray host = env("ROWCART_PG_HOST").toUtf8(),
                         port = env("ROWCART_PG_PORT").toUtf8(),
                         user = env("ROWCART_PG_USER").toUtf8(), db = database.toUtf8();
        const char* keys[] = {"host", "port", "user", "dbname", nullptr};
        const char* values[] = {host.constData(), port.constData(), user.constData(),
                                db.constData(), nullptr};
        m_conn = PQconnectdbParams(keys, values, 0);
        if (PQstatus(m_conn) != CONNECTION_OK) {
            std::fprintf(stderr, "%s", PQerrorMessage(m_conn));
            std::exit(1);
        }
        // DROP DATABASE IF EXISTS says what it skipped, which is no news here.
        PQsetNoticeProcessor(
            m_conn, [](void*, const char*) {}, nullptr);
    }
    ~Pg() { PQfinish(m_conn); }
    Pg(const Pg&) = delete;
    Pg& operator=(const Pg&) = delete;

    void exec(const QString& sql) {
        PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "%s: %s", qPrintable(sql), PQerrorMessage(m_conn));
            std::exit(1);
        }
        PQclear(r);
    }
    // The first value of the first row, empty where there is none.
    QString value(const QString& sql) {
        PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
        const QString first = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0
                                  ? QString::fromUtf8(PQgetvalue(r, 0, 0))
                                  : QString();
        PQclear(r);
        return first;
    }
    // The rows of `table`; -1 for a table that is not there.
    qint64 count(const QString& table) {
        const QString sql =
            QStringLiteral("SELECT CASE WHEN to_regclass('%1') IS NULL THEN -1 END").arg(table);
        PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
        const bool missing = PQresultStatus(r) == PGRES_TUPLES_OK && !PQgetisnull(r, 0, 0);
        PQclear(r);
        if (missing)
            return -1;
        r = PQexec(m_conn,
                   QStringLiteral("SELECT count(*) FROM %1").arg(table).toUtf8().constData());
        const qint64 n = PQresultStatus(r) == PGRES_TUPLES_OK
                             ? QByteArray(PQgetvalue(r, 0, 0)).toLongLong()
                             : -1;
        PQclear(r);
        return n;
    }

private:
    PGconn* m_conn;
};

// Rows per table in `database`, and whether each is the source's count.
bool sameCounts(const QString& database, const std::vector<Table>& tables, qint64* committed) {
    Pg pg(database);
    bool same = true;
    qint64 sum = 0;
    QStringList wrong;
    for (const Table& table : tables) {
        const qint64 n = pg.count(QLatin1String(table.name));
        sum += qMax<qint64>(0, n);
        if (n != table.rows) {
            same = false;
            wrong.append(QStringLiteral("%1 %2 of %3")
                             .arg(QLatin1String(table.name))
                             .arg(n < 0 ? QStringLiteral("missing") : QString::number(n))
                             .arg(table.rows));
        }
    }
    if (committed)
        *committed = sum;
    else if (!same)
        std::printf("  %s does not hold the source's rows: %s\n", qPrintable(database),
                    qPrintable(wrong.join(QStringLiteral(", "))));
    return same;
}

// The keys a tool left in `database`, to be told from the other tool's and the resumed run's.
QString keysIn(const QString& database) {
    return Pg(database).value(QStringLiteral(
        "SELECT count(*) FILTER (WHERE contype = 'p') || ' primary keys, ' ||"
        " count(*) FILTER (WHERE contype = 'u') || ' unique, ' ||"
        " count(*) FILTER (WHERE contype = 'f') || ' foreign keys, ' ||"
        " (SELECT count(*) FROM pg_indexes WHERE schemaname = 'public') || ' indexes'"
        " FROM pg_constraint c JOIN pg_namespace n ON n.oid = c.connamespace"
        " WHERE n.nspname = 'public'"));
}

void freshDatabase(const QString& database) {
    Pg admin(QStringLiteral("postgres"));
    admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
    admin.exec(QStringLiteral("CREATE DATABASE %1").arg(database));
}

void precreate(const QString& database, const std::vector<Table>& tables) {
    Pg pg(database);
    for (const Table& table : tables)
        pg.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                    .arg(QLatin1String(table.name), QLatin1String(table.pg)));
}

// Each timed run starts without the previous one's dirty pages to write.
void checkpoint() {
    Pg(QStringLiteral("postgres")).exec(QStringLiteral("CHECKPOINT"));
}

void printLog(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = log.readAll().split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    // pgloader writes much; its summary and errors are at the end.
    const int from = qMax(0, static_cast<int>(lines.size()) - 25);
    for (int i = from; i < lines.size(); ++i)
        std::printf("    | %s\n", lines[i].constData());
}

double rate(qint64 rows, qint64 ms) {
    return ms > 0 ? static_cast<double>(rows) * 1000.0 / static_cast<double>(ms) : 0.0;
}

void report(const char* what, qint64 rows, const ChildRun& run) {
    std::printf("%-32s %8.2f s %10.0f rows/s %8.1f MiB peak%s\n", what,
                static_cast<double>(run.ms) / 1000.0, rate(rows, run.ms), run.peakMiB,
                run.code == 0 ? "" : "  (failed)");
    std::fflush(stdout);
}

// pgloader from Debian where it is missing; empty when it cannot be had.
QString findPgloader() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("pgloader"));
    if (!found.isEmpty() || ::geteuid() != 0)
        return found;
    std::printf("pgloader is missing: installing it with apt-get\n");
    std::fflush(stdout);
    qputenv("DEBIAN_FRONTEND", "noninteractive");
    const QStringList install = {QStringLiteral("install"), QStringLiteral("-y"),
                                 QStringLiteral("-q"), QStringLiteral("--no-install-recommends"),
                                 QStringLiteral("pgloader")};
    if (RunChild(QStringLiteral("apt-get"), install).code != 0) {
        // The package lists may be missing or old.
        RunChild(QStringLiteral("apt-get"), {QStringLiteral("update"), QStringLiteral("-q")});
        RunChild(QStringLiteral("apt-get"), install);
    }
    return QStandardPaths::findExecutable(QStringLiteral("pgloader"));
}

const char* verdict(bool met) {
    return met ? "met" : "NOT met";
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    QCoreApplication app(argc, argv);
    qint64 wanted = 2000000;
    bool precreated = false, keep = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size()) {
            wanted = args[++i].toLongLong();
        } else if (args[i] == QLatin1String("--precreate")) {
            precreated = true;
        } else if (args[i] == QLatin1String("--keep")) {
            keep = true;
        } else {
            std::fprintf(stderr, "Usage: bench_copy [--rows N] [--precreate] [--keep]\n");
            return 2;
        }
    }
    if (env("ROWCART_PG_PORT").isEmpty()) {
        std::fprintf(stderr, "No server: `source tools/pgcluster.sh && pgcluster_start` first.\n");
        return 2;
    }
    const QString rowcart = QCoreApplication::applicationDirPath() + QStringLiteral("/../rowcart");
    if (wanted < 10) {
        std::fprintf(stderr, "--rows takes 10 or more\n");
        return 2;
    }
    std::vector<Table> tables = schema();
    share(tables, wanted);
    const qint64 rows = totalRows(tables);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("src.db"));
    QElapsedTimer timer;
    timer.start();
    generate(source, tables);
    std::printf("Source: %s rows in %.1f s, %.0f MiB (", qPrintable(QString::number(rows)),
                static_cast<double>(timer.elapsed()) / 1000.0,
                static_cast<double>(QFileInfo(source).size()) / 1048576.0);
    for (const Table& table : tables)
        std::printf("%s%s %lld", &table == &tables.front() ? "" : ", ", table.name,
                    static_cast<long long>(table.rows));
    std::printf(")\n");

    const QString prefix = QStringLiteral("rowcart_bench_copy_%1_").arg(app.applicationPid());
    const QString rowcartDb = prefix + QStringLiteral("a"),
                  pgloaderDb = prefix + QStringLiteral("b"),
                  resumeDb = prefix + QStringLiteral("c");
    for (const QString& database : {rowcartDb, pgloaderDb, resumeDb})
        freshDatabase(database);

    // The alias file the isolation named, so the user's is never read.
    QFile aliases(env("ROWCART_ALIASES"));
    QDir().mkpath(QFileInfo(aliases).absolutePath());
    aliases.open(QIODevice::WriteOnly);
    aliases.write(QStringLiteral("[SRC]\nDRIVER=SQLITE\nPATH=%1\n").arg(source).toUtf8());
    for (const auto& [alias, database] : {std::pair{QStringLiteral("PGA"), rowcartDb},
                                          std::pair{QStringLiteral("PGC"), resumeDb}}) {
        aliases.write(QStringLiteral("\n[%1]\nDRIVER=POSTGRES\nSERVER NAME=%2\nPORT=%3\n"
                                     "DATABASE NAME=%4\nUSER NAME=%5\n")
                          .arg(alias, env("ROWCART_PG_HOST"), env("ROWCART_PG_PORT"), database,
                               env("ROWCART_PG_USER"))
                          .toUtf8());
    }
    aliases.close();
    // The cluster trusts its clients; the file only spares a prompt.
    QFile password(dir.filePath(QStringLiteral("pw")));
    password.open(QIODevice::WriteOnly);
    password.write("bench\n");
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    QStringList copy = {QStringLiteral("copy"), QStringLiteral("SRC"), QStringLiteral("PGA")};
    if (precreated) {
        for (const QString& database : {rowcartDb, resumeDb})
            precreate(database, tables);
    } else {
        copy << QStringLiteral("--create");
    }
    copy << QStringLiteral("--commit-every") << QStringLiteral("10000")
         << QStringLiteral("--password-file") << password.fileName();
    std::printf("rowcart %s\n\n", qPrintable(copy.join(QLatin1Char(' '))));
    std::fflush(stdout);

    const QString rowcartLog = dir.filePath(QStringLiteral("rowcart.log"));
    checkpoint();
    const ChildRun ours = RunChild(rowcart, copy, QString(), rowcartLog);
    report("rowcart copy", rows, ours);
    printLog(rowcartLog);
    const bool oursComplete = ours.code == 0 && sameCounts(rowcartDb, tables, nullptr);
    const QString ourKeys = keysIn(rowcartDb);
    std::printf("  keys: %s\n", qPrintable(ourKeys));

    ChildRun theirs;
    bool theirsComplete = false;
    const QString pgloader = findPgloader();
    if (pgloader.isEmpty()) {
        std::printf(
            "pgloader could not be installed (apt-get install -y --no-install-recommends "
            "pgloader as root): its half is skipped\n");
    } else {
        const QString url = QStringLiteral("postgresql://%1@%2:%3/%4")
                                .arg(env("ROWCART_PG_USER"), env("ROWCART_PG_HOST"),
                                     env("ROWCART_PG_PORT"), pgloaderDb);
        const QString pgloaderLog = dir.filePath(QStringLiteral("pgloader.log"));
        checkpoint();
        // Its own files go to the temporary folder, not /tmp/pgloader.
        theirs = RunChild(pgloader,
                          {QStringLiteral("--root-dir"), dir.filePath(QStringLiteral("pgloader")),
                           QStringLiteral("sqlite://") + source, url},
                          QString(), pgloaderLog);
        report("pgloader", rows, theirs);
        if (theirs.code != 0)
            printLog(pgloaderLog);
        theirsComplete = theirs.code == 0 && sameCounts(pgloaderDb, tables, nullptr);
        std::printf("  keys: %s\n", qPrintable(keysIn(pgloaderDb)));
    }

    // The resumed copy: killed at half the uninterrupted time, then run again skipping the rows
    // that are there.
    QStringList resume = copy;
    resume[2] = QStringLiteral("PGC");
    const QString killedLog = dir.filePath(QStringLiteral("killed.log"));
    const QString resumedLog = dir.filePath(QStringLiteral("resumed.log"));
    checkpoint();
    const ChildRun killed = RunChildKilledAfter(rowcart, resume, ours.ms / 2, killedLog);
    qint64 committedAtKill = 0;
    sameCounts(resumeDb, tables, &committedAtKill);
    resume << QStringLiteral("--on-duplicate") << QStringLiteral("skip");
    const ChildRun resumed = RunChild(rowcart, resume, QString(), resumedLog);
    std::printf("%-32s %8.2f s, %s of %s rows committed%s\n", "rowcart copy killed",
                static_cast<double>(killed.ms) / 1000.0,
                qPrintable(QString::number(committedAtKill)), qPrintable(QString::number(rows)),
                killed.code == -1 ? "" : "  (ended before the kill)");
    report("rowcart copy --on-duplicate skip", rows - committedAtKill, resumed);
    printLog(resumedLog);
    bool resumeComplete = resumed.code == 0 && sameCounts(resumeDb, tables, nullptr);
    const QString resumedKeys = keysIn(resumeDb);
    std::printf("  keys: %s\n", qPrintable(resumedKeys));
    if (resumedKeys != ourKeys) {
        std::printf("  the resumed copy's keys are not the uninterrupted copy's\n");
        resumeComplete = false;
    }

    // The table of figures and the ratios against their targets.
    std::printf("\n%-22s %9s %12s %10s %s\n", "tool", "seconds", "rows/s", "peak MiB", "target");
    const auto line = [rows](const char* tool, const ChildRun& run, bool complete) {
        std::printf("%-22s %9.2f %12.0f %10.1f %s\n", tool, static_cast<double>(run.ms) / 1000.0,
                    rate(rows, run.ms), run.peakMiB,
                    complete ? "all rows" : "INCOMPLETE or failed");
    };
    line("rowcart copy", ours, oursComplete);
    if (!pgloader.isEmpty())
        line("pgloader", theirs, theirsComplete);
    const qint64 resumeMs = killed.ms + resumed.ms;
    std::printf("%-22s %9.2f %12.0f %10.1f %s\n", "rowcart killed+resumed",
                static_cast<double>(resumeMs) / 1000.0, rate(rows, resumeMs), resumed.peakMiB,
                resumeComplete ? "all rows" : "INCOMPLETE or failed");
    std::printf("\n");
    if (!pgloader.isEmpty() && theirs.ms > 0 && ours.ms > 0) {
        const double speed = rate(rows, ours.ms) / rate(rows, theirs.ms);
        std::printf("rowcart rows/s / pgloader rows/s   %6.3f  (target >= 1.5: %s)\n", speed,
                    verdict(speed >= 1.5));
        if (theirs.peakMiB > 0) {
            const double memory = ours.peakMiB / theirs.peakMiB;
            std::printf("rowcart memory / pgloader memory   %6.3f  (target <= 0.25: %s)\n", memory,
                        verdict(memory <= 0.25));
        }
    }
    if (ours.ms > 0) {
        const double again = static_cast<double>(resumeMs) / static_cast<double>(ours.ms);
        std::printf("resume total / uninterrupted       %6.3f  (target <= 1.1: %s)\n", again,
                    verdict(again <= 1.1 && resumeComplete));
    }
    std::fflush(stdout);

    if (keep) {
        dir.setAutoRemove(false);
        std::printf("\nKept: %s and the databases %s, %s, %s\n", qPrintable(source),
                    qPrintable(rowcartDb), qPrintable(pgloaderDb), qPrintable(resumeDb));
    } else {
        Pg admin(QStringLiteral("postgres"));
        for (const QString& database : {rowcartDb, pgloaderDb, resumeDb})
            admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
    }
    return oursComplete && resumeComplete ? 0 : 1;
}
