#include "data/sqlite/SqliteTypes.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/IsoDateTime.h"

#include <QRegularExpression>
#include <QStringList>
#include <charconv>
#include <cmath>

namespace SqliteTypes {
namespace {

bool oneOf(const QString& value, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (value == QLatin1String(name))
            return true;
    }
    return false;
}

}  // namespace

ColumnInfo MapColumn(const QString& name, const QString& declaredType, bool autoIncrement) {
    static const QRegularExpression shape(
        QStringLiteral("^\\s*([A-Z_ ]*?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"));
    const QString declared = declaredType.trimmed().toUpper();
    const auto m = shape.match(declared);
    const QString base = m.hasMatch() ? m.captured(1).simplified() : declared;
    const int length = m.hasMatch() ? m.captured(2).toInt() : 0;
    const bool hasScale = m.hasMatch() && m.capturedLength(3) > 0;
    const int scale = hasScale ? m.captured(3).toInt() : 0;

    ColumnInfo info;
    info.name = name;
    if (oneOf(base, {"SMALLINT", "INT2", "TINYINT"})) {
        info.type = ftSmallint;
    } else if (oneOf(base, {"BIGINT", "INT8", "UNSIGNED BIG INT"})) {
        info.type = ftLargeint;
    } else if (oneOf(base, {"INTEGER", "INT", "INT4", "MEDIUMINT"})) {
        info.type = autoIncrement ? ftAutoInc : ftInteger;
        info.generated = autoIncrement;
    } else if (oneOf(base, {"BOOLEAN", "BOOL", "BIT"})) {
        info.type = ftBoolean;
    } else if (oneOf(base, {"REAL", "DOUBLE", "DOUBLE PRECISION", "FLOAT", "FLOAT4", "FLOAT8"})) {
        info.type = ftFloat;
    } else if (oneOf(base, {"MONEY", "SMALLMONEY", "CURRENCY"})) {
        info.type = ftCurrency;
    } else if (oneOf(base, {"NUMERIC", "DECIMAL", "DEC", "NUMBER"})) {
        info.type = hasScale && scale <= 4 ? ftBCD : (length > 0 && !hasScale ? ftBCD : ftFMTBcd);
        info.limits.precision = length;
        info.limits.scale = hasScale ? scale : (length > 0 ? 0 : -1);
    } else if (base == QLatin1String("DATE")) {
        info.type = ftDate;
    } else if (base == QLatin1String("TIME")) {
        info.type = ftTime;
    } else if (oneOf(base, {"DATETIME", "TIMESTAMP"})) {
        info.type = ftDateTime;
    } else if (oneOf(base, {"CHAR", "CHARACTER", "NCHAR", "NATIVE CHARACTER"})) {
        info.type = ftFixedChar;
        info.size = length;
    } else if (oneOf(base, {"VARCHAR", "NVARCHAR", "VARYING CHARACTER", "CHARACTER VARYING", "TEXT",
                            "STRING", "VARCHAR2", ""})) {
        info.type = ftString;
        info.size = length;
    } else if (oneOf(base, {"CLOB", "LONGTEXT", "MEDIUMTEXT", "LONG VARCHAR", "MEMO", "NTEXT",
                            "LONG TEXT"})) {
        info.type = ftMemo;
    } else if (oneOf(base,
                     {"BLOB", "LONGBLOB", "MEDIUMBLOB", "VARBINARY", "BINARY", "BYTEA", "IMAGE"})) {
        info.type = ftBlob;
    } else if (oneOf(base, {"GUID", "UUID", "UNIQUEIDENTIFIER"})) {
        info.type = ftGuid;
    } else if (declared.contains(QLatin1String("INT"))) {
        // SQLite's own affinity rules for everything else.
        info.type = ftInteger;
    } else if (declared.contains(QLatin1String("CHAR")) ||
               declared.contains(QLatin1String("CLOB")) ||
               declared.contains(QLatin1String("TEXT"))) {
        info.type = ftString;
    } else if (declared.contains(QLatin1String("BLOB"))) {
        info.type = ftBlob;
    } else if (declared.contains(QLatin1String("REAL")) ||
               declared.contains(QLatin1String("FLOA")) ||
               declared.contains(QLatin1String("DOUB"))) {
        info.type = ftFloat;
    } else {
        info.type = ftFMTBcd;
    }
    // SQLite keeps a number as a 64-bit integer or a double, and turns NaN into NULL.
    info.limits.realDecimals = true;
    info.limits.holdsNaN = false;
    if (info.type == ftDate || info.type == ftDateTime) {
        // Dates are ISO text of four-digit years, the years SQLite's date functions and our
        // reader take; "-001-12-31" or "10000-01-01" would come back as text.
        info.limits.minDate = QDate(1, 1, 1);
        info.limits.maxDate = QDate(9999, 12, 31);
    }
    return info;
}

