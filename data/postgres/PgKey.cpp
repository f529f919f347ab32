#include "data/postgres/PgKey.h"

#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "data/postgres/PgParams.h"
#include "data/postgres/PgSortableDecimal.h"
#include "data/postgres/PgTemporal.h"
#include "data/postgres/PgValueText.h"

#include <charconv>
#include <cmath>

namespace PgKey {

namespace {

[[noreturn]] void invalid() {
    throw EDatabaseError(QStringLiteral("Invalid bookmark"));
}

qint64 toInt(const char* text, int length) {
    qint64 value = 0;
    const auto r = std::from_chars(text, text + length, value);
    if (r.ec != std::errc())
        throw EDatabaseError(
            QStringLiteral("Unexpected key value '%1'").arg(QString::fromUtf8(text, length)));
    return value;
}

[[noreturn]] void badValue(const char* text, int length) {
    throw EDatabaseError(
        QStringLiteral("Unexpected key value '%1'").arg(QString::fromUtf8(text, length)));
}

QVector<QVariant> decoded(const QByteArray& bookmark) {
    if (KeyCodec::isPendingInsertKey(bookmark))
        invalid();
    return KeyCodec::decode(bookmark);
}

qlonglong intAt(const QVector<QVariant>& values, int i) {
    if (i >= values.size() || values[i].typeId() != QMetaType::LongLong)
        invalid();
    return values[i].toLongLong();
}

void bindPart(PgKeyKind kind, const QVariant& value, PgParams& params) {
    const auto expect = [&](QMetaType::Type type) {
        if (value.typeId() != type)
            invalid();
    };
    switch (kind) {
        case PgKeyKind::Integer:
        case PgKeyKind::Boolean:
            expect(QMetaType::LongLong);
            params.addText(QByteArray::number(value.toLongLong()));
            return;
        case PgKeyKind::Float: {
            expect(QMetaType::Double);
            QByteArray text;
            PgValueText::toServer(PgKind::Float, value, text);
            params.addText(text);
            return;
        }
        case PgKeyKind::Decimal: {
            expect(QMetaType::QString);
            const QByteArray text = PgSortableDecimal::decode(value.toString().toLatin1());
            if (text.isEmpty())
                invalid();
            params.addText(text);
            return;
        }
        case PgKeyKind::Text:
        case PgKeyKind::FixedChar:
        case PgKeyKind::TextForm:
            expect(QMetaType::QString);
            params.addText(value.toString().toUtf8());
            return;
        case PgKeyKind::Bytes:
            expect(QMetaType::QByteArray);
            params.addBinary(value.toByteArray());
            return;
        case PgKeyKind::Date:
            expect(QMetaType::LongLong);
            params.addText(PgTemporal::formatDate(value.toLongLong()));
            return;
        case PgKeyKind::Time:
            expect(QMetaType::LongLong);
            params.addText(PgTemporal::formatTime(value.toLongLong()));
            return;
        case PgKeyKind::Timestamp:
        case PgKeyKind::TimestampTz:
            expect(QMetaType::LongLong);
            params.addText(
                PgTemporal::formatTimestamp(value.toLongLong(), kind == PgKeyKind::TimestampTz));
            return;
    }
}

}  // namespace

PgKeyKind kindOf(const PgColumn& column) {
    switch (column.kind) {
        case PgKind::Integer:
            return PgKeyKind::Integer;
        case PgKind::Boolean:
            return PgKeyKind::Boolean;
        case PgKind::Float:
            return PgKeyKind::Float;
        case PgKind::Money:
        case PgKind::Numeric:
            return PgKeyKind::Decimal;
        case PgKind::Date:
            return PgKeyKind::Date;
        case PgKind::Time:
            return PgKeyKind::Time;
        case PgKind::Timestamp:
            return PgKeyKind::Timestamp;
        case PgKind::TimestampTz:
            return PgKeyKind::TimestampTz;
        case PgKind::Text:
        case PgKind::Uuid:
            return PgKeyKind::Text;
        case PgKind::FixedChar:
            return PgKeyKind::FixedChar;
        case PgKind::Bytes:
            return PgKeyKind::Bytes;
        case PgKind::Other:
            break;
    }
    return PgKeyKind::TextForm;
}

void appendPart(KeyCodec& codec, PgKeyKind kind, const char* text, int length) {
    switch (kind) {
        case PgKeyKind::Integer:
            codec.appendInt(toInt(text, length));
            return;
        case PgKeyKind::Boolean:
            codec.appendInt(length > 0 && text[0] == 't' ? 1 : 0);
            return;
        case PgKeyKind::Float:
            codec.appendDouble(PgValueText::fromServer(PgKind::Float, text, length).toDouble());
            return;
        case PgKeyKind::Decimal: {
            const QByteArray encoded = PgSortableDecimal::encode(QByteArray(text, length));
            if (encoded.isEmpty())
                badValue(text, length);
            codec.appendText(QString::fromLatin1(encoded));
            return;
        }
        case PgKeyKind::FixedChar: {
            // The server compares blank-padded text without its trailing blanks.
            int n = length;
            while (n > 0 && text[n - 1] == ' ')
                --n;
            codec.appendText(QString::fromUtf8(text, n));
            return;
        }
        case PgKeyKind::Text:
        case PgKeyKind::TextForm:
            codec.appendText(QString::fromUtf8(text, length));
            return;
        case PgKeyKind::Bytes:
            codec.appendBytes(PgValueText::decodeHexBytes(text, length));
            return;
        case PgKeyKind::Date: {
            qint64 days;
            if (!PgTemporal::parseDate(text, length, days))
                badValue(text, length);
            codec.appendInt(days);
            return;
        }
        case PgKeyKind::Time: {
            qint64 usec;
            if (!PgTemporal::parseTime(text, length, usec))
                badValue(text, length);
            codec.appendInt(usec);
            return;
        }
        case PgKeyKind::Timestamp:
        case PgKeyKind::TimestampTz: {
            qint64 usec;
            if (!PgTemporal::parseTimestamp(text, length, kind == PgKeyKind::TimestampTz, usec))
                badValue(text, length);
            codec.appendInt(usec);
            return;
        }
    }
}

void appendRowId(KeyCodec& codec, const char* text, int length) {
    const QByteArray t(text, length);
    const qsizetype comma = t.indexOf(',');
    if (!t.startsWith('(') || !t.endsWith(')') || comma < 0)
        badValue(text, length);
    codec.appendInt(toInt(t.constData() + 1, static_cast<int>(comma - 1)));
    codec.appendInt(toInt(t.constData() + comma + 1, static_cast<int>(t.size() - comma - 2)));
}

void bind(const PgRelation& relation, const QByteArray& bookmark, PgParams& params) {
    const QVector<QVariant> values = decoded(bookmark);
    switch (relation.keyMode) {
        case PgKeyMode::RowId:
            if (values.size() != 2)
                invalid();
            params.addText("(" + QByteArray::number(intAt(values, 0)) + "," +
                           QByteArray::number(intAt(values, 1)) + ")");
            return;
        case PgKeyMode::Position:
            if (values.size() != 1)
                invalid();
            params.addText(QByteArray::number(intAt(values, 0)));
            return;
        case PgKeyMode::Columns:
            break;
    }
    if (values.size() != static_cast<int>(relation.key.size()))
        invalid();
    for (size_t i = 0; i < relation.key.size(); ++i)
        bindPart(relation.key[i].kind, values[static_cast<int>(i)], params);
}

qint64 rowIdBlock(const QByteArray& bookmark) {
    const QVector<QVariant> values = decoded(bookmark);
    if (values.size() != 2)
        invalid();
    return intAt(values, 0);
}

qint64 position(const QByteArray& bookmark) {
    const QVector<QVariant> values = decoded(bookmark);
    if (values.size() != 1)
        invalid();
    return intAt(values, 0);
}

QByteArray positionKey(qint64 position) {
    KeyCodec codec;
    codec.appendInt(position);
    return codec.bytes();
}

}  // namespace PgKey
