#include "data/sqlite/SqliteTypes.h"

#include "data/FieldConvert.h"
#include "data/IsoDateTime.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
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

// The decimal of at most 15 significant digits and a few fraction digits whose nearest double is
// `value`, if there is one. SQLite writes a REAL as its text rounded to 15 significant digits,
// which for such a value are exactly these digits, so the text need not be made and read back.
bool shortDecimal(double value, QString& result) {
    double scale = 1;
    for (int places = 0; places <= 6; ++places, scale *= 10) {
        const double whole = std::nearbyint(value * scale);
        if (!(std::fabs(whole) < 1e15))
            return false;
        if (whole / scale != value)
            continue;
        if (whole == 0) {
            result = QStringLiteral("0");
            return true;
        }
        char digits[24];
        char* end = digits + sizeof digits;
        char* at = end;
        quint64 rest = static_cast<quint64>(std::fabs(whole));
        for (int i = 0; rest != 0 || i <= places; ++i) {
            if (i == places && places > 0)
                *--at = '.';
            *--at = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        if (whole < 0)
            *--at = '-';
        result = QString::fromLatin1(at, end - at);
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
        // Without a declared scale the column may hold any number: keep it exact, as text.
        info.type = hasScale && scale <= 4 ? ftBCD : (length > 0 && !hasScale ? ftBCD : ftFMTBcd);
        info.size = scale;
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
    return info;
}

QVariant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type) {
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return QVariant();
    const auto text = [&] {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    };
    const auto bytes = [&] {
        const void* data = sqlite3_column_blob(stmt, column);
        return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt, column));
    };
    switch (KindOf(type)) {
        case FieldKind::Integer:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, column)));
        case FieldKind::Boolean:
            if (storage == SQLITE_TEXT) {
                const QString t = text().trimmed().toLower();
                return QVariant(t == QLatin1String("true") || t == QLatin1String("t") ||
                                t == QLatin1String("yes") || t == QLatin1String("1"));
            }
            return QVariant(sqlite3_column_double(stmt, column) != 0);
        case FieldKind::Float:
            return QVariant(sqlite3_column_double(stmt, column));
        case FieldKind::Bcd: {
            QString decimal;
            if (storage == SQLITE_INTEGER)
                return QVariant(QString::number(sqlite3_column_int64(stmt, column)));
            if (storage == SQLITE_FLOAT &&
                shortDecimal(sqlite3_column_double(stmt, column), decimal))
                return QVariant(decimal);
            const QString raw = text();
            return QVariant(FieldConvert::NormalizeDecimal(raw, -1, decimal) ? decimal : raw);
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime: {
            QDateTime dt;
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
                // A number in a date column is a Julian day, as SQLite's date functions read it.
                const double jd = sqlite3_column_double(stmt, column);
                const double days = jd - 2415018.5;  // Julian day of 30 December 1899
                QDate date;
                QTime time;
                FieldConvert::FromDayCount(days, date, time);
                dt = QDateTime(date, time, Qt::UTC);
            } else {
                const auto* raw = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
                const int length = sqlite3_column_bytes(stmt, column);
                QDate date;
                QTime time;
                bool ok = type == ftTime ? IsoDateTime::ParseTime(raw, length, time)
                                         : IsoDateTime::ParseDateTime(raw, length, date, time);
                // SQLite keeps a date as the statement spelled it: an Ansi script's dates are in
                // the user's formats.
                if (!ok) {
                    const QString stored = text();
                    ok = type == ftTime ? FieldConvert::ParseTime(stored, time)
                                        : FieldConvert::ParseDateTime(stored, date, time);
                    if (!ok)
                        return QVariant(stored);  // kept as it stands rather than lost
                }
                if (type == ftTime)
                    return QVariant(time);
                if (type == ftDate)
                    return QVariant(date);
                dt = QDateTime(date, time, Qt::UTC);
            }
            if (type == ftDate)
                return QVariant(dt.date());
            if (type == ftTime)
                return QVariant(dt.time());
            return QVariant(dt);
        }
        case FieldKind::Bytes:
        case FieldKind::Blob:
            return QVariant(bytes());
        case FieldKind::TextBlob:
            return QVariant(storage == SQLITE_BLOB ? bytes() : text().toUtf8());
        case FieldKind::Text:
            break;
    }
    return QVariant(storage == SQLITE_BLOB ? QString::fromUtf8(bytes()) : text());
}

