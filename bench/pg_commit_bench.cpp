// PostgreSQL commit benchmark: a pending store of generated inserts committed through the
// driver, beside COPY of the same rows and a prepared-statement loop in one transaction, in one
// run. Needs a server: `source tools/pgcluster.sh && pgcluster_start` sets ROWCART_PG_HOST,
// ROWCART_PG_PORT and ROWCART_PG_USER.
// Usage: pg_commit_bench [rows ...]   (default: 100000 1000000)
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/postgres/PgDriver.h"
#include "data/postgres/PgParams.h"
#include "data/postgres/PgTypeMap.h"
#include "data/postgres/PgValueText.h"

#include <libpq-fe.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The generator's columns as PostgreSQL declares and the driver writes them.
const char* const TableDefinition =
    "CREATE TABLE bench (id integer PRIMARY KEY, name varchar(40), code char(8), qty integer,"
    " price money, amount numeric(12,2), rate double precision, day date, at time,"
    " stamp timestamp, flag boolean, note text, data bytea)";
const PgKind Kinds[] = {PgKind::Integer, PgKind::Text,      PgKind::FixedChar, PgKind::Integer,
                        PgKind::Money,   PgKind::Numeric,   PgKind::Float,     PgKind::Date,
                        PgKind::Time,    PgKind::Timestamp, PgKind::Boolean,   PgKind::Text,
                        PgKind::Bytes};
constexpr int ColumnCount = 13;

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

double report(const char* what, qint64 rows, qint64 ms) {
    const double rate = ms > 0 ? static_cast<double>(rows) * 1000.0 / static_cast<double>(ms) : 0.0;
    std::printf("%-44s %9lld rows %8lld ms %10.0f rows/s  peak RSS %5.0f MiB\n", what,
                static_cast<long long>(rows), static_cast<long long>(ms), rate,
                BenchGenerator::PeakMemoryMiB());
    std::fflush(stdout);
    return rate;
}

struct PgConnDeleter {
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
using Conn = std::unique_ptr<PGconn, PgConnDeleter>;

void check(PGconn* conn, PGresult* result, const char* what) {
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN &&
        status != PGRES_PIPELINE_SYNC) {
        std::fprintf(stderr, "%s failed: %s", what, PQerrorMessage(conn));
        std::exit(1);
    }
}

void exec(PGconn* conn, const char* sql) {
    check(conn, PQexec(conn, sql), sql);
}

Conn connectDirect(const QString& database) {
    const QByteArray host = env("ROWCART_PG_HOST").toUtf8(), port = env("ROWCART_PG_PORT").toUtf8(),
                     user = env("ROWCART_PG_USER").toUtf8(), db = database.toUtf8();
    const char* keys[] = {"host", "port", "user", "dbname", "options", nullptr};
    const char* values[] = {host.constData(),
                            port.constData(),
                            user.constData(),
                            db.constData(),
                            "-c datestyle=ISO,DMY -c extra_float_digits=3 -c lc_monetary=C",
                            nullptr};
    Conn conn(PQconnectdbParams(keys, values, 0));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn.get()));
        std::exit(1);
    }
    return conn;
}

void fresh(PGconn* conn) {
    exec(conn, "TRUNCATE bench");
    exec(conn, "CHECKPOINT");
}

void verify(PGconn* conn, qint64 rows) {
    PGresult* r = PQexec(conn, "SELECT count(*) FROM bench");
    const qint64 n = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
    PQclear(r);
    if (n != rows) {
        std::fprintf(stderr, "expected %lld rows, found %lld\n", static_cast<long long>(rows),
                     static_cast<long long>(n));
        std::exit(1);
    }
}

QByteArray copyText(const std::vector<Row>& rows) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(rows.size()) * 160);
    for (const Row& row : rows) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (c > 0)
                text.append('\t');
            PgValueText::appendCopyField(Kinds[c], row[c], text);
        }
        text.append('\n');
    }
    return text;
}

void copyRows(PGconn* conn, const QByteArray& text) {
    exec(conn, "BEGIN");
    check(conn, PQexec(conn, "COPY bench FROM STDIN"), "COPY");
    constexpr qsizetype Chunk = 1 << 19;
    for (qsizetype at = 0; at < text.size(); at += Chunk)
        PQputCopyData(conn, text.constData() + at,
                      static_cast<int>(std::min(Chunk, text.size() - at)));
    PQputCopyEnd(conn, nullptr);
    while (PGresult* r = PQgetResult(conn))
        check(conn, r, "COPY end");
    exec(conn, "COMMIT");
}

