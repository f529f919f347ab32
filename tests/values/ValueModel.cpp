#include "tests/values/ValueSuite.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// Each kind's type in SQLite (as README "SQLite column types" maps it), PostgreSQL, MariaDB
// (which has no boolean and no zone of its own) and Firebird 3, in the order of Kind. A type
// ending in '(' takes the column's size, or its precision and scale.
const char* const Types[][4] = {
    {"SMALLINT", "smallint", "SMALLINT", "SMALLINT"},
    {"INTEGER", "integer", "INT", "INTEGER"},
    {"BIGINT", "bigint", "BIGINT", "BIGINT"},
    {"BOOLEAN", "boolean", "BIT(1)", "BOOLEAN"},
    {"DOUBLE", "double precision", "DOUBLE", "DOUBLE PRECISION"},
    {"REAL", "real", "FLOAT", "FLOAT"},
    {"NUMERIC(", "numeric(", "DECIMAL(", "NUMERIC("},
    {"VARCHAR(", "varchar(", "VARCHAR(", "VARCHAR("},
    {"CHAR(", "char(", "CHAR(", "CHAR("},
    {"CLOB", "text", "LONGTEXT", "BLOB SUB_TYPE TEXT"},
    {"BLOB", "bytea", "LONGBLOB", "BLOB SUB_TYPE BINARY"},
    {"DATE", "date", "DATE", "DATE"},
    {"TIME", "time(6)", "TIME(6)", "TIME"},
    {"TIMESTAMP", "timestamp(6)", "DATETIME(6)", "TIMESTAMP"},
    {"DATETIME", "timestamptz(6)", "DATETIME(6)", "TIMESTAMP"},
    {"UUID", "uuid", "UUID", "CHAR(36)"},
};

QString columnType(Engine engine, const ColumnSpec& column) {
    const QString type = QLatin1String(Types[int(column.kind)][std::min(int(engine), 3)]);
    if (!type.endsWith(QLatin1Char('(')))
        return type;
    if (column.kind != Kind::Decimal)
        return type + QString::number(column.size) + QLatin1Char(')');
    // Firebird 3's NUMERIC has 18 digits, MariaDB's DECIMAL 65.
    const int most = engine == Engine::Firebird ? 18 : engine == Engine::Mariadb ? 65 : 1000;
    return type + QStringLiteral("%1,%2)").arg(std::min(column.precision, most)).arg(column.scale);
}

using Limits = std::numeric_limits<double>;

QVariant n(qint64 value) {
    return QVariant(qlonglong(value));
}

QVariant t(const QString& value) {
    return QVariant(value);
}

QVariant t(const char16_t* value) {
    return QVariant(QString::fromUtf16(value));
}

QVariant day(int y, int m, int d) {
    return QVariant(QDate(y, m, d));
}

QVariant time(int h, int m, int s, int usec = 0) {
    return QVariant::fromValue(TimeOfDay{((h * 60LL + m) * 60 + s) * UsecPerSecond + usec});
}

QVariant stamp(int y, int mo, int d, int h, int mi, int s, int usec = 0,
               std::optional<qint32> zone = {}) {
    return QVariant::fromValue(TimeStamp{QDate(y, mo, d),
                                         ((h * 60LL + mi) * 60 + s) * UsecPerSecond + usec,
                                         zone.value_or(0), zone.has_value()});
}

QString repeated(const char16_t* piece, int count) {
    return QString::fromUtf16(piece).repeated(count);
}

// A megabyte of text: every script, escape and control a memo may meet, no NUL, no CR.
QString bigText() {
    return repeated(
        u"Line 'quoted' \"double\" \\ back; tab\there \u00e9\u4e2d\U0001F600\U0001D11E \x01\x7f\n",
        1 << 15);
}

// Megabytes of bytes no text would hold, the same on every run.
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

// The engines whose source table holds a sample: an engine holds values of its own that no
// other does (SQLite any value in any column, PostgreSQL dates before the era and NaN).
enum : unsigned { InSqlite = 1, InPostgres = 2, InMariadb = 4, InServers = 6, Everywhere = 7 };

struct Samples {
    const char* column;
    unsigned sources;
    QVector<QVariant> values;
};

