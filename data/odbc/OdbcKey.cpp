#include "data/odbc/OdbcKey.h"

#include "data/Exceptions.h"
#include "data/KeyCodec.h"

#include <QDateTime>
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
            case FieldKind::Bcd:
                codec.appendDouble(value.toDouble());
                break;
            case FieldKind::Date:
                codec.appendText(value.toDate().toString(Qt::ISODate));
                break;
            case FieldKind::Time:
                codec.appendText(value.toTime().toString(Qt::ISODateWithMs));
                break;
            case FieldKind::DateTime:
                codec.appendText(
                    value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
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
    if (parts.size() != relation.key.size())
        invalid();
    Row values;
    for (int i = 0; i < parts.size(); ++i) {
        const OdbcColumn& column = relation.columns[relation.key[i]];
        const QVariant& part = parts[i];
        if (!part.isValid()) {
            values.append(QVariant());
            continue;
        }
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
            case FieldKind::Bcd: {
                const double d = part.toDouble();
                values.append(QVariant(d == std::floor(d) && std::abs(d) < 1e15
                                           ? QString::number(qlonglong(d))
                                           : QString::number(d, 'g', 15)));
                break;
            }
            case FieldKind::Date:
                values.append(QVariant(QDate::fromString(part.toString(), Qt::ISODate)));
                break;
            case FieldKind::Time:
                values.append(QVariant(QTime::fromString(part.toString(), Qt::ISODateWithMs)));
                break;
            case FieldKind::DateTime: {
                QDateTime dt = QDateTime::fromString(part.toString(), Qt::ISODateWithMs);
                dt.setTimeSpec(Qt::UTC);
                values.append(QVariant(dt));
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
