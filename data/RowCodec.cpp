#include "data/RowCodec.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QTime>
#include <cstring>

namespace RowCodec {
namespace {

enum Tag : char {
    Null,
    Integer,
    False,
    True,
    Double,
    Latin1Text,
    Utf16Text,
    Date,
    Time,
    DateTime,
    Bytes,
    Other,  // anything else, through QDataStream
};

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
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

void encodeValue(QByteArray& out, const QVariant& value) {
    if (!value.isValid()) {
        out.append(Null);
        return;
    }
    int type = value.typeId();
    if (type == QMetaType::QDateTime && value.toDateTime().timeSpec() != Qt::UTC &&
        value.toDateTime().timeSpec() != Qt::LocalTime)
        type = QMetaType::UnknownType;  // a zone or an offset: kept whole below
    switch (type) {
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
        case QMetaType::QTime:
            out.append(Time);
            put<qint32>(out, value.toTime().isValid() ? value.toTime().msecsSinceStartOfDay() : -1);
            return;
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            out.append(DateTime);
            put<qint64>(out, dt.date().toJulianDay());
            put<qint32>(out, dt.time().isValid() ? dt.time().msecsSinceStartOfDay() : -1);
            put<qint8>(out, static_cast<qint8>(dt.timeSpec()));
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

QTime timeOf(qint32 ms) {
    return ms < 0 ? QTime() : QTime::fromMSecsSinceStartOfDay(ms);
}

}  // namespace

QByteArray Encode(const Row& row) {
    QByteArray out;
    out.reserve(16 + row.size() * 10);
    put<qint32>(out, static_cast<qint32>(row.size()));
    for (const QVariant& value : row)
        encodeValue(out, value);
    out.squeeze();
    return out;
}

Row Decode(const QByteArray& packed) {
    const char* at = packed.constData();
    const qint32 count = take<qint32>(at);
    Row row(count);
    for (qint32 i = 0; i < count; ++i) {
        switch (static_cast<Tag>(*at++)) {
            case Null:
                break;
            case Integer:
                row[i] = QVariant(qlonglong(take<qint64>(at)));
                break;
            case False:
                row[i] = QVariant(false);
                break;
            case True:
                row[i] = QVariant(true);
                break;
            case Double:
                row[i] = QVariant(take<double>(at));
                break;
            case Latin1Text: {
                const qint32 size = take<qint32>(at);
                row[i] = QVariant(QString::fromLatin1(at, size));
                at += size;
                break;
            }
            case Utf16Text: {
                const qint32 size = take<qint32>(at);
                QString text(size, Qt::Uninitialized);
                std::memcpy(text.data(), at, static_cast<size_t>(size) * 2);
                row[i] = QVariant(text);
                at += size * 2;
                break;
            }
            case Date:
                row[i] = QVariant(QDate::fromJulianDay(take<qint64>(at)));
                break;
            case Time:
                row[i] = QVariant(timeOf(take<qint32>(at)));
                break;
            case DateTime: {
                const QDate date = QDate::fromJulianDay(take<qint64>(at));
                const QTime time = timeOf(take<qint32>(at));
                const auto spec = static_cast<Qt::TimeSpec>(take<qint8>(at));
                row[i] = QVariant(QDateTime(date, time, spec));
                break;
            }
            case Bytes: {
                const qint32 size = take<qint32>(at);
                row[i] = QVariant(QByteArray(at, size));
                at += size;
                break;
            }
            case Other: {
                const qint32 size = take<qint32>(at);
                QDataStream stream(QByteArray::fromRawData(at, size));
                QVariant value;
                stream >> value;
                row[i] = value;
                at += size;
                break;
            }
        }
    }
    return row;
}

}  // namespace RowCodec