const QVector<Samples>& samples() {
    const QVariant nan(Limits::quiet_NaN()), inf(Limits::infinity());
    const QVariant nul = t(QString::fromUtf16(u"a\0b", 3));
    static const QVector<Samples> all{
        {"i16", Everywhere, {n(-32768), n(32767)}},
        {"i16", InSqlite, {n(40000)}},
        {"i32",
         Everywhere,
         {n(std::numeric_limits<qint32>::min()), n(std::numeric_limits<qint32>::max())}},
        {"i32", InSqlite, {n(2147483648LL)}},
        {"i64",
         Everywhere,
         {n(std::numeric_limits<qint64>::min()), n(std::numeric_limits<qint64>::max()), n(0)}},
        {"i64", InSqlite, {QVariant(2.5), t(u"x")}},
        {"flag", Everywhere, {QVariant(false)}},
        {"flag", InSqlite, {n(2)}},
        {"f64",
         Everywhere,
         {Limits::max(), -Limits::max(), Limits::min(), Limits::denorm_min(), -Limits::denorm_min(),
          -0.0, 0.1, 1.0 / 3, 123456789012345678.0}},
        {"f64", InPostgres, {nan}},
        {"f64", InSqlite | InPostgres, {inf, QVariant(-Limits::infinity())}},
        {"f64", InSqlite, {t(u"abc")}},
        {"f32", Everywhere, {3.4028235e38, -3.4028235e38, 1.1754944e-38, 1e-45, 0.1}},
        {"f32", InSqlite, {16777217.0, 3.141592653589793}},
        {"f32", InPostgres, {nan}},
        {"f32", InSqlite | InPostgres, {inf}},
        {"d30",
         InServers,
         {t(u"99999999999999999999.9999999999"), t(u"-99999999999999999999.9999999999"),
          t(u"12345678901234567890.1234567891"), t(u"20000000000000001")}},
        {"d30", Everywhere, {t(u"0.0000000001"), t(u"0")}},
        {"d30",
         InSqlite,
         {t(QLatin1Char('1') + QString(300, QLatin1Char('0'))), t(u"0.30000000000000004")}},
        {"d12", Everywhere, {t(u"9999999.99999"), t(u"-9999999.99999"), t(u"-0.00001")}},
        {"d9", Everywhere, {t(u"9999999.99"), t(u"-0.01")}},
        {"d9", InSqlite, {t(u"123.456")}},
        {"vc",
         Everywhere,
         {t(u""), t(u"abcdefghij"), t(repeated(u"\U0001F600", 10)), t(u"it's \"q\""),
          t(u"\x01\x1f\x7f\t\x1b"), t(u"a\r\nb\rc"), t(u" pad  "), t(u"\\N\\x"), t(u"x\n;\ny"),
          t(u"/*c*/--d"), t(u"\u202eltr\ufeff"), t(u"\u00e9\u4e2d\U0001D11E")}},
        {"vc", InSqlite, {t(u"abcdefghijk")}},
        {"vc", InSqlite | InMariadb, {nul}},
        {"ch",
         Everywhere,
         {t(u""), t(u"ab"), t(u"abcdefghij"), t(u" lead"), t(repeated(u"\U0001F600", 10))}},
        {"ch", InSqlite, {t(u"abcdefghijk")}},
        {"memo", Everywhere, {t(u""), t(bigText()), t(u"a\rb")}},
        {"memo", InSqlite | InMariadb, {nul}},
        {"memo", InSqlite, {QByteArray("no \xff UTF-8")}},
        {"bin", Everywhere, {QByteArray(""), everyByte(), bigBytes(), QByteArray("plain text")}},
        {"dat",
         Everywhere,
         {day(1, 1, 1), day(1000, 1, 1), day(9999, 12, 31), day(1582, 10, 4), day(1899, 12, 30)}},
        {"dat",
         InPostgres,
         {day(-4713, 11, 24), day(-1, 12, 31), day(10000, 1, 1), day(5874897, 12, 31),
          t(u"infinity")}},
        {"dat", InSqlite, {t(u"yesterday")}},
        {"tod",
         Everywhere,
         {time(0, 0, 0), time(23, 59, 59, 999999), time(24, 0, 0), time(0, 0, 0, 1)}},
        {"tod", InSqlite, {t(u"noon")}},
        {"ts",
         Everywhere,
         {stamp(1, 1, 1, 0, 0, 0), stamp(1000, 1, 1, 0, 0, 0),
          stamp(9999, 12, 31, 23, 59, 59, 999999), stamp(1969, 12, 31, 23, 59, 59, 999999),
          stamp(1899, 12, 30, 0, 0, 0)}},
        {"ts",
         InPostgres,
         {stamp(-4713, 11, 24, 0, 0, 0), stamp(294276, 12, 31, 23, 59, 59, 999999),
          t(u"-infinity")}},
        {"tstz",
         Everywhere,
         {stamp(1999, 12, 31, 23, 59, 59, 999999, -12 * 3600),
          stamp(2000, 1, 1, 0, 0, 0, 0, 14 * 3600), stamp(1970, 1, 1, 0, 0, 0, 1, 0)}},
        {"tstz",
         InSqlite | InPostgres,
         {stamp(2020, 6, 30, 23, 30, 0, 0, 5 * 3600 + 30 * 60 + 15)}},
        {"uid",
         Everywhere,
         {t(u"00000000-0000-0000-0000-000000000000"), t(u"a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")}},
        {"uid", InSqlite, {t(u"A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A12"), t(u"not a uuid")}},
    };
    return all;
}