namespace {

QString columnText(sqlite3_stmt* stmt, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

QByteArray columnBytes(sqlite3_stmt* stmt, int column) {
    const void* data = sqlite3_column_blob(stmt, column);
    return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt, column));
}

// What a column of another type holds: SQLite keeps every value in the storage class it got.
QVariant storedValue(sqlite3_stmt* stmt, int column, int storage) {
    switch (storage) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt, column));
        case SQLITE_BLOB:
            return QVariant(columnBytes(stmt, column));
        default:
            return QVariant(columnText(stmt, column));
    }
}

QVariant readDecimal(sqlite3_stmt* stmt, int column, int storage) {
    QString decimal;
    switch (storage) {
        case SQLITE_INTEGER:
            return QVariant(QString::number(sqlite3_column_int64(stmt, column)));
        case SQLITE_FLOAT:
            // The shortest decimal that reads back as the double SQLite holds.
            if (Decimal::FromDouble(sqlite3_column_double(stmt, column), decimal))
                return QVariant(decimal);
            return QVariant(sqlite3_column_double(stmt, column));
        case SQLITE_TEXT: {
            const QString raw = columnText(stmt, column);
            return QVariant(Decimal::Normalize(raw, decimal) ? decimal : raw);
        }
        default:
            return storedValue(stmt, column, storage);
    }
}

QVariant readTemporal(sqlite3_stmt* stmt, int column, int storage, TFieldType type) {
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        // A number in a date column is a Julian day, as SQLite's date functions read it.
        const double jd = sqlite3_column_double(stmt, column);
        QDate date;
        QTime time;
        FieldConvert::FromDayCount(jd - 2415018.5, date, time);  // JD of 30 December 1899
        if (type == ftDate)
            return QVariant(date);
        if (type == ftTime)
            return QVariant::fromValue(TimeOfDay::fromQTime(time));
        TimeStamp stamp;
        stamp.date = date;
        stamp.usec = TimeOfDay::fromQTime(time).usec;
        return QVariant::fromValue(stamp);
    }
    if (storage != SQLITE_TEXT)
        return storedValue(stmt, column, storage);
    const auto* raw = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int length = sqlite3_column_bytes(stmt, column);
    switch (type) {
        case ftDate: {
            QDate date;
            if (IsoDateTime::ParseDate(raw, length, date))
                return QVariant(date);
            break;
        }
        case ftTime: {
            TimeOfDay time;
            if (IsoDateTime::ParseTime(raw, length, time))
                return QVariant::fromValue(time);
            break;
        }
        default: {
            TimeStamp stamp;
            if (IsoDateTime::ParseTimeStamp(raw, length, stamp))
                return QVariant::fromValue(stamp);
        }
    }
    // SQLite keeps a date as the statement spelled it: an Ansi script's dates are in the user's
    // formats. Text that is no date at all is kept as it stands.
    const QString stored = columnText(stmt, column);
    ColumnInfo field;
    field.type = type;
    field.limits.anyText = true;
    return FieldConvert::FromValue(field, stored);
}

}  // namespace

QVariant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type) {
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return QVariant();
    switch (KindOf(type)) {
        case FieldKind::Integer:
            if (storage == SQLITE_INTEGER)
                return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, column)));
            break;
        case FieldKind::Boolean:
            if (storage == SQLITE_INTEGER || storage == SQLITE_TEXT) {
                ColumnInfo field;
                field.type = type;
                field.limits.anyText = true;
                // 0 and 1, and the words for them; anything else stays as it is.
                const QVariant stored = storedValue(stmt, column, storage);
                try {
                    return FieldConvert::FromValue(field, stored);
                } catch (const Exception&) {
                    return stored;
                }
            }
            break;
        case FieldKind::Float:
            if (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)
                return QVariant(sqlite3_column_double(stmt, column));
            break;
        case FieldKind::Bcd:
            return readDecimal(stmt, column, storage);
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return readTemporal(stmt, column, storage, type);
        case FieldKind::Bytes:
        case FieldKind::Blob:
            if (storage == SQLITE_BLOB || storage == SQLITE_TEXT)
                return QVariant(columnBytes(stmt, column));
            break;
        case FieldKind::TextBlob:
            if (storage == SQLITE_BLOB || storage == SQLITE_TEXT)
                return QVariant(columnBytes(stmt, column));
            break;
        case FieldKind::Text:
            if (storage == SQLITE_TEXT)
                return QVariant(columnText(stmt, column));
            break;
    }
    return storedValue(stmt, column, storage);
}

