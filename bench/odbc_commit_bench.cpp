// ODBC benchmark against MariaDB: a pending store of generated inserts committed through the
// ODBC driver, beside MariaDB's own LOAD DATA LOCAL INFILE (the mariadb client) and a multi-row
// INSERT in one transaction, in one run; then a walk over a table of many rows. Needs the server
// test.sh starts: `source tools/pgcluster.sh && source tools/mariadb.sh && mariadb_start`.
// Usage: odbc_commit_bench [commit rows] [walk rows]   (default: 100000 1000000)
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int ColumnCount = 13;
const char* const TableDefinition =
    "CREATE TABLE bench (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), CODE CHAR(8), QTY INTEGER,"
    " PRICE DOUBLE, AMOUNT DECIMAL(12,2), RATE DOUBLE, DAY DATE, AT TIME, STAMP DATETIME(3),"
    " FLAG BIT(1), NOTE LONGTEXT, DATA LONGBLOB)";

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

double currentMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double report(const char* what, qint64 rows, qint64 ms) {
    const double rate = ms > 0 ? double(rows) * 1000.0 / double(ms) : 0.0;
    std::printf("%-44s %9lld rows %8lld ms %10.0f rows/s  RSS %5.0f MiB\n", what,
                static_cast<long long>(rows), static_cast<long long>(ms), rate, currentMemoryMiB());
    std::fflush(stdout);
    return rate;
}

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "%s\n", what.toUtf8().constData());
    std::exit(1);
}

// Runs the mariadb client on the bench database with `sql` on its standard input.
qint64 client(const QString& database, const QByteArray& sql) {
    QProcess process;
    process.start(QStringLiteral("mariadb"),
                  {QStringLiteral("--no-defaults"), QStringLiteral("--local-infile=1"),
                   QStringLiteral("--protocol=tcp"), QStringLiteral("-h"),
                   env("ROWCART_MARIADB_HOST"), QStringLiteral("-P"), env("ROWCART_MARIADB_PORT"),
                   QStringLiteral("-u"), env("ROWCART_MARIADB_USER"), database});
    QElapsedTimer timer;
    timer.start();
    if (!process.waitForStarted())
        fail(QStringLiteral("cannot start the mariadb client"));
    process.write(sql);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const qint64 ms = timer.elapsed();
    if (process.exitCode() != 0)
        fail(QString::fromUtf8(process.readAllStandardError()));
    return ms;
}