// An ordinary value in every column.
QVector<QVariant> ordinaryRow() {
    QVector<QVariant> row{n(12), n(123456), n(1234567890123), true, 2.5, 0.5, t(u"1234.5")};
    row << t(u"3.14159") << t(u"12.5") << t(u"Z\u00fcrich") << t(u"AB") << t(u"line one\nline two")
        << QByteArray("\x00\x01\xff", 3) << day(2024, 2, 29) << time(14, 3, 9, 250000)
        << stamp(2026, 12, 8, 14, 3, 9, 123456) << stamp(2026, 12, 8, 14, 3, 9, 0, 3600)
        << t(u"123e4567-e89b-12d3-a456-426614174000");
    return row;
}

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString shortest(double value) {
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, written.ptr - text);
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// A value's text as PostgreSQL reads it, which for dates and times is ISO.
QString plainText(const ColumnSpec& column, const QVariant& value, bool bc) {
    const int type = value.userType();
    if (type == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (type == QMetaType::Double) {
        const double real = value.toDouble();
        if (std::isnan(real))
            return QStringLiteral("NaN");
        if (std::isinf(real))
            return real > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
        return shortest(real);
    }
    if (type == QMetaType::QByteArray)
        return column.kind == Kind::Bytes
                   ? QStringLiteral("\\x") + QLatin1String(value.toByteArray().toHex())
                   : QString::fromUtf8(value.toByteArray());
    if (type == QMetaType::QDate)
        return IsoDate(value.toDate(), bc);
    if (type == qMetaTypeId<TimeOfDay>())
        return IsoTime(value.value<TimeOfDay>());
    if (type == qMetaTypeId<TimeStamp>())
        return IsoStamp(value.value<TimeStamp>(), bc);
    return value.toString();
}

}  // namespace

QString EngineName(Engine engine) {
    static const char* const names[] = {"SQLite", "PostgreSQL", "MariaDB", "Firebird", "Oracle"};
    return QLatin1String(names[int(engine)]);
}

QString PathName(Path path) {
    static const char* const names[] = {"Grid",          "MoveUntyped", "MoveTyped",
                                        "AnsiByProgram", "AnsiByShell", "InterbaseByIsql",
                                        "OracleText"};
    return QLatin1String(names[int(path)]);
}

QString HopName(const Hop& hop) {
    return EngineName(hop.from) + QStringLiteral(" to ") + EngineName(hop.to) +
           QStringLiteral(" by ") + PathName(hop.path);
}

bool IsScript(Path path) {
    return path != Path::Grid && path != Path::MoveUntyped && path != Path::MoveTyped;
}

QString CreateTableSql(Engine engine, const QString& table, const QVector<ColumnSpec>& columns) {
    QStringList parts{engine == Engine::Firebird ? QStringLiteral("id INTEGER NOT NULL PRIMARY KEY")
                                                 : QStringLiteral("id INTEGER PRIMARY KEY")};
    for (const ColumnSpec& column : columns)
        parts.append(column.name + QLatin1Char(' ') + columnType(engine, column));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, parts.join(QStringLiteral(", ")));
}

const QVector<ColumnSpec>& TortureColumns() {
    static const QVector<ColumnSpec> columns{
        {"i16", Kind::Int16},
        {"i32", Kind::Int32},
        {"i64", Kind::Int64},
        {"flag", Kind::Bool},
        {"f64", Kind::Float8},
        {"f32", Kind::Float4},
        {"d30", Kind::Decimal, 0, 30, 10},
        {"d12", Kind::Decimal, 0, 12, 5},
        {"d9", Kind::Decimal, 0, 9, 2},
        {"vc", Kind::Text, 10},
        {"ch", Kind::FixedText, 10},
        {"memo", Kind::Memo},
        {"bin", Kind::Bytes},
        {"dat", Kind::Date},
        {"tod", Kind::Time},
        {"ts", Kind::Stamp},
        {"tstz", Kind::ZonedStamp},
        {"uid", Kind::Uuid},
    };
    return columns;
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
    const unsigned bit = 1u << int(source);
    const int width = TortureColumns().size();
    QVector<ValueRow> rows{{1, ordinaryRow()}, {2, QVector<QVariant>(width)}};
    qint64 id = 2;
    for (const Samples& group : samples()) {
        for (const QVariant& value : group.values) {
            ValueRow row{++id, QVector<QVariant>(width)};
            row.values[ColumnIndex(QLatin1String(group.column))] = value;
            if (group.sources & bit)
                rows.append(row);
        }
    }
    return rows;
}