int Bind(sqlite3_stmt* stmt, int parameter, const QVariant& value, TFieldType type) {
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, parameter);
    const auto bindUtf8 = [&](const QByteArray& utf8) {
        return sqlite3_bind_text64(stmt, parameter, utf8.constData(),
                                   static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    };
    const auto bindText = [&](const QString& text) {
        // Most text is ASCII, which is its own UTF-8: no conversion into a new array then.
        char ascii[256];
        const qsizetype size = text.size();
        if (size <= qsizetype(sizeof ascii)) {
            const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
            qsizetype i = 0;
            for (; i < size && chars[i] < 0x80; ++i)
                ascii[i] = static_cast<char>(chars[i]);
            if (i == size)
                return sqlite3_bind_text64(stmt, parameter, ascii,
                                           static_cast<sqlite3_uint64>(size), SQLITE_TRANSIENT,
                                           SQLITE_UTF8);
        }
        const QByteArray utf8 = text.toUtf8();
        return sqlite3_bind_text64(stmt, parameter, utf8.constData(),
                                   static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    };
    const auto bindBytes = [&](const QByteArray& bytes) {
        return sqlite3_bind_blob64(stmt, parameter, bytes.constData(),
                                   static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
    };
    switch (KindOf(type)) {
        case FieldKind::Integer:
            return sqlite3_bind_int64(stmt, parameter, value.toLongLong());
        case FieldKind::Boolean:
            return sqlite3_bind_int(stmt, parameter, value.toBool() ? 1 : 0);
        case FieldKind::Float:
            return sqlite3_bind_double(stmt, parameter, value.toDouble());
        case FieldKind::Date:
            if (value.typeId() == QMetaType::QDate)
                return bindUtf8(IsoDateTime::FormatDate(value.toDate()));
            break;
        case FieldKind::Time:
            if (value.typeId() == QMetaType::QTime)
                return bindUtf8(IsoDateTime::FormatTime(value.toTime()));
            break;
        case FieldKind::DateTime:
            if (value.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = value.toDateTime();
                return bindUtf8(IsoDateTime::FormatDateTime(dt.date(), dt.time()));
            }
            break;
        case FieldKind::Bytes:
        case FieldKind::Blob:
            return bindBytes(value.toByteArray());
        case FieldKind::TextBlob:
            return bindText(QString::fromUtf8(value.toByteArray()));
        case FieldKind::Bcd:
        case FieldKind::Text:
            if (value.typeId() == QMetaType::QString)
                return bindText(*static_cast<const QString*>(value.constData()));
            break;
    }
    return bindText(value.toString());
}

namespace {

template <typename T>
const T& held(const QVariant& value) {
    return *static_cast<const T*>(value.constData());
}

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

bool isAscii(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
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
    const int typeId = value.typeId();
    const auto bindRoom = [&] {
        return bindStaticText(stmt, parameter, room.constData(), room.size());
    };
    const auto bindDate = [&](const auto& write) {
        return bindWritten(stmt, parameter, room, write);
    };
    switch (KindOf(type)) {
        case FieldKind::Date:
            if (typeId == QMetaType::QDate)
                return bindDate(
                    [&](char* out) { return IsoDateTime::WriteDate(out, held<QDate>(value)); });
            break;
        case FieldKind::Time:
            if (typeId == QMetaType::QTime)
                return bindDate(
                    [&](char* out) { return IsoDateTime::WriteTime(out, held<QTime>(value)); });
            break;
        case FieldKind::DateTime:
            if (typeId == QMetaType::QDateTime) {
                const QDateTime& dt = held<QDateTime>(value);
                return bindDate([&](char* out) {
                    return IsoDateTime::WriteDateTime(out, dt.date(), dt.time());
                });
            }
            break;
        case FieldKind::Bytes:
        case FieldKind::Blob:
            if (typeId == QMetaType::QByteArray) {
                const QByteArray& bytes = held<QByteArray>(value);
                return sqlite3_bind_blob64(stmt, parameter, bytes.constData(),
                                           static_cast<sqlite3_uint64>(bytes.size()),
                                           SQLITE_STATIC);
            }
            break;
        case FieldKind::TextBlob:
            // Bytes that are no UTF-8 go through a QString as Bind sends them.
            if (typeId == QMetaType::QByteArray && isAscii(held<QByteArray>(value))) {
                const QByteArray& bytes = held<QByteArray>(value);
                return sqlite3_bind_text64(stmt, parameter, bytes.constData(),
                                           static_cast<sqlite3_uint64>(bytes.size()), SQLITE_STATIC,
                                           SQLITE_UTF8);
            }
            break;
        case FieldKind::Bcd:
        case FieldKind::Text:
            if (typeId == QMetaType::QString) {
                putUtf8(room, held<QString>(value));
                return bindRoom();
            }
            break;
        case FieldKind::Integer:
            if (typeId == QMetaType::LongLong)
                return sqlite3_bind_int64(stmt, parameter, held<qlonglong>(value));
            break;
        case FieldKind::Boolean:
            if (typeId == QMetaType::Bool)
                return sqlite3_bind_int(stmt, parameter, held<bool>(value) ? 1 : 0);
            break;
        case FieldKind::Float:
            if (typeId == QMetaType::Double)
                return sqlite3_bind_double(stmt, parameter, held<double>(value));
            break;
    }
    return Bind(stmt, parameter, value, type);
}

int BindPacked(sqlite3_stmt* stmt, int parameter, const RowCodec::PackedValue& value,
               TFieldType type, QByteArray& room) {
    using Packed = RowCodec::PackedValue;
    const auto bindDate = [&](const auto& write) {
        return bindWritten(stmt, parameter, room, write);
    };
    const auto asciiData = [&] {
        const QByteArray bytes = QByteArray::fromRawData(value.data, value.size);
        return isAscii(bytes);
    };
    const auto bindData = [&] { return bindStaticText(stmt, parameter, value.data, value.size); };
    switch (KindOf(type)) {
        case FieldKind::Integer:
            if (value.kind == Packed::Integer)
                return sqlite3_bind_int64(stmt, parameter, value.integer);
            break;
        case FieldKind::Boolean:
            if (value.kind == Packed::True || value.kind == Packed::False)
                return sqlite3_bind_int(stmt, parameter, value.kind == Packed::True ? 1 : 0);
            break;
        case FieldKind::Float:
            if (value.kind == Packed::Double)
                return sqlite3_bind_double(stmt, parameter, value.real);
            break;
        case FieldKind::Bcd:
        case FieldKind::Text:
            // Latin-1 text that is ASCII is its own UTF-8.
            if (value.kind == Packed::Latin1Text && asciiData())
                return bindData();
            break;
        case FieldKind::Date:
            if (value.kind == Packed::Date)
                return bindDate([&](char* out) {
                    return IsoDateTime::WriteDate(out, QDate::fromJulianDay(value.integer));
                });
            break;
        case FieldKind::Time:
            if (value.kind == Packed::Time && value.ms >= 0)
                return bindDate([&](char* out) {
                    return IsoDateTime::WriteTime(out, QTime::fromMSecsSinceStartOfDay(value.ms));
                });
            break;
        case FieldKind::DateTime:
            // A local date-time may move when unpacked (a gap of daylight saving time).
            if (value.kind == Packed::DateTime && value.spec == Qt::UTC && value.ms >= 0)
                return bindDate([&](char* out) {
                    return IsoDateTime::WriteDateTime(out, QDate::fromJulianDay(value.integer),
                                                      QTime::fromMSecsSinceStartOfDay(value.ms));
                });
            break;
        case FieldKind::Bytes:
        case FieldKind::Blob:
            if (value.kind == Packed::Bytes)
                return sqlite3_bind_blob64(stmt, parameter, value.data,
                                           static_cast<sqlite3_uint64>(value.size), SQLITE_STATIC);
            break;
        case FieldKind::TextBlob:
            if (value.kind == Packed::Bytes && asciiData())
                return bindData();
            break;
    }
    // What is left binds a copy, so the value made here may go.
    return Bind(stmt, parameter, RowCodec::ToVariant(value), type);
}

}  // namespace SqliteTypes
