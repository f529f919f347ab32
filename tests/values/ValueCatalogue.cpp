#include "tests/values/ValueCatalogue.h"

#include "data/Temporal.h"

#include <limits>

namespace {

using Limits = std::numeric_limits<double>;

QVariant day(int y, int m, int d) {
    return QVariant(QDate(y, m, d));
}

QVariant time(int h, int m, int s, int usec = 0) {
    return QVariant::fromValue(TimeOfDay{((h * 60LL + m) * 60 + s) * UsecPerSecond + usec});
}

QVariant stamp(int y, int mo, int d, int h, int mi, int s, int usec = 0) {
    TimeStamp value;
    value.date = QDate(y, mo, d);
    value.usec = ((h * 60LL + mi) * 60 + s) * UsecPerSecond + usec;
    return QVariant::fromValue(value);
}

QVariant zoned(int y, int mo, int d, int h, int mi, int s, int usec, qint32 offset) {
    TimeStamp value = stamp(y, mo, d, h, mi, s, usec).value<TimeStamp>();
    value.zoned = true;
    value.offset = offset;
    return QVariant::fromValue(value);
}

QVariant integer(qint64 value) {
    return QVariant(qlonglong(value));
}

QVariant text(const char16_t* value) {
    return QVariant(QString::fromUtf16(value));
}

QVariant text(const QString& value) {
    return QVariant(value);
}

// A megabyte of text: every script, escape and control a memo may meet, no NUL, no CR.
QString bigText() {
    const QString piece = QString::fromUtf16(
        u"Line 'quoted' \"double\" \\ back; tab\there \u00e9\u4e2d\U0001F600\U0001D11E \x01\x7f\n");
    QString text;
    while (text.size() < 1 << 20)
        text += piece;
    return text;
}

// Several megabytes of bytes no text would hold, the same on every run.
QByteArray bigBytes() {
    QByteArray bytes(3 << 20, Qt::Uninitialized);
    quint32 state = 12345;
    for (char& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

QByteArray everyByte() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

const QVector<QVariant>& ordinaryRow() {
    static const QVector<QVariant> row{
        integer(12),
        integer(123456),
        integer(1234567890123),
        QVariant(true),
        QVariant(2.5),
        QVariant(0.5),
        text(u"1234.5"),
        text(u"3.14159"),
        text(u"12.5"),
        text(u"Z\u00fcrich"),
        text(u"AB"),
        text(u"line one\nline two"),
        QVariant(QByteArray("\x00\x01\xff", 3)),
        day(2024, 2, 29),
        time(14, 3, 9, 250000),
        stamp(2026, 12, 8, 14, 3, 9, 123456),
        zoned(2026, 12, 8, 14, 3, 9, 0, 3600),
        text(u"123e4567-e89b-12d3-a456-426614174000"),
    };
    return row;
}

}  // namespace

const QVector<Sample>& TortureSamples() {
    static const QVector<Sample> samples{
        {"i16", integer(-32768)},
        {"i16", integer(32767)},
        {"i16", integer(40000), InSqlite},
        {"i32", integer(std::numeric_limits<qint32>::min())},
        {"i32", integer(std::numeric_limits<qint32>::max())},
        {"i32", integer(2147483648LL), InSqlite},
        {"i64", integer(std::numeric_limits<qint64>::min())},
        {"i64", integer(std::numeric_limits<qint64>::max())},
        {"i64", integer(0)},
        {"i64", QVariant(2.5), InSqlite},
        {"i64", text(u"x"), InSqlite},
        {"flag", QVariant(false)},
        {"flag", integer(2), InSqlite},
        {"f64", QVariant(Limits::max())},
        {"f64", QVariant(-Limits::max())},
        {"f64", QVariant(Limits::min())},
        {"f64", QVariant(Limits::denorm_min())},
        {"f64", QVariant(-Limits::denorm_min())},
        {"f64", QVariant(-0.0)},
        {"f64", QVariant(0.1)},
        {"f64", QVariant(1.0 / 3)},
        {"f64", QVariant(123456789012345678.0)},
        {"f64", QVariant(Limits::quiet_NaN()), InPostgres},
        {"f64", QVariant(Limits::infinity()), InSqlite | InPostgres},
        {"f64", QVariant(-Limits::infinity()), InSqlite | InPostgres},
        {"f64", text(u"abc"), InSqlite},
        {"f32", QVariant(3.4028235e38)},
        {"f32", QVariant(-3.4028235e38)},
        {"f32", QVariant(1.1754944e-38)},
        {"f32", QVariant(1e-45)},
        {"f32", QVariant(0.1)},
        {"f32", QVariant(16777217.0), InSqlite},
        {"f32", QVariant(3.141592653589793), InSqlite},
        {"f32", QVariant(Limits::quiet_NaN()), InPostgres},
        {"f32", QVariant(Limits::infinity()), InSqlite | InPostgres},
        {"d30", text(u"99999999999999999999.9999999999"), InServers},
        {"d30", text(u"-99999999999999999999.9999999999"), InServers},
        {"d30", text(u"12345678901234567890.1234567891"), InServers},
        {"d30", text(u"20000000000000001"), InServers},
        {"d30", text(u"0.0000000001")},
        {"d30", text(u"0")},
        {"d30", text(QStringLiteral("1") + QString(300, QLatin1Char('0'))), InSqlite},
        {"d30", text(u"0.30000000000000004"), InSqlite},
        {"d12", text(u"9999999.99999")},
        {"d12", text(u"-9999999.99999")},
        {"d12", text(u"-0.00001")},
        {"d9", text(u"9999999.99")},
        {"d9", text(u"-0.01")},
        {"d9", text(u"123.456"), InSqlite},
        {"vc", text(u"")},
        {"vc", text(u"abcdefghij")},
        {"vc", text(QString::fromUtf16(u"\U0001F600").repeated(10))},
        {"vc", text(u"abcdefghijk"), InSqlite},
        {"vc", text(u"it's \"q\"")},
        {"vc", text(QString::fromUtf16(u"a\0b", 3)), InSqlite | InMariadb},
        {"vc", text(u"\x01\x1f\x7f\t\x1b")},
        {"vc", text(u"a\r\nb\rc")},
        {"vc", text(u" pad  ")},
        {"vc", text(u"\\N\\x")},
        {"vc", text(u"x\n;\ny")},
        {"vc", text(u"/*c*/--d")},
        {"vc", text(u"\u202eltr\ufeff")},
        {"vc", text(u"\u00e9\u4e2d\U0001D11E")},
        {"ch", text(u"")},
        {"ch", text(u"ab")},
        {"ch", text(u"abcdefghij")},
        {"ch", text(u" lead")},
        {"ch", text(QString::fromUtf16(u"\U0001F600").repeated(10))},
        {"ch", text(u"abcdefghijk"), InSqlite},
        {"memo", text(u"")},
        {"memo", text(bigText())},
        {"memo", text(QString::fromUtf16(u"a\0b", 3)), InSqlite | InMariadb},
        {"memo", text(u"a\rb")},
        {"memo", QVariant(QByteArray("no \xff UTF-8")), InSqlite},
        {"bin", QVariant(QByteArray(""))},
        {"bin", QVariant(everyByte())},
        {"bin", QVariant(bigBytes())},
        {"bin", QVariant(QByteArray("plain text"))},
        {"dat", day(1, 1, 1)},
        {"dat", day(1000, 1, 1)},
        {"dat", day(9999, 12, 31)},
        {"dat", day(1582, 10, 4)},
        {"dat", day(1899, 12, 30)},
        {"dat", day(-4713, 11, 24), InPostgres},
        {"dat", day(-1, 12, 31), InPostgres},
        {"dat", day(10000, 1, 1), InPostgres},
        {"dat", day(5874897, 12, 31), InPostgres},
        {"dat", text(u"yesterday"), InSqlite},
        {"dat", text(u"infinity"), InPostgres},
        {"tod", time(0, 0, 0)},
        {"tod", time(23, 59, 59, 999999)},
        {"tod", time(24, 0, 0)},
        {"tod", time(0, 0, 0, 1)},
        {"tod", text(u"noon"), InSqlite},
        {"ts", stamp(1, 1, 1, 0, 0, 0)},
        {"ts", stamp(1000, 1, 1, 0, 0, 0)},
        {"ts", stamp(9999, 12, 31, 23, 59, 59, 999999)},
        {"ts", stamp(1969, 12, 31, 23, 59, 59, 999999)},
        {"ts", stamp(1899, 12, 30, 0, 0, 0)},
        {"ts", stamp(-4713, 11, 24, 0, 0, 0), InPostgres},
        {"ts", stamp(294276, 12, 31, 23, 59, 59, 999999), InPostgres},
        {"ts", text(u"-infinity"), InPostgres},
        {"tstz", zoned(1999, 12, 31, 23, 59, 59, 999999, -12 * 3600)},
        {"tstz", zoned(2000, 1, 1, 0, 0, 0, 0, 14 * 3600)},
        {"tstz", zoned(1970, 1, 1, 0, 0, 0, 1, 0)},
        {"tstz", zoned(2020, 6, 30, 23, 30, 0, 0, 5 * 3600 + 30 * 60 + 15), InSqlite | InPostgres},
        {"uid", text(u"00000000-0000-0000-0000-000000000000")},
        {"uid", text(u"a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")},
        {"uid", text(u"A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A12"), InSqlite},
        {"uid", text(u"not a uuid"), InSqlite},
    };
    return samples;
}

int ColumnIndex(const QString& name) {
    const QVector<ColumnSpec>& columns = TortureColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name)
            return i;
    }
    return -1;
}

QVector<ValueRow> TortureRows(Engine source) {
    const unsigned bit = source == Engine::Sqlite     ? InSqlite
                         : source == Engine::Postgres ? InPostgres
                                                      : InMariadb;
    const int width = TortureColumns().size();
    QVector<ValueRow> rows{{1, ordinaryRow()}, {2, QVector<QVariant>(width)}};
    const QVector<Sample>& samples = TortureSamples();
    for (int i = 0; i < samples.size(); ++i) {
        if (!(samples[i].sources & bit))
            continue;
        ValueRow row{i + 3, QVector<QVariant>(width)};
        row.values[ColumnIndex(samples[i].column)] = samples[i].value;
        rows.append(row);
    }
    return rows;
}