QString IsoDate(const QDate& date, bool bc) {
    const bool before = bc && date.year() < 0;
    const QString text = QStringLiteral("%1-%2-%3")
                             .arg(before ? -date.year() : date.year(), 4, 10, QLatin1Char('0'))
                             .arg(twoDigits(date.month()), twoDigits(date.day()));
    return before ? text + QStringLiteral(" BC") : text;
}

QString IsoTime(const TimeOfDay& time) {
    QString text = twoDigits(time.usec / (3600 * UsecPerSecond)) + QLatin1Char(':') +
                   twoDigits(time.minute()) + QLatin1Char(':') + twoDigits(time.second());
    if (time.fraction() != 0)
        text += QStringLiteral(".%1").arg(time.fraction(), 6, 10, QLatin1Char('0'));
    return text;
}

QString IsoStamp(const TimeStamp& stamp, bool bc) {
    QString date = IsoDate(stamp.date, bc);
    const bool before = date.endsWith(QLatin1String(" BC"));
    if (before)
        date.chop(3);
    QString text = date + QLatin1Char(' ') + IsoTime(stamp.time());
    if (stamp.zoned) {
        const qint32 seconds = std::abs(stamp.offset);
        text += QLatin1Char(stamp.offset < 0 ? '-' : '+') + twoDigits(seconds / 3600) +
                QLatin1Char(':') + twoDigits(seconds / 60 % 60);
        if (seconds % 60)
            text += QLatin1Char(':') + twoDigits(seconds % 60);
    }
    return before ? text + QStringLiteral(" BC") : text;
}

QString EngineLiteral(Engine engine, const ColumnSpec& column, const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    // PostgreSQL reads every value from quoted text, its own ('infinity') among them.
    if (engine == Engine::Postgres)
        return quoted(plainText(column, value, true));
    const bool firebird = engine == Engine::Firebird;
    switch (column.kind) {
        case Kind::Bool:
            if (firebird)
                return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            return value.toBool() ? QStringLiteral("b'1'") : QStringLiteral("b'0'");
        case Kind::Float8:
        case Kind::Float4:
        case Kind::Decimal:
            if (firebird)
                return QStringLiteral("CAST('%1' AS %2)")
                    .arg(plainText(column, value, false), columnType(engine, column));
            // MariaDB reads a bare -0 as the integer 0. Its FLOAT takes the double a float is,
            // not the float's shortest digits, which lie above it.
            if (column.kind == Kind::Float4)
                return shortest(double(float(value.toDouble())));
            if (column.kind == Kind::Float8 && value.toDouble() == 0 &&
                std::signbit(value.toDouble()))
                return QStringLiteral("-0e0");
            return plainText(column, value, false);
        case Kind::Bytes:
            return QStringLiteral("x'%1'").arg(QLatin1String(value.toByteArray().toHex()));
        case Kind::Text:
        case Kind::FixedText:
        case Kind::Memo: {
            // MariaDB reads backslashes in quoted text as escapes: the hex of its UTF-8.
            const QByteArray utf8 = value.typeId() == QMetaType::QByteArray
                                        ? value.toByteArray()
                                        : value.toString().toUtf8();
            if (firebird || utf8.isEmpty())
                return quoted(QString::fromUtf8(utf8));
            return QStringLiteral("CONVERT(X'%1' USING utf8mb4)").arg(QLatin1String(utf8.toHex()));
        }
        case Kind::Date:
        case Kind::Time:
        case Kind::Stamp:
        case Kind::ZonedStamp: {
            // Neither keeps a zone: a time stamp is its instant in UTC.
            QVariant local = value;
            if (value.userType() == qMetaTypeId<TimeStamp>()) {
                TimeStamp utc = value.value<TimeStamp>().toUtc();
                utc.zoned = false;
                local = QVariant::fromValue(utc);
            }
            static const char* const prefixes[] = {"DATE ", "TIME ", "TIMESTAMP ", "TIMESTAMP "};
            return (firebird ? QLatin1String(prefixes[int(column.kind) - int(Kind::Date)])
                             : QLatin1String()) +
                   quoted(plainText(column, local, false));
        }
        case Kind::Uuid:
            return quoted(value.toString());
        default:
            return value.toString();
    }
}