namespace {

template <typename T>
const T& held(const QVariant& value) {
    return *static_cast<const T*>(value.constData());
}

// Room for the UTF-8 of most texts on the stack; ASCII is its own UTF-8.
int bindText(sqlite3_stmt* stmt, int parameter, const QString& text) {
    char ascii[256];
    const qsizetype size = text.size();
    if (size <= qsizetype(sizeof ascii)) {
        const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
        qsizetype i = 0;
        for (; i < size && chars[i] < 0x80; ++i)
            ascii[i] = static_cast<char>(chars[i]);
        if (i == size)
            return sqlite3_bind_text64(stmt, parameter, ascii, static_cast<sqlite3_uint64>(size),
                                       SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text64(stmt, parameter, utf8.constData(),
                               static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
}

int bindIso(sqlite3_stmt* stmt, int parameter, const char* text, int length) {
    return sqlite3_bind_text64(stmt, parameter, text, static_cast<sqlite3_uint64>(length),
                               SQLITE_TRANSIENT, SQLITE_UTF8);
}

// A decimal as SQLite keeps numbers: a 64-bit integer, or the double nearest to it. SQLite's
// own reading of the text would keep 15 digits, and not always round to the nearest double.
// Text that is no decimal is kept as text.
int bindDecimal(sqlite3_stmt* stmt, int parameter, const QString& text) {
    QString normal;
    if (!Decimal::IsNormal(text) && !Decimal::Normalize(text, normal))
        return bindText(stmt, parameter, text);
    // "20000000000000001.00" is that integer; as a double it would be 20000000000000000.
    qint64 whole = 0;
    if (Decimal::ToInteger(normal.isEmpty() ? text : normal, whole))
        return sqlite3_bind_int64(stmt, parameter, whole);
    const QByteArray ascii = (normal.isEmpty() ? text : normal).toLatin1();
    const char* const end = ascii.constData() + ascii.size();
    double real = 0;
    const auto floating = std::from_chars(ascii.constData(), end, real);
    if (floating.ec == std::errc() && floating.ptr == end)
        return sqlite3_bind_double(stmt, parameter, real);
    return bindText(stmt, parameter, text);
}

}  // namespace

int Bind(sqlite3_stmt* stmt, int parameter, const QVariant& value, TFieldType type) {
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, parameter);
    const int typeId = value.userType();
    char iso[IsoDateTime::WriteRoom];
    switch (typeId) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            return sqlite3_bind_int64(stmt, parameter, value.toLongLong());
        case QMetaType::Bool:
            return sqlite3_bind_int(stmt, parameter, value.toBool() ? 1 : 0);
        case QMetaType::Double:
            return sqlite3_bind_double(stmt, parameter, value.toDouble());
        case QMetaType::QDate:
            return bindIso(stmt, parameter, iso, IsoDateTime::WriteDate(iso, value.toDate()));
        case QMetaType::QString: {
            const QString& text = held<QString>(value);
            if (KindOf(type) == FieldKind::Bcd)
                return bindDecimal(stmt, parameter, text);
            return bindText(stmt, parameter, text);
        }
        case QMetaType::QByteArray: {
            const QByteArray& bytes = held<QByteArray>(value);
            // A memo is text to SQLite, as long as it is UTF-8.
            if (KindOf(type) == FieldKind::TextBlob) {
                if (QString::fromUtf8(bytes).toUtf8() == bytes)
                    return sqlite3_bind_text64(stmt, parameter, bytes.constData(),
                                               static_cast<sqlite3_uint64>(bytes.size()),
                                               SQLITE_TRANSIENT, SQLITE_UTF8);
            }
            return sqlite3_bind_blob64(stmt, parameter, bytes.constData(),
                                       static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
        }
        default:
            break;
    }
    if (typeId == qMetaTypeId<TimeOfDay>())
        return bindIso(stmt, parameter, iso, IsoDateTime::WriteTime(iso, held<TimeOfDay>(value)));
    if (typeId == qMetaTypeId<TimeStamp>())
        return bindIso(stmt, parameter, iso,
                       IsoDateTime::WriteTimeStamp(iso, held<TimeStamp>(value)));
    return bindText(stmt, parameter, value.toString());
}

namespace {

// The text's UTF-8 in `room`; ASCII, the usual case, by a plain copy.
void putUtf8(QByteArray& room, const QString& text) {
    const qsizetype size = text.size();
    room.resize(size);
    const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
    char* out = room.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] >= 0x80) {
            room = text.toUtf8();
            return;
        }
        out[i] = static_cast<char>(chars[i]);
    }
}

bool isAscii(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

// UTF-8 that SQLite reads in place.
int bindStaticText(sqlite3_stmt* stmt, int parameter, const char* data, qsizetype size) {
    return sqlite3_bind_text64(stmt, parameter, data, static_cast<sqlite3_uint64>(size),
                               SQLITE_STATIC, SQLITE_UTF8);
}

// A date or time that `write` puts into `room`, bound there.
template <typename Write>
int bindWritten(sqlite3_stmt* stmt, int parameter, QByteArray& room, const Write& write) {
    room.resize(IsoDateTime::WriteRoom);
    room.resize(write(room.data()));
    return bindStaticText(stmt, parameter, room.constData(), room.size());
}

}  // namespace

