// PostgreSQL read benchmark: windowed reading of large tables through the driver, the way the
// grids (by position) and the walks (by bookmark) read them. Needs a server, as
// pg_commit_bench does. Usage: pg_read_bench [rows]   (default: 1000000)
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/postgres/PgDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <random>

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

std::unique_ptr<DriverConnection> open(const QString& database) {
    ConnectRequest request;
    request.params = {{QStringLiteral("SERVER NAME"), env("ROWCART_PG_HOST")},
                      {QStringLiteral("PORT"), env("ROWCART_PG_PORT")},
                      {QStringLiteral("DATABASE NAME"), database}};
    request.userName = env("ROWCART_PG_USER");
    return OpenPostgresConnection(request);
}

void report(const char* what, qint64 count, double ms) {
    std::printf("  %-50s %8lld x %10.3f ms each  peak RSS %5.0f MiB\n", what,
                static_cast<long long>(count), count > 0 ? ms / static_cast<double>(count) : 0.0,
                BenchGenerator::PeakMemoryMiB());
    std::fflush(stdout);
}

void measure(DriverConnection& conn, const QString& table, qint64 rows) {
    std::printf("%s\n", table.toUtf8().constData());
    QElapsedTimer timer;
    timer.start();
    auto cursor = conn.openTable(table, true);
    report("open the table", 1, static_cast<double>(timer.nsecsElapsed()) / 1e6);

    timer.restart();
    const qint64 count = cursor->rowCount();
    report("rowCount", 1, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (count != rows)
        std::printf("  (counted %lld rows)\n", static_cast<long long>(count));

    for (const double at : {0.0, 0.5, 0.999}) {
        const qint64 offset = static_cast<qint64>(static_cast<double>(rows) * at);
        timer.restart();
        const auto window = cursor->fetchAt(offset, 128);
        char what[80];
        std::snprintf(what, sizeof what, "fetchAt(%lld, 128)", static_cast<long long>(offset));
        report(what, 1, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (window.empty())
            continue;
        timer.restart();
        const qint64 position = cursor->positionOf(window.back().key);
        std::snprintf(what, sizeof what, "positionOf (row %lld)", static_cast<long long>(position));
        report(what, 1, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        cursor->fetchFrom(window.back().key, false, 128);
        report("fetchFrom(key, 128) after it", 1, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    timer.restart();
    const int pages = 100;
    for (int page = 0; page < pages; ++page)
        cursor->fetchAt(rows / 2 + qint64(page) * 128, 128);
    report("fetchAt page after page from the middle (scroll)", pages,
           static_cast<double>(timer.nsecsElapsed()) / 1e6);
    timer.restart();
    const auto current = cursor->fetchAt(rows / 2 + qint64(pages) * 128, 128);
    if (!current.empty())
        cursor->positionOf(current[64].key);
    report("fetchAt, then positionOf a row of that window", 1,
           static_cast<double>(timer.nsecsElapsed()) / 1e6);

    std::mt19937_64 random(7);
    timer.restart();
    const int jumps = 20;
    for (int i = 0; i < jumps; ++i)
        cursor->fetchAt(static_cast<qint64>(random() % static_cast<quint64>(rows)), 128);
    report("fetchAt at random positions (grid jumps)", jumps,
           static_cast<double>(timer.nsecsElapsed()) / 1e6);

    timer.restart();
    QByteArray last;
    qint64 walked = 0;
    for (;;) {
        const auto window = cursor->fetchFrom(last, false, 500);
        if (window.empty())
            break;
        walked += static_cast<qint64>(window.size());
        last = window.back().key;
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("  %-50s %8lld rows %9.0f ms %10.0f rows/s\n", "walk every row by bookmarks",
                static_cast<long long>(walked), ms,
                ms > 0 ? static_cast<double>(walked) * 1000.0 / ms : 0.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    QCoreApplication app(argc, argv);
    if (env("ROWCART_PG_PORT").isEmpty()) {
        std::fprintf(stderr,
                     "No server: run `source tools/pgcluster.sh && pgcluster_start` first.\n");
        return 2;
    }
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString database =
        QStringLiteral("rowcart_readbench_%1").arg(QCoreApplication::applicationPid());
    try {
        open(QStringLiteral("postgres"))
            ->executeStatement(QStringLiteral("CREATE DATABASE ") + database, {});
        auto conn = open(database);
        const QString n = QString::number(rows);
        QElapsedTimer timer;
        timer.start();
        conn->executeStatement(
            QStringLiteral(
                "CREATE TABLE by_int (id integer PRIMARY KEY, name text, qty integer, amount "
                "numeric(12,2),"
                " stamp timestamp);"
                "INSERT INTO by_int SELECT g, 'name ' || (g::bigint * 7919 % %1), g % 1000, g / "
                "100.0,"
                " '2020-01-01'::timestamp + g * interval '1 minute' FROM generate_series(1, %1) g;"
                "CREATE TABLE by_text_pair (region text, code varchar(40), qty integer,"
                " PRIMARY KEY (region, code));"
                "INSERT INTO by_text_pair SELECT 'R' || (g % 97), md5(g::text), g FROM "
                "generate_series(1, %1) g;"
                "CREATE TABLE by_numeric (n numeric PRIMARY KEY, v text);"
                "INSERT INTO by_numeric SELECT (g - %1 / 2) / 7.0, 'v' FROM generate_series(1, %1) "
                "g;"
                "CREATE TABLE no_key (id integer, name text);"
                "INSERT INTO no_key SELECT g, 'name ' || g FROM generate_series(1, %1) g")
                .arg(n),
            {});
        // Index-only scans need the visibility map that VACUUM sets.
        conn->executeStatement(QStringLiteral("VACUUM ANALYZE"), {});
        std::printf("tables of %lld rows made in %lld ms\n", static_cast<long long>(rows),
                    static_cast<long long>(timer.elapsed()));
        for (const char* table : {"by_int", "by_text_pair", "by_numeric", "no_key"})
            measure(*conn, QString::fromLatin1(table), rows);
        conn.reset();
        open(QStringLiteral("postgres"))
            ->executeStatement(QStringLiteral("DROP DATABASE ") + database, {});
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
