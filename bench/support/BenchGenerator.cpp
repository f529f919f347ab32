#include "bench/support/BenchGenerator.h"

#include "data/FieldType.h"
#include "data/sqlite/SqliteHandles.h"
#include "data/sqlite/SqliteTypes.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

namespace BenchGenerator {

const QStringList& ColumnNames() {
    static const QStringList names = {"ID",  "NAME", "CODE",  "QTY",  "PRICE", "AMOUNT", "RATE",
                                      "DAY", "AT",   "STAMP", "FLAG", "NOTE",  "DATA"};
    return names;
}

const QStringList& ColumnTypes() {
    static const QStringList types = {
        "INTEGER", "VARCHAR(40)", "CHAR(8)",   "INTEGER", "MONEY", "NUMERIC(12,2)", "DOUBLE",
        "DATE",    "TIME",        "TIMESTAMP", "BOOLEAN", "CLOB",  "BLOB"};
    return types;
}

Row MakeRow(qint64 i) {
    // A cheap hash of the index, so values look scattered but repeat exactly.
    quint64 h = static_cast<quint64>(i) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    Row row(13);
    row[0] = QVariant(qlonglong(i));
    row[1] = QVariant(QStringLiteral("Customer %1 O'Hara").arg(h % 100000));
    row[2] = h % 11 == 0
                 ? QVariant()
                 : QVariant(QStringLiteral("C%1").arg(h % 10000000, 7, 10, QLatin1Char('0')));
    row[3] = QVariant(qlonglong(h % 5000) - 100);
    row[4] = QVariant(static_cast<double>(h % 1000000) / 100.0);
    row[5] =
        h % 7 == 0
            ? QVariant()
            : QVariant(
                  QStringLiteral("%1.%2").arg(h % 100000).arg(h % 100, 2, 10, QLatin1Char('0')));
    row[6] = QVariant(static_cast<double>(h % 100000) / 7.0);
    row[7] = QVariant(QDate(2000, 1, 1).addDays(static_cast<qint64>(h % 9000)));
    row[8] = h % 5 == 0
                 ? QVariant()
                 : QVariant(QTime::fromMSecsSinceStartOfDay(static_cast<int>(h % 86400) * 1000));
    row[9] = QVariant(QDateTime(QDate(2020, 1, 1).addDays(static_cast<qint64>(h % 2000)),
                                QTime::fromMSecsSinceStartOfDay(static_cast<int>(h % 86400000)),
                                Qt::UTC));
    row[10] = h % 13 == 0 ? QVariant() : QVariant(h % 2 == 0);
    row[11] =
        h % 3 == 0 ? QVariant(QByteArray("Note for row ") + QByteArray::number(i)) : QVariant();
    if (h % 17 == 0) {
        QByteArray blob(static_cast<int>(16 + h % 240), '\0');
        for (int b = 0; b < blob.size(); ++b)
            blob[b] = static_cast<char>((h >> (b % 56)) + static_cast<quint64>(b));
        row[12] = QVariant(blob);
    }
    return row;
}

void CreateSqliteTable(const QString& path, const QString& table, qint64 rows) {
    QFile::remove(path);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                    nullptr);
    SqliteDb db(raw);
    QStringList columns, params;
    for (int c = 0; c < ColumnNames().size(); ++c) {
        columns.append(ColumnNames()[c] + QLatin1Char(' ') + ColumnTypes()[c] +
                       (c == 0 ? QStringLiteral(" PRIMARY KEY") : QString()));
        params.append(QStringLiteral("?"));
    }
    ExecSqlite(db.get(), "PRAGMA journal_mode = OFF");
    ExecSqlite(db.get(), "PRAGMA synchronous = OFF");
    ExecSqlite(db.get(), QStringLiteral("CREATE TABLE %1 (%2)")
                             .arg(table, columns.join(QStringLiteral(", ")))
                             .toUtf8()
                             .constData());
    if (rows == 0)
        return;
    QVector<TFieldType> types;
    for (const QString& type : ColumnTypes())
        types.append(SqliteTypes::MapColumn(QString(), type, false).type);
    ExecSqlite(db.get(), "BEGIN");
    SqliteStmt insert = PrepareSqlite(
        db.get(),
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, params.join(QStringLiteral(", "))));
    for (qint64 i = 0; i < rows; ++i) {
        const Row row = MakeRow(i);
        for (int c = 0; c < row.size(); ++c)
            SqliteTypes::Bind(insert.get(), c + 1, row[c], types[c]);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            ThrowSqliteError(db.get(), sqlite3_errcode(db.get()));
        sqlite3_reset(insert.get());
    }
    ExecSqlite(db.get(), "COMMIT");
}

namespace {

double statusMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    QTextStream in(&status);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        if (line.startsWith(QLatin1String(key)))
            return line.section(QLatin1Char(' '), -2, -2).toDouble() / 1024.0;
    }
    return 0;
}

}  // namespace

double PeakMemoryMiB() {
    return statusMiB("VmHWM:");
}

double CurrentMemoryMiB() {
    return statusMiB("VmRSS:");
}

void RestartPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

}  // namespace BenchGenerator