int BindInPlace(sqlite3_stmt* stmt, int parameter, const QVariant& value, TFieldType type,
                QByteArray& room) {
    const int typeId = value.userType();
    const FieldKind kind = KindOf(type);
    switch (typeId) {
        case QMetaType::QDate:
            return bindWritten(stmt, parameter, room, [&](char* out) {
                return IsoDateTime::WriteDate(out, held<QDate>(value));
            });
        case QMetaType::QByteArray: {
            const QByteArray& bytes = held<QByteArray>(value);
            if (kind == FieldKind::Bytes || kind == FieldKind::Blob)
                return sqlite3_bind_blob64(stmt, parameter, bytes.constData(),
                                           static_cast<sqlite3_uint64>(bytes.size()),
                                           SQLITE_STATIC);
            // Bytes that are no ASCII are checked for UTF-8 by Bind.
            if (kind == FieldKind::TextBlob && isAscii(bytes.constData(), bytes.size()))
                return bindStaticText(stmt, parameter, bytes.constData(), bytes.size());
            break;
        }
        case QMetaType::QString:
            if (kind != FieldKind::Bcd) {
                putUtf8(room, held<QString>(value));
                return bindStaticText(stmt, parameter, room.constData(), room.size());
            }
            break;
        case QMetaType::LongLong:
            return sqlite3_bind_int64(stmt, parameter, held<qlonglong>(value));
        case QMetaType::Bool:
            return sqlite3_bind_int(stmt, parameter, held<bool>(value) ? 1 : 0);
        case QMetaType::Double:
            return sqlite3_bind_double(stmt, parameter, held<double>(value));
        default:
            if (typeId == qMetaTypeId<TimeOfDay>())
                return bindWritten(stmt, parameter, room, [&](char* out) {
                    return IsoDateTime::WriteTime(out, held<TimeOfDay>(value));
                });
            if (typeId == qMetaTypeId<TimeStamp>())
                return bindWritten(stmt, parameter, room, [&](char* out) {
                    return IsoDateTime::WriteTimeStamp(out, held<TimeStamp>(value));
                });
    }
    return Bind(stmt, parameter, value, type);
}

int BindPacked(sqlite3_stmt* stmt, int parameter, const RowCodec::PackedValue& value,
               TFieldType type, QByteArray& room) {
    using Packed = RowCodec::PackedValue;
    const FieldKind kind = KindOf(type);
    switch (value.kind) {
        case Packed::Null:
            return sqlite3_bind_null(stmt, parameter);
        case Packed::Integer:
            return sqlite3_bind_int64(stmt, parameter, value.integer);
        case Packed::True:
        case Packed::False:
            return sqlite3_bind_int(stmt, parameter, value.kind == Packed::True ? 1 : 0);
        case Packed::Double:
            return sqlite3_bind_double(stmt, parameter, value.real);
        case Packed::Latin1Text:
            // Latin-1 text that is ASCII is its own UTF-8.
            if (kind != FieldKind::Bcd && isAscii(value.data, value.size))
                return bindStaticText(stmt, parameter, value.data, value.size);
            break;
        case Packed::Date:
            return bindWritten(stmt, parameter, room, [&](char* out) {
                return IsoDateTime::WriteDate(out, QDate::fromJulianDay(value.integer));
            });
        case Packed::Time:
            return bindWritten(stmt, parameter, room, [&](char* out) {
                return IsoDateTime::WriteTime(out, TimeOfDay{value.usec});
            });
        case Packed::DateTime:
        case Packed::ZonedDateTime:
            return bindWritten(stmt, parameter, room, [&](char* out) {
                TimeStamp stamp;
                stamp.date = QDate::fromJulianDay(value.integer);
                stamp.usec = value.usec;
                stamp.zoned = value.kind == Packed::ZonedDateTime;
                stamp.offset = value.offset;
                return IsoDateTime::WriteTimeStamp(out, stamp);
            });
        case Packed::Bytes:
            if (kind == FieldKind::Bytes || kind == FieldKind::Blob)
                return sqlite3_bind_blob64(stmt, parameter, value.data,
                                           static_cast<sqlite3_uint64>(value.size), SQLITE_STATIC);
            if (kind == FieldKind::TextBlob && isAscii(value.data, value.size))
                return bindStaticText(stmt, parameter, value.data, value.size);
            break;
        default:
            break;
    }
    // What is left binds a copy, so the value made here may go.
    return Bind(stmt, parameter, RowCodec::ToVariant(value), type);
}

}  // namespace SqliteTypes