void preparedLoop(PGconn* conn, const std::vector<Row>& rows, bool pipelined) {
    const char* sql = "INSERT INTO bench VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12,$13)";
    const char* name = pipelined ? "bench_pipe" : "bench_loop";
    exec(conn, "DEALLOCATE ALL");
    check(conn, PQprepare(conn, name, sql, 0, nullptr), "PREPARE");
    exec(conn, "BEGIN");
    if (pipelined)
        PQenterPipelineMode(conn);
    int pending = 0;
    const auto drain = [&] {
        PQpipelineSync(conn);
        for (;;) {
            PGresult* r = PQgetResult(conn);
            if (!r)
                continue;
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            check(conn, r, "pipelined INSERT");
            if (sync)
                break;
        }
        pending = 0;
    };
    for (const Row& row : rows) {
        PgParams params;
        params.reserve(ColumnCount);
        for (int c = 0; c < ColumnCount; ++c)
            PgValueText::addParam(Kinds[c], row[c], params);
        if (!pipelined) {
            check(conn,
                  PQexecPrepared(conn, name, ColumnCount, params.values(), params.lengths(),
                                 params.formats(), 0),
                  "INSERT");
            continue;
        }
        PQsendQueryPrepared(conn, name, ColumnCount, params.values(), params.lengths(),
                            params.formats(), 0);
        if (++pending == 1000)
            drain();
    }
    if (pipelined) {
        drain();
        PQexitPipelineMode(conn);
    }
    exec(conn, "COMMIT");
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
    std::vector<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toLongLong());
    if (sizes.empty())
        sizes = {100000, 1000000};

    const QString database =
        QStringLiteral("rowcart_bench_%1").arg(QCoreApplication::applicationPid());
    Conn admin = connectDirect(QStringLiteral("postgres"));
    exec(admin.get(), QStringLiteral("CREATE DATABASE %1").arg(database).toUtf8().constData());
    Conn conn = connectDirect(database);
    exec(conn.get(), TableDefinition);

    // The engine finds the server through an alias; libpq takes the user from PGUSER, so that no
    // login is asked for.
    QTemporaryDir dir;
    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(
        QStringLiteral("[PGBENCH]\nDRIVER=POSTGRES\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=%3\n")
            .arg(env("ROWCART_PG_HOST"), env("ROWCART_PG_PORT"), database)
            .toUtf8());
    aliases.close();
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
    qputenv("PGUSER", env("ROWCART_PG_USER").toUtf8());
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("dbTo"));
    db.SetAliasName(QStringLiteral("PGBENCH"));
    db.Connect();

    QElapsedTimer timer;
    for (const qint64 size : sizes) {
        std::printf("\n== %lld rows\n", static_cast<long long>(size));
        timer.start();
        std::vector<Row> rows;
        rows.reserve(static_cast<size_t>(size));
        for (qint64 i = 0; i < size; ++i)
            rows.push_back(BenchGenerator::MakeRow(i));
        report("generate the rows", size, timer.elapsed());

        // The machine is shared: the driver's commit and COPY alternate, and the best of
        // several rounds of each is compared.
        const int rounds = size <= 200000 ? 3 : 1;
        qint64 postMs = -1, commitMs = -1, copyMs = -1;
        timer.restart();
        const QByteArray text = copyText(rows);
        const qint64 encodeMs = timer.elapsed();
        for (int round = 0; round < rounds; ++round) {
            fresh(conn.get());
            TTable tTo;
            tTo.SetDatabaseName(QStringLiteral("dbTo"));
            tTo.SetTableName(QStringLiteral("bench"));
            tTo.SetCachedUpdates(true);
            tTo.SetUpdateMode(upWhereChanged);
            tTo.OpenTable();
            tTo.SuspendControls();
            timer.restart();
            for (const Row& row : rows) {
                tTo.StartInsert();
                for (int c = 0; c < ColumnCount; ++c)
                    tTo.FieldAt(c)->SetValue(row[c]);
                tTo.PostRecord();
            }
            postMs = postMs < 0 ? timer.elapsed() : std::min(postMs, timer.elapsed());
            timer.restart();
            tTo.CommitPendingUpdates();
            const qint64 ms = timer.elapsed();
            commitMs = commitMs < 0 ? ms : std::min(commitMs, ms);
            tTo.ResumeControls();
            tTo.CloseTable();
            verify(conn.get(), size);

            fresh(conn.get());
            timer.restart();
            copyRows(conn.get(), text);
            const qint64 copy = timer.elapsed();
            copyMs = copyMs < 0 ? copy : std::min(copyMs, copy);
            verify(conn.get(), size);
        }
        std::printf("best of %d round(s):\n", rounds);
        report("post inserts into the pending store", size, postMs);
        const double commitRate = report("CommitPendingUpdates (driver)", size, commitMs);
        report("encode the rows as COPY text (client only)", size, encodeMs);
        const double copyRate = report("COPY of text encoded beforehand", size, copyMs);
        std::printf("driver commit / COPY: %.2f (target >= 0.50)\n", commitRate / copyRate);

        fresh(conn.get());
        timer.restart();
        preparedLoop(conn.get(), rows, true);
        report("prepared INSERT, pipelined, one transaction", size, timer.elapsed());
        verify(conn.get(), size);

        fresh(conn.get());
        timer.restart();
        preparedLoop(conn.get(), rows, false);
        report("prepared INSERT loop, one transaction", size, timer.elapsed());
        verify(conn.get(), size);
    }

    db.Disconnect();
    conn.reset();
    exec(admin.get(), QStringLiteral("DROP DATABASE %1").arg(database).toUtf8().constData());
    return 0;
}
