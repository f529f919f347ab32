#include "data/odbc/OdbcKey.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/IsoDateTime.h"
#include "data/KeyCodec.h"

#include <cmath>

namespace OdbcKey {

namespace {

[[noreturn]] void invalid() {
    throw EDatabaseError(QStringLiteral("Invalid bookmark"));
}

QVector<QVariant> decoded(const QByteArray& bookmark) {
    if (bookmark.isEmpty() || KeyCodec::isPendingInsertKey(bookmark))
        invalid();
    return KeyCodec::decode(bookmark);
}

}  // namespace

QByteArray Encode(const OdbcRelation& relation, const Row& values) {
    KeyCodec codec;
    for (int c : relation.key) {
        const QVariant& value = values.value(c);
        if (!value.isValid()) {
            codec.appendNull();
            continue;
        }
        switch (KindOf(relation.columns[c].info.type)) {
            case FieldKind::Integer:
            case FieldKind::Boolean:
                codec.appendInt(value.toLongLong());
                break;
            case FieldKind::Float:
                codec.appendDouble(value.toDouble());
                break;
            case FieldKind::Bcd: {
                // The double orders the keys; the digits, which it may not hold, follow it.
                double real = 0;
                Decimal::ToDouble(value.toString(), real);
                codec.appendDouble(real);
                codec.appendText(value.toString());
                break;
            }
            case FieldKind::Date:
                codec.appendText(QString::fromLatin1(IsoDateTime::FormatDate(value.toDate())));
                break;
            case FieldKind::Time:
                codec.appendText(
                    QString::fromLatin1(IsoDateTime::FormatTime(value.value<TimeOfDay>())));
                break;
            case FieldKind::DateTime:
                codec.appendText(QString::fromLatin1(
                    IsoDateTime::FormatTimeStamp(value.value<TimeStamp>(), 'T')));
                break;
            case FieldKind::Bytes:
            case FieldKind::Blob:
                codec.appendBytes(value.toByteArray());
                break;
            default:
                codec.appendText(value.toString());
                break;
        }
    }
    return codec.bytes();
}

Row Decode(const OdbcRelation& relation, const QByteArray& bookmark) {
    const QVector<QVariant> parts = decoded(bookmark);
    Row values;
    int at = 0;
    const auto next = [&]() -> const QVariant& {
        if (at >= parts.size())
            invalid();
        return parts[at++];
    };
    for (int c : relation.key) {
        const OdbcColumn& column = relation.columns[c];
        const QVariant& part = next();
        if (!part.isValid()) {
            values.append(QVariant());
            continue;
        }
        const QByteArray iso = part.toString().toLatin1();
        switch (KindOf(column.info.type)) {
            case FieldKind::Integer:
                values.append(QVariant(part.toLongLong()));
                break;
            case FieldKind::Boolean:
                values.append(QVariant(part.toLongLong() != 0));
                break;
            case FieldKind::Float:
                values.append(QVariant(part.toDouble()));
                break;
            case FieldKind::Bcd:
                values.append(QVariant(next().toString()));
                break;
            case FieldKind::Date: {
                QDate date;
                if (!IsoDateTime::ParseDate(iso.constData(), int(iso.size()), date))
                    invalid();
                values.append(QVariant(date));
                break;
            }
            case FieldKind::Time: {
                TimeOfDay time;
                if (!IsoDateTime::ParseTime(iso.constData(), int(iso.size()), time))
                    invalid();
                values.append(QVariant::fromValue(time));
                break;
            }
            case FieldKind::DateTime: {
                TimeStamp stamp;
                if (!IsoDateTime::ParseTimeStamp(iso.constData(), int(iso.size()), stamp))
                    invalid();
                values.append(QVariant::fromValue(stamp));
                break;
            }
            case FieldKind::Bytes:
            case FieldKind::Blob:
                values.append(QVariant(part.toByteArray()));
                break;
            default:
                values.append(QVariant(part.toString()));
                break;
        }
    }
    if (at != parts.size())
        invalid();
    return values;
}

QByteArray PositionKey(qint64 position) {
    KeyCodec codec;
    codec.appendInt(position);
    return codec.bytes();
}

qint64 Position(const QByteArray& bookmark) {
    const QVector<QVariant> parts = decoded(bookmark);
    if (parts.size() != 1 || parts[0].typeId() != QMetaType::LongLong)
        invalid();
    return parts[0].toLongLong();
}

}  // namespace OdbcKey