QByteArray escapedTab(const QByteArray& raw) {
    QByteArray out;
    out.reserve(raw.size() + 8);
    for (const char c : raw) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One value as LOAD DATA's tab-separated text (bytes as hex, unhexed by the statement).
QByteArray loadField(int column, const QVariant& v) {
    if (!v.isValid())
        return "\\N";
    switch (column) {
        case 7:
            return v.toDate().toString(Qt::ISODate).toLatin1();
        case 8:
            return v.toTime().toString(QStringLiteral("HH:mm:ss")).toLatin1();
        case 9:
            return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
        case 10:
            return v.toBool() ? "1" : "0";
        case 6:
        case 4:
            return QByteArray::number(v.toDouble(), 'g', 17);
        case 11:
            return escapedTab(v.toByteArray());
        case 12:
            return v.toByteArray().toHex();
        default:
            return escapedTab(v.toString().toUtf8());
    }
}

// One value as an SQL literal.
QByteArray literal(int column, const QVariant& v) {
    if (!v.isValid())
        return "NULL";
    switch (column) {
        case 0:
        case 3:
            return QByteArray::number(v.toLongLong());
        case 4:
        case 6:
            return QByteArray::number(v.toDouble(), 'g', 17);
        case 5:
            return v.toString().toLatin1();
        case 10:
            return v.toBool() ? "1" : "0";
        case 12:
            return "X'" + v.toByteArray().toHex() + "'";
        default:
            break;
    }
    QByteArray text = loadField(column, v);
    if (column == 11 || column < 7) {
        text = column == 11 ? v.toByteArray() : v.toString().toUtf8();
        text.replace("\\", "\\\\").replace("'", "''");
    }
    return "'" + text + "'";
}

const char* const LoadColumns =
    "(ID, NAME, CODE, QTY, PRICE, AMOUNT, RATE, DAY, AT, STAMP, @flag, NOTE, @data)"
    " SET FLAG = CAST(@flag AS UNSIGNED), DATA = UNHEX(@data)";

QByteArray loadStatement(const QString& file) {
    return "SET autocommit = 0;\nLOAD DATA LOCAL INFILE '" + file.toUtf8() + "' INTO TABLE bench " +
           LoadColumns + ";\nCOMMIT;\n";
}

void writeLoadFile(const QString& path, qint64 first, qint64 count) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write ") + path);
    QByteArray chunk;
    for (qint64 i = first; i < first + count; ++i) {
        const Row row = BenchGenerator::MakeRow(i);
        for (int c = 0; c < ColumnCount; ++c) {
            if (c > 0)
                chunk += '\t';
            chunk += loadField(c, row[c]);
        }
        chunk += '\n';
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    QCoreApplication app(argc, argv);
    if (env("ROWCART_MARIADB_PORT").isEmpty())
        fail(
            QStringLiteral("No server: run `source tools/pgcluster.sh && source "
                           "tools/mariadb.sh && mariadb_start` first."));
    const qint64 commitRows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    const qint64 walkRows = argc > 2 ? QByteArray(argv[2]).toLongLong() : 1000000;
    const QString database =
        QStringLiteral("rowcart_bench_") + QString::number(QCoreApplication::applicationPid());
    client(QString(), "CREATE DATABASE " + database.toUtf8() + ";\n");
    client(database, QByteArray(TableDefinition) + ";\n");

    QTemporaryDir dir;
    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(
        "[MDBENCH]\nDRIVER=ODBC\nCONNECTION=Driver={MariaDB Unicode};Server=" +
        env("ROWCART_MARIADB_HOST").toUtf8() + ";Port=" + env("ROWCART_MARIADB_PORT").toUtf8() +
        ";UID=" + env("ROWCART_MARIADB_USER").toUtf8() + ";Database=" + database.toUtf8() + "\n");
    aliases.close();
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("dbTo"));
    db.SetAliasName(QStringLiteral("MDBENCH"));
    db.Connect();
    const auto fresh = [&] { db.ExecuteStatement(QStringLiteral("TRUNCATE TABLE bench")); };

    // The walk: a table of walkRows rows, loaded by the client, read row by row.
    {
        const QString file = dir.filePath(QStringLiteral("walk.tsv"));
        writeLoadFile(file, 0, walkRows);
        fresh();
        client(database, loadStatement(file));
        QFile::remove(file);
        TTable t;
        t.SetDatabaseName(QStringLiteral("dbTo"));
        t.SetTableName(QStringLiteral("bench"));
        t.SetReadOnly(true);
        t.OpenTable();
        QElapsedTimer timer;
        timer.start();
        qint64 walked = 0;
        double sum = 0;
        double memoryAtTenth = 0;
        for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
            sum += t.FieldAt(0)->ReadNumber();
            if (++walked == walkRows / 10)
                memoryAtTenth = currentMemoryMiB();
        }
        const qint64 ms = timer.elapsed();
        if (walked != walkRows)
            fail(QStringLiteral("walked %1 rows").arg(walked));
        std::printf("\n== walk\n");
        report("walk (MoveFirst .. MoveNext, one field)", walked, ms);
        std::printf("RSS after a tenth of the rows %.0f MiB, after all %.0f MiB (checksum %.0f)\n",
                    memoryAtTenth, currentMemoryMiB(), sum);
        t.CloseTable();
    }

    std::printf("\n== commit of %lld rows\n", static_cast<long long>(commitRows));
    std::vector<Row> rows;
    rows.reserve(size_t(commitRows));
    for (qint64 i = 0; i < commitRows; ++i)
        rows.push_back(BenchGenerator::MakeRow(i));
    const QString loadFile = dir.filePath(QStringLiteral("commit.tsv"));
    writeLoadFile(loadFile, 0, commitRows);
    QByteArray inserts = "START TRANSACTION;\n";
    for (qint64 i = 0; i < commitRows; ++i) {
        inserts += i % 1000 == 0 ? "INSERT INTO bench VALUES\n(" : ",\n(";
        for (int c = 0; c < ColumnCount; ++c) {
            if (c > 0)
                inserts += ',';
            inserts += literal(c, rows[size_t(i)][c]);
        }
        inserts += ')';
        if (i % 1000 == 999 || i + 1 == commitRows)
            inserts += ";\n";
    }
    inserts += "COMMIT;\n";

    // The machine is shared: the best of three rounds of each is compared.
    qint64 commitMs = -1, loadMs = -1, insertMs = -1, postMs = -1;
    QElapsedTimer timer;
    for (int round = 0; round < 3; ++round) {
        fresh();
        TTable t;
        t.SetDatabaseName(QStringLiteral("dbTo"));
        t.SetTableName(QStringLiteral("bench"));
        t.SetCachedUpdates(true);
        t.SetUpdateMode(upWhereChanged);
        t.OpenTable();
        t.SuspendControls();
        timer.restart();
        for (const Row& row : rows) {
            t.StartInsert();
            for (int c = 0; c < ColumnCount; ++c)
                t.FieldAt(c)->SetValue(row[c]);
            t.PostRecord();
        }
        const qint64 post = timer.elapsed();
        timer.restart();
        t.CommitPendingUpdates();
        const qint64 commit = timer.elapsed();
        if (t.RecordCount() != commitRows)
            fail(QStringLiteral("the commit wrote %1 rows").arg(t.RecordCount()));
        t.ResumeControls();
        t.CloseTable();
        postMs = postMs < 0 ? post : std::min(postMs, post);
        commitMs = commitMs < 0 ? commit : std::min(commitMs, commit);

        fresh();
        const qint64 load = client(database, loadStatement(loadFile));
        loadMs = loadMs < 0 ? load : std::min(loadMs, load);
        fresh();
        const qint64 insert = client(database, inserts);
        insertMs = insertMs < 0 ? insert : std::min(insertMs, insert);
    }
    std::printf("best of 3 rounds:\n");
    report("post inserts into the pending store", commitRows, postMs);
    const double commitRate = report("CommitPendingUpdates (ODBC driver)", commitRows, commitMs);
    const double loadRate = report("LOAD DATA LOCAL INFILE (mariadb client)", commitRows, loadMs);
    report("multi-row INSERT, one transaction (client)", commitRows, insertMs);
    std::printf("driver commit / LOAD DATA: %.2f (target >= 0.30)\n", commitRate / loadRate);

    db.Disconnect();
    client(QString(), "DROP DATABASE " + database.toUtf8() + ";\n");
    return 0;
}
