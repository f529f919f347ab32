// Engine benchmark on SQLite: opening a large table, walking it by bookmarks, committing inserts.
// Usage: bench_engine [rows=1000000] [inserts=100000]
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

std::unique_ptr<TDatabase> connect(const QString& name, const QString& alias, bool readOnly) {
    auto db = std::make_unique<TDatabase>();
    db->SetDatabaseName(name);
    db->SetAliasName(alias);
    db->SetReadOnly(readOnly);
    db->Connect();
    return db;
}

void report(const char* what, qint64 rows, qint64 ms) {
    std::printf("%-46s %9lld rows %8lld ms %12.0f rows/s  peak %.0f MiB\n", what,
                static_cast<long long>(rows), static_cast<long long>(ms),
                ms > 0 ? rows * 1000.0 / ms : 0.0, BenchGenerator::PeakMemoryMiB());
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 inserts = argc > 2 ? QByteArray(argv[2]).toLongLong() : 100000;
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.db"));
    const QString target = dir.filePath(QStringLiteral("target.db"));
    QElapsedTimer timer;
    timer.start();
    BenchGenerator::CreateSqliteTable(source, QStringLiteral("BENCH"), rows);
    BenchGenerator::CreateSqliteTable(target, QStringLiteral("BENCH"), 0);
    report("generate source table", rows, timer.elapsed());

    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(QStringLiteral("[SRC]\nDRIVER=SQLITE\nPATH=%1\n[DST]\nDRIVER=SQLITE\nPATH=%2\n")
                      .arg(source, target)
                      .toUtf8());
    aliases.close();
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());

    auto from = connect(QStringLiteral("dbFrom"), QStringLiteral("SRC"), true);
    auto to = connect(QStringLiteral("dbTo"), QStringLiteral("DST"), false);
    TTable tFrom;
    tFrom.SetDatabaseName(QStringLiteral("dbFrom"));
    tFrom.SetTableName(QStringLiteral("BENCH"));
    tFrom.SetReadOnly(true);

    timer.restart();
    tFrom.OpenTable();
    qint64 read = 0;
    for (tFrom.MoveFirst(); !tFrom.AtEnd() && read < 100; tFrom.MoveNext())
        read += tFrom.FieldAt(1)->ReadText().isEmpty() ? 0 : 1;
    report("open the table and read 100 rows", read, timer.elapsed());

    timer.restart();
    std::vector<QByteArray> marks;
    marks.reserve(static_cast<size_t>(rows));
    for (tFrom.MoveFirst(); !tFrom.AtEnd(); tFrom.MoveNext())
        marks.push_back(tFrom.CurrentBookmark());
    report("walk every row, taking bookmarks", static_cast<qint64>(marks.size()), timer.elapsed());

    timer.restart();
    double checksum = 0;
    for (const QByteArray& mark : marks) {
        tFrom.MoveToBookmark(mark);
        checksum += tFrom.FieldAt(3)->ReadNumber();
    }
    report("visit every row by ascending bookmarks", static_cast<qint64>(marks.size()),
           timer.elapsed());
    marks.clear();
    marks.shrink_to_fit();

    TTable tTo;
    tTo.SetDatabaseName(QStringLiteral("dbTo"));
    tTo.SetTableName(QStringLiteral("BENCH"));
    tTo.SetCachedUpdates(true);
    tTo.SetUpdateMode(upWhereChanged);
    tTo.OpenTable();
    timer.restart();
    tTo.SuspendControls();
    qint64 posted = 0;
    for (tFrom.MoveFirst(); !tFrom.AtEnd() && posted < inserts; tFrom.MoveNext(), ++posted) {
        tTo.StartInsert();
        for (int c = 0; c < tFrom.NumberOfFields(); ++c)
            tTo.FieldAt(c)->SetValue(tFrom.FieldAt(c)->Value());
        tTo.PostRecord();
    }
    report("post inserts into the pending store", posted, timer.elapsed());
    timer.restart();
    tTo.CommitPendingUpdates();
    tTo.ResumeControls();
    report("commit the pending inserts", posted, timer.elapsed());
    std::printf("checksum %.0f, target rows %lld\n", checksum,
                static_cast<long long>(tTo.RecordCount()));
    return 0;
}
