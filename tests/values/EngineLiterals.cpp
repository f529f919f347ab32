#include "tests/values/EngineLiterals.h"

#include "data/Temporal.h"

#include <sqlite3.h>
#include <charconv>
#include <cmath>

namespace {

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString zone(qint32 offset) {
    const qint32 seconds = std::abs(offset);
    QString text = QLatin1Char(offset < 0 ? '-' : '+') + twoDigits(seconds / 3600) +
                   QLatin1Char(':') + twoDigits(seconds / 60 % 60);
    if (seconds % 60)
        text += QLatin1Char(':') + twoDigits(seconds % 60);
    return text;
}

// The shortest digits that read back as the same double.
QString shortest(double value) {
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, written.ptr - text);
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString postgresFloat(double value, bool single) {
    QString text;
    if (std::isnan(value))
        text = QStringLiteral("NaN");
    else if (std::isinf(value))
        text = value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    else
        text = shortest(value);
    return quoted(text) + (single ? QStringLiteral("::real") : QStringLiteral("::float8"));
}

QString postgresLiteral(const ColumnSpec& column, const QVariant& value) {
    // Text of the engine's own ('infinity') stands as it is.
    if (value.typeId() == QMetaType::QString && column.kind >= Kind::Date &&
        column.kind <= Kind::ZonedStamp)
        return quoted(value.toString());
    switch (column.kind) {
        case Kind::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case Kind::Float8:
        case Kind::Float4:
            return postgresFloat(value.toDouble(), column.kind == Kind::Float4);
        case Kind::Bytes:
            return QStringLiteral("'\\x%1'::bytea").arg(QLatin1String(value.toByteArray().toHex()));
        case Kind::Date:
            return quoted(IsoDate(value.toDate(), true)) + QStringLiteral("::date");
        case Kind::Time:
            return quoted(IsoTime(value.value<TimeOfDay>())) + QStringLiteral("::time");
        case Kind::Stamp:
        case Kind::ZonedStamp:
            return quoted(IsoStamp(value.value<TimeStamp>(), true)) +
                   (column.kind == Kind::Stamp ? QStringLiteral("::timestamp")
                                               : QStringLiteral("::timestamptz"));
        case Kind::Text:
        case Kind::FixedText:
        case Kind::Memo:
        case Kind::Uuid:
            return quoted(value.typeId() == QMetaType::QByteArray
                              ? QString::fromUtf8(value.toByteArray())
                              : value.toString());
        default:
            return value.toString();
    }
}

// MariaDB reads backslashes in quoted text as escapes: text goes as the hex of its UTF-8. Its
// FLOAT takes the double a float is, not the float's shortest digits, which lie above it.
QString mariadbLiteral(const ColumnSpec& column, const QVariant& value) {
    switch (column.kind) {
        case Kind::Bool:
            return value.toBool() ? QStringLiteral("b'1'") : QStringLiteral("b'0'");
        case Kind::Float8:
            // A bare -0 is the integer 0 to MariaDB.
            return value.toDouble() == 0 && std::signbit(value.toDouble())
                       ? QStringLiteral("-0e0")
                       : shortest(value.toDouble());
        case Kind::Float4:
            return shortest(double(float(value.toDouble())));
        case Kind::Bytes:
            return QStringLiteral("X'%1'").arg(QLatin1String(value.toByteArray().toHex()));
        case Kind::Text:
        case Kind::FixedText:
        case Kind::Memo: {
            const QByteArray utf8 = value.typeId() == QMetaType::QByteArray
                                        ? value.toByteArray()
                                        : value.toString().toUtf8();
            return utf8.isEmpty() ? QStringLiteral("''")
                                  : QStringLiteral("CONVERT(X'%1' USING utf8mb4)")
                                        .arg(QLatin1String(utf8.toHex()));
        }
        case Kind::Date:
            return quoted(IsoDate(value.toDate()));
        case Kind::Time:
            return quoted(IsoTime(value.value<TimeOfDay>()));
        case Kind::Stamp:
        case Kind::ZonedStamp: {
            // No zone in MariaDB: the instant in UTC.
            TimeStamp stamp = value.value<TimeStamp>().toUtc();
            stamp.zoned = false;
            return quoted(IsoStamp(stamp));
        }
        case Kind::Uuid:
            return quoted(value.toString());
        default:
            return value.toString();
    }
}

int bindText(sqlite3_stmt* stmt, int parameter, const QByteArray& utf8) {
    return sqlite3_bind_text64(stmt, parameter, utf8.constData(), sqlite3_uint64(utf8.size()),
                               SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

QString IsoDate(const QDate& date, bool bc) {
    int year = date.year();
    const bool before = bc && year < 0;
    if (before)
        year = -year;
    QString text = QStringLiteral("%1-%2-%3")
                       .arg(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')),
                            twoDigits(date.month()), twoDigits(date.day()));
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
    if (stamp.zoned)
        text += zone(stamp.offset);
    return before ? text + QStringLiteral(" BC") : text;
}

QString EngineLiteral(Engine engine, const ColumnSpec& column, const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    return engine == Engine::Postgres ? postgresLiteral(column, value)
                                      : mariadbLiteral(column, value);
}

int BindSqlite(sqlite3_stmt* stmt, int parameter, const ColumnSpec& column, const QVariant& value) {
    if (!value.isValid())
        return sqlite3_bind_null(stmt, parameter);
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::LongLong:
            return sqlite3_bind_int64(stmt, parameter, value.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(stmt, parameter, value.toDouble());
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            if (column.kind == Kind::Memo)
                return bindText(stmt, parameter, bytes);
            // A null pointer would bind NULL, not the empty blob.
            return sqlite3_bind_blob64(stmt, parameter, bytes.isEmpty() ? "" : bytes.constData(),
                                       sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::QDate:
            return bindText(stmt, parameter, IsoDate(value.toDate()).toUtf8());
        default:
            break;
    }
    if (value.userType() == qMetaTypeId<TimeOfDay>())
        return bindText(stmt, parameter, IsoTime(value.value<TimeOfDay>()).toUtf8());
    if (value.userType() == qMetaTypeId<TimeStamp>())
        return bindText(stmt, parameter, IsoStamp(value.value<TimeStamp>()).toUtf8());
    if (column.kind == Kind::Decimal) {
        // SQLite keeps a decimal as the integer or the double it reads as.
        bool whole = false;
        const qlonglong integer = value.toString().toLongLong(&whole);
        if (whole)
            return sqlite3_bind_int64(stmt, parameter, integer);
        return sqlite3_bind_double(stmt, parameter, value.toString().toDouble());
    }
    return bindText(stmt, parameter, value.toString().toUtf8());
}
