#include "data/RowCodec.h"

#include <QDataStream>
#include <QDate>
#include <QIODevice>
#include <QVarLengthArray>
#include <cstdlib>
#include <cstring>

namespace RowCodec {
namespace {

using Tag = PackedValue::Kind;
constexpr Tag Null = PackedValue::Null, Integer = PackedValue::Integer, False = PackedValue::False,
              True = PackedValue::True, Double = PackedValue::Double,
              Latin1Text = PackedValue::Latin1Text, Utf16Text = PackedValue::Utf16Text,
              Date = PackedValue::Date, Time = PackedValue::Time, DateTime = PackedValue::DateTime,
              ZonedDateTime = PackedValue::ZonedDateTime, Bytes = PackedValue::Bytes,
              Other = PackedValue::Other;

// The exact time forms are no types of Qt's own: they get ids of their own, placed where the
// switches below can name them.
enum ValueType { TimeOfDayType = -2, TimeStampType = -3 };

template <typename T>
void put(QByteArray& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T take(const char*& at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

bool isLatin1(const QString& text) {
    const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    qsizetype i = 0;
    // Four characters at a time: one above U+00FF has a high byte in its lane.
    for (; i + 4 <= size; i += 4) {
        quint64 lanes;
        std::memcpy(&lanes, chars + i, sizeof lanes);
        if (lanes & 0xff00ff00ff00ff00ULL)
            return false;
    }
    for (; i < size; ++i) {
        if (chars[i] > 0xff)
            return false;
    }
    return true;
}

template <typename T>
const T& held(const QVariant& value) {
    return *static_cast<const T*>(value.constData());
}

// The type encodeValue writes a value as; UnknownType for what goes through QDataStream.
int encodedType(const QVariant& value) {
    if (!value.isValid())
        return QMetaType::Void;
    const int type = value.userType();
    switch (type) {
        case QMetaType::LongLong:
        case QMetaType::Bool:
        case QMetaType::Double:
        case QMetaType::QString:
        case QMetaType::QDate:
        case QMetaType::QByteArray:
            return type;
        default:
            if (type == qMetaTypeId<TimeOfDay>())
                return TimeOfDayType;
            if (type == qMetaTypeId<TimeStamp>())
                return TimeStampType;
            return QMetaType::UnknownType;
    }
}

void encodeValue(QByteArray& out, const QVariant& value) {
    switch (encodedType(value)) {
        case QMetaType::Void:
            out.append(Null);
            return;
        case QMetaType::LongLong:
            out.append(Integer);
            put<qint64>(out, value.toLongLong());
            return;
        case QMetaType::Bool:
            out.append(value.toBool() ? True : False);
            return;
        case QMetaType::Double:
            out.append(Double);
            put<double>(out, value.toDouble());
            return;
        case QMetaType::QString: {
            const QString text = value.toString();
            const qint32 size = static_cast<qint32>(text.size());
            if (isLatin1(text)) {
                out.append(Latin1Text);
                put<qint32>(out, size);
                out.append(text.toLatin1());
            } else {
                out.append(Utf16Text);
                put<qint32>(out, size);
                out.append(reinterpret_cast<const char*>(text.utf16()), size * 2);
            }
            return;
        }
        case QMetaType::QDate:
            out.append(Date);
            put<qint64>(out, value.toDate().toJulianDay());
            return;
        case TimeOfDayType:
            out.append(Time);
            put<qint64>(out, held<TimeOfDay>(value).usec);
            return;
        case TimeStampType: {
            const TimeStamp& stamp = held<TimeStamp>(value);
            out.append(stamp.zoned ? ZonedDateTime : DateTime);
            put<qint64>(out, stamp.date.toJulianDay());
            put<qint64>(out, stamp.usec);
            if (stamp.zoned)
                put<qint32>(out, stamp.offset);
            return;
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            out.append(Bytes);
            put<qint32>(out, static_cast<qint32>(bytes.size()));
            out.append(bytes);
            return;
        }
        default: {
            QByteArray data;
            QDataStream stream(&data, QIODevice::WriteOnly);
            stream << value;
            out.append(Other);
            put<qint32>(out, static_cast<qint32>(data.size()));
            out.append(data);
        }
    }
}

template <typename T>
char* place(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

// Bytes encodeValue writes for the value, or -1 for a value that goes through QDataStream.
qsizetype encodedSize(const QVariant& value) {
    switch (encodedType(value)) {
        case QMetaType::Void:
        case QMetaType::Bool:
            return 1;
        case QMetaType::LongLong:
        case QMetaType::Double:
        case QMetaType::QDate:
            return 1 + 8;
        case TimeOfDayType:
            return 1 + 8;
        case TimeStampType:
            return held<TimeStamp>(value).zoned ? 1 + 8 + 8 + 4 : 1 + 8 + 8;
        case QMetaType::QString: {
            const QString& text = held<QString>(value);
            return 1 + 4 + (isLatin1(text) ? text.size() : text.size() * 2);
        }
        case QMetaType::QByteArray:
            return 1 + 4 + held<QByteArray>(value).size();
        default:
            return -1;
    }
}

// As encodeValue, into the `measured` bytes encodedSize gave.
char* encodeValueInPlace(char* at, const QVariant& value, qsizetype measured) {
    switch (encodedType(value)) {
        case QMetaType::LongLong:
            *at++ = Integer;
            return place<qint64>(at, held<qlonglong>(value));
        case QMetaType::Bool:
            *at++ = held<bool>(value) ? True : False;
            return at;
        case QMetaType::Double:
            *at++ = Double;
            return place<double>(at, held<double>(value));
        case QMetaType::QString: {
            const QString& text = held<QString>(value);
            const qint32 size = static_cast<qint32>(text.size());
            const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
            // The size tells how the text was measured; it need not be scanned again.
            if (measured == 1 + 4 + size) {
                *at++ = Latin1Text;
                at = place<qint32>(at, size);
                for (qint32 i = 0; i < size; ++i)
                    *at++ = static_cast<char>(chars[i]);
                return at;
            }
            *at++ = Utf16Text;
            at = place<qint32>(at, size);
            std::memcpy(at, chars, static_cast<size_t>(size) * 2);
            return at + size * 2;
        }
        case QMetaType::QDate:
            *at++ = Date;
            return place<qint64>(at, held<QDate>(value).toJulianDay());
        case TimeOfDayType:
            *at++ = Time;
            return place<qint64>(at, held<TimeOfDay>(value).usec);
        case TimeStampType: {
            const TimeStamp& stamp = held<TimeStamp>(value);
            *at++ = stamp.zoned ? ZonedDateTime : DateTime;
            at = place<qint64>(at, stamp.date.toJulianDay());
            at = place<qint64>(at, stamp.usec);
            return stamp.zoned ? place<qint32>(at, stamp.offset) : at;
        }
        case QMetaType::QByteArray: {
            const QByteArray& bytes = held<QByteArray>(value);
            *at++ = Bytes;
            at = place<qint32>(at, static_cast<qint32>(bytes.size()));
            std::memcpy(at, bytes.constData(), static_cast<size_t>(bytes.size()));
            return at + bytes.size();
        }
        default:
            *at++ = Null;
            return at;
    }
}

QByteArray encodeByAppending(const Row& row) {
    QByteArray out;
    out.reserve(16 + row.size() * 10);
    put<qint32>(out, static_cast<qint32>(row.size()));
    for (const QVariant& value : row)
        encodeValue(out, value);
    out.squeeze();
    return out;
}

}  // namespace

QByteArray Encode(const Row& row) {
    // Sized first and written in place: one allocation per row, and no copy of a value.
    QVarLengthArray<qsizetype, 32> sizes(row.size());
    qsizetype size = sizeof(qint32);
    for (qsizetype i = 0; i < row.size(); ++i) {
        sizes[i] = encodedSize(row[i]);
        if (sizes[i] < 0)
            return encodeByAppending(row);
        size += sizes[i];
    }
    QByteArray out(size, Qt::Uninitialized);
    char* at = out.data();
    at = place<qint32>(at, static_cast<qint32>(row.size()));
    for (qsizetype i = 0; i < row.size(); ++i)
        at = encodeValueInPlace(at, row[i], sizes[i]);
    return out;
}

void Unpack(const QByteArray& packed, std::vector<PackedValue>& values) {
    const char* at = packed.constData();
    const qint32 count = take<qint32>(at);
    values.resize(static_cast<size_t>(count));
    for (PackedValue& value : values) {
        value.kind = static_cast<Tag>(*at++);
        switch (value.kind) {
            case Null:
            case False:
            case True:
                break;
            case Integer:
            case Date:
                value.integer = take<qint64>(at);
                break;
            case Double:
                value.real = take<double>(at);
                break;
            case Time:
                value.usec = take<qint64>(at);
                break;
            case DateTime:
            case ZonedDateTime:
                value.integer = take<qint64>(at);
                value.usec = take<qint64>(at);
                value.offset = value.kind == ZonedDateTime ? take<qint32>(at) : 0;
                break;
            case Latin1Text:
            case Bytes:
            case Other:
                value.size = take<qint32>(at);
                value.data = at;
                at += value.size;
                break;
            case Utf16Text:
                value.size = take<qint32>(at);
                value.data = at;
                at += value.size * 2;
                break;
        }
    }
}

QVariant ToVariant(const PackedValue& value) {
    switch (value.kind) {
        case Null:
            return QVariant();
        case Integer:
            return qlonglong(value.integer);
        case False:
            return false;
        case True:
            return true;
        case Double:
            return value.real;
        case Latin1Text:
            return QString::fromLatin1(value.data, value.size);
        case Utf16Text: {
            QString text(value.size, Qt::Uninitialized);
            std::memcpy(text.data(), value.data, static_cast<size_t>(value.size) * 2);
            return text;
        }
        case Date:
            return QDate::fromJulianDay(value.integer);
        case Time:
            return QVariant::fromValue(TimeOfDay{value.usec});
        case DateTime:
        case ZonedDateTime: {
            TimeStamp stamp;
            stamp.date = QDate::fromJulianDay(value.integer);
            stamp.usec = value.usec;
            stamp.zoned = value.kind == ZonedDateTime;
            stamp.offset = value.offset;
            return QVariant::fromValue(stamp);
        }
        case Bytes:
            return QByteArray(value.data, value.size);
        case Other: {
            QDataStream stream(QByteArray::fromRawData(value.data, value.size));
            QVariant result;
            stream >> result;
            return result;
        }
    }
    return QVariant();
}

Row Decode(const QByteArray& packed) {
    thread_local std::vector<PackedValue> values;  // a commit decodes row after row
    Unpack(packed, values);
    Row row;
    row.reserve(static_cast<qsizetype>(values.size()));
    for (const PackedValue& value : values)
        row.append(ToVariant(value));
    return row;
}

}  // namespace RowCodec
