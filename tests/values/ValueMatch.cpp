#include "tests/values/ValueMatch.h"

#include "data/Decimal.h"
#include "data/FieldConvert.h"
#include "data/Temporal.h"
#include "data/TextExcerpt.h"
#include "tests/values/EngineLiterals.h"

#include <charconv>
#include <cmath>

namespace {

bool isTextual(const QVariant& value) {
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

QString textOf(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray())
                                                   : value.toString();
}

QByteArray bytesOf(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                   : value.toString().toUtf8();
}

QString withoutPadding(QString text) {
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool sameReal(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

bool sameInstant(const TimeStamp& a, const TimeStamp& b) {
    const TimeStamp x = a.toUtc(), y = b.toUtc();
    return x.date == y.date && x.usec == y.usec;
}

}  // namespace

bool SameValue(const ColumnSpec& column, const QVariant& expected, const QVariant& arrived) {
    if (!expected.isValid() || !arrived.isValid())
        return expected.isValid() == arrived.isValid();
    const int type = expected.userType();
    switch (column.kind) {
        case Kind::Memo:
            // In bytes: a memo SQLite keeps need not be UTF-8.
            return isTextual(arrived) && bytesOf(expected) == bytesOf(arrived);
        case Kind::Text:
        case Kind::Uuid:
            return isTextual(arrived) && textOf(expected) == textOf(arrived);
        case Kind::FixedText:
            return isTextual(arrived) &&
                   withoutPadding(textOf(expected)) == withoutPadding(textOf(arrived));
        case Kind::Decimal:
            if (Decimal::IsNormal(expected.toString()) && Decimal::IsNormal(arrived.toString()))
                return arrived.typeId() == QMetaType::QString &&
                       Decimal::SameNumber(expected.toString(), arrived.toString());
            break;
        case Kind::Float8:
        case Kind::Float4:
            if (type == QMetaType::Double)
                return arrived.typeId() == QMetaType::Double &&
                       sameReal(expected.toDouble(), arrived.toDouble());
            break;
        case Kind::Stamp:
        case Kind::ZonedStamp:
            if (type == qMetaTypeId<TimeStamp>())
                return arrived.userType() == type &&
                       sameInstant(expected.value<TimeStamp>(), arrived.value<TimeStamp>());
            break;
        default:
            break;
    }
    return arrived.userType() == type && arrived == expected;
}

QString Shown(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    const int type = value.userType();
    QString text;
    if (type == QMetaType::Double) {
        char digits[40];
        const auto written = std::to_chars(digits, digits + sizeof digits, value.toDouble());
        text = QString::fromLatin1(digits, written.ptr - digits);
    } else if (type == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        text = QStringLiteral("%1 bytes 0x%2")
                   .arg(QString::number(bytes.size()), QLatin1String(bytes.left(24).toHex()));
    } else if (type == QMetaType::QDate) {
        text = IsoDate(value.toDate(), true);
    } else if (type == qMetaTypeId<TimeOfDay>()) {
        text = IsoTime(value.value<TimeOfDay>());
    } else if (type == qMetaTypeId<TimeStamp>()) {
        text = IsoStamp(value.value<TimeStamp>(), true);
    } else {
        text = TextExcerpt(value.toString(), 60);
    }
    return QStringLiteral("%1(%2)").arg(QLatin1String(value.typeName()), text);
}

bool NamesFieldAndValue(const QString& message, const QString& field, const QVariant& value) {
    if (!message.contains(QLatin1Char('\'') + field + QLatin1Char('\''), Qt::CaseInsensitive))
        return false;
    const int type = value.userType();
    QStringList mentions;
    if (type == QMetaType::Double) {
        mentions << FieldConvert::FormatFloatExact(value.toDouble());
        if (std::isnan(value.toDouble()))
            mentions << QStringLiteral("NaN");
        if (std::isinf(value.toDouble()))
            mentions << (value.toDouble() > 0 ? QStringLiteral("Infinity")
                                              : QStringLiteral("-Infinity"));
    } else if (type == QMetaType::QByteArray) {
        mentions << QStringLiteral("%1 bytes").arg(value.toByteArray().size())
                 << TextExcerpt(QString::fromUtf8(value.toByteArray()).left(12), 12);
    } else if (type == QMetaType::QString) {
        mentions << TextExcerpt(value.toString().left(12), 12);
    } else if (type == QMetaType::QDate) {
        mentions << FieldConvert::FormatDate(value.toDate());
    } else if (type == qMetaTypeId<TimeOfDay>()) {
        mentions << FieldConvert::FormatTime(value.value<TimeOfDay>());
    } else if (type == qMetaTypeId<TimeStamp>()) {
        mentions << FieldConvert::FormatTimeStamp(value.value<TimeStamp>());
    } else {
        mentions << value.toString();
    }
    for (const QString& mention : mentions) {
        if (message.contains(mention))
            return true;
    }
    return false;
}
