#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/TextExcerpt.h"

#include <QLocale>
#include <QStringDecoder>
#include <charconv>
#include <cmath>
#include <limits>

// Values into a field's own form: exactly, or not at all.
namespace FieldConvert {
namespace {

const QDate DayZero(1899, 12, 30);

bool isIntegral(int type) {
    switch (type) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Long:
            return true;
        default:
            return false;
    }
}

bool isFloating(int type) {
    return type == QMetaType::Double || type == QMetaType::Float;
}

QString localizedDecimal(const QString& decimal) {
    return QString(decimal).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

// The value as a message shows it: every digit and fraction it has.
QString shown(const QVariant& value) {
    const int type = value.userType();
    if (type == QMetaType::QString)
        return QLatin1Char('\'') + TextExcerpt(value.toString(), 60) + QLatin1Char('\'');
    if (isFloating(type))
        return FormatFloatExact(value.toDouble());
    if (type == QMetaType::QDate)
        return FormatDate(value.toDate());
    if (type == qMetaTypeId<TimeOfDay>())
        return FormatTime(value.value<TimeOfDay>());
    if (type == qMetaTypeId<TimeStamp>())
        return FormatTimeStamp(value.value<TimeStamp>());
    if (type == QMetaType::QByteArray)
        return QStringLiteral("%1 bytes").arg(value.toByteArray().size());
    return value.toString();
}

[[noreturn]] void refuse(const ColumnInfo& field, const QString& value, const QString& why) {
    throw EConvertError(
        QStringLiteral("Field '%1' cannot hold %2: %3").arg(field.name, value, why));
}

[[noreturn]] void cannotTake(const ColumnInfo& field, const QVariant& value) {
    throw EConvertError(QStringLiteral("Cannot assign a value of type %1 to field '%2'")
                            .arg(QLatin1String(value.typeName()), field.name));
}

[[noreturn]] void outOfRange(const ColumnInfo& field, const QString& value) {
    throw EConvertError(
        QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
            .arg(value, field.name, QString::number(field.minValue),
                 QString::number(field.maxValue)));
}

[[noreturn]] void notInteger(const ColumnInfo& field, const QString& value) {
    throw EConvertError(
        QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(value, field.name));
}

// Characters as engines count them: a pair of surrogates is one.
qsizetype characterCount(const QString& text) {
    qsizetype count = text.size();
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            --count;
    }
    return count;
}

// The form every engine with a UUID type reads, in either case.
bool isUuid(const QString& text) {
    if (text.size() != 36)
        return false;
    for (int i = 0; i < 36; ++i) {
        const char16_t c = text[i].unicode();
        const bool hex =
            (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (i == 8 || i == 13 || i == 18 || i == 23 ? c != u'-' : !hex)
            return false;
    }
    return true;
}

QVariant checkedText(const ColumnInfo& field, const QString& text) {
    if (field.size > 0 && text.size() > field.size) {
        const qsizetype characters = characterCount(text);
        if (characters > field.size) {
            refuse(field,
                   QStringLiteral("'%1' (%2 characters)")
                       .arg(TextExcerpt(text, 40), QString::number(characters)),
                   QStringLiteral("it holds at most %1").arg(field.size));
        }
    }
    if (!field.limits.holdsNul && text.contains(QChar(0)))
        refuse(field, shown(text), QStringLiteral("its engine stores no NUL character in text"));
    if (field.limits.uuidOnly && !isUuid(text))
        refuse(field, shown(text),
               QStringLiteral("it holds a UUID, 8-4-4-4-12 hexadecimal digits"));
    return QVariant(text);
}

bool strictUtf8(const QByteArray& bytes, QString& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(bytes);
    return !decoder.hasError();
}

// An empty text makes a number, date or boolean null, but where the column keeps any text as
// it stands, it is kept.
QVariant emptyText(const ColumnInfo& field, const QVariant& value) {
    return field.limits.anyText ? value : QVariant();
}

QVariant checkedInteger(const ColumnInfo& field, qlonglong value) {
    if (field.hasRange && (value < field.minValue || value > field.maxValue))
        outOfRange(field, QString::number(value));
    return QVariant(value);
}

QVariant checkedFloat(const ColumnInfo& field, double value) {
    const ColumnLimits& limits = field.limits;
    if (std::isnan(value) && !limits.holdsNaN)
        refuse(field, QStringLiteral("NaN"), QStringLiteral("its engine stores no NaN"));
    if (std::isinf(value) && !limits.holdsInfinity)
        refuse(field, FormatFloatExact(value), QStringLiteral("its engine stores no infinity"));
    if (limits.scale >= 0 && std::isfinite(value)) {
        // Money: a float kept to a number of decimal places.
        QString decimal;
        Decimal::FromDouble(value, decimal);
        int integerDigits = 0, fractionDigits = 0;
        Decimal::CountDigits(decimal, integerDigits, fractionDigits);
        if (fractionDigits > limits.scale)
            refuse(field, FormatFloatExact(value),
                   QStringLiteral("it keeps %1 decimal places").arg(limits.scale));
    }
    if (limits.singleFloat && std::isfinite(value)) {
        // The number the double stands for must be the one the 4-byte float stands for.
        const float single = static_cast<float>(value);
        char a[40], b[40];
        const auto wide = std::to_chars(a, a + sizeof a, value);
        const auto narrow = std::to_chars(b, b + sizeof b, single);
        if (std::isinf(single) || QByteArray(a, wide.ptr - a) != QByteArray(b, narrow.ptr - b))
            refuse(field, FormatFloatExact(value),
                   QStringLiteral("a 4-byte float keeps about 7 significant digits"));
    }
    return QVariant(value);
}

QVariant checkedDecimal(const ColumnInfo& field, const QString& decimal) {
    const ColumnLimits& limits = field.limits;
    int integerDigits = 0, fractionDigits = 0;
    Decimal::CountDigits(decimal, integerDigits, fractionDigits);
    const auto declared = [&] {
        return limits.scale >= 0
                   ? QStringLiteral("NUMERIC(%1,%2)").arg(limits.precision).arg(limits.scale)
                   : QStringLiteral("NUMERIC(%1)").arg(limits.precision);
    };
    if (limits.scale >= 0 && fractionDigits > limits.scale) {
        refuse(field, localizedDecimal(decimal),
               QStringLiteral("it keeps %1 decimal places (%2)").arg(limits.scale).arg(declared()));
    }
    if (limits.precision > 0 && integerDigits > limits.precision - std::max(limits.scale, 0)) {
        refuse(field, localizedDecimal(decimal),
               QStringLiteral("it keeps %1 digits before the decimal point (%2)")
                   .arg(limits.precision - std::max(limits.scale, 0))
                   .arg(declared()));
    }
    if (limits.realDecimals) {
        qint64 whole = 0;
        double real = 0;
        if (!Decimal::ToInteger(decimal, whole) && !Decimal::ToDouble(decimal, real)) {
            refuse(field, localizedDecimal(decimal),
                   QStringLiteral("its engine keeps a decimal as a double, which holds 15 to 17 "
                                  "significant digits"));
        }
    }
    return QVariant(decimal);
}

void checkDate(const ColumnInfo& field, const QDate& date, const QVariant& value) {
    const ColumnLimits& limits = field.limits;
    if ((limits.minDate.isValid() && date < limits.minDate) ||
        (limits.maxDate.isValid() && date > limits.maxDate) || !date.isValid()) {
        refuse(field, shown(value),
               QStringLiteral("it holds dates from %1 to %2")
                   .arg(FormatDate(limits.minDate), FormatDate(limits.maxDate)));
    }
}

void checkFraction(const ColumnInfo& field, qint64 usec, const QVariant& value) {
    const int digits = std::clamp(field.limits.fractionDigits, 0, 6);
    qint64 unit = 1;
    for (int i = digits; i < 6; ++i)
        unit *= 10;
    if (usec % unit != 0) {
        refuse(field, shown(value),
               QStringLiteral("it keeps %1 fraction digits of a second").arg(digits));
    }
}

QVariant checkedTime(const ColumnInfo& field, const TimeOfDay& time) {
    const QVariant value = QVariant::fromValue(time);
    if (time.usec == UsecPerDay && !field.limits.holdsEndOfDay)
        refuse(field, shown(value), QStringLiteral("its engine holds no time of 24:00:00"));
    checkFraction(field, time.usec, value);
    return value;
}

QVariant checkedStamp(const ColumnInfo& field, TimeStamp stamp) {
    // A column without zone takes a zoned value as the same instant in UTC; a zoned column
    // takes a value without zone as UTC.
    if (field.type == ftTimeStamp) {
        if (!stamp.zoned) {
            stamp.zoned = true;
            stamp.offset = 0;
        }
    } else if (stamp.zoned) {
        stamp = stamp.toUtc();
        stamp.zoned = false;
    }
    const QVariant value = QVariant::fromValue(stamp);
    checkDate(field, stamp.date, value);
    checkFraction(field, stamp.usec, value);
    return value;
}

QVariant toText(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == QMetaType::QString)
        return checkedText(field, *static_cast<const QString*>(value.constData()));
    if (type == QMetaType::QByteArray) {
        QString text;
        if (!strictUtf8(value.toByteArray(), text)) {
            if (field.limits.anyText)
                return value;
            refuse(field, shown(value), QStringLiteral("they are no UTF-8 text"));
        }
        return checkedText(field, text);
    }
    if (isIntegral(type) || type == QMetaType::ULongLong)
        return checkedText(field, value.toString());
    if (isFloating(type))
        return checkedText(field, FormatFloatExact(value.toDouble()));
    if (type == QMetaType::Bool)
        return checkedText(field,
                           value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    if (type == QMetaType::QUuid)
        return checkedText(field, value.toString());
    if (type == QMetaType::QDate || type == qMetaTypeId<TimeOfDay>() ||
        type == qMetaTypeId<TimeStamp>())
        return checkedText(field, shown(value));
    cannotTake(field, value);
}

QVariant toInteger(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (isIntegral(type))
        return checkedInteger(field, value.toLongLong());
    if (type == QMetaType::ULongLong) {
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            outOfRange(field, value.toString());
        return checkedInteger(field, value.toLongLong());
    }
    if (type == QMetaType::Bool)
        return checkedInteger(field, qlonglong(value.toBool() ? 1 : 0));
    if (isFloating(type)) {
        const double v = value.toDouble();
        if (!std::isfinite(v) || v != std::trunc(v))
            notInteger(field, FormatFloatExact(v));
        // 2^63 itself does not fit; every double below it in magnitude does.
        if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) {
            ColumnInfo bounds = field;
            bounds.minValue = std::numeric_limits<qint64>::min();
            bounds.maxValue = std::numeric_limits<qint64>::max();
            outOfRange(field.hasRange ? field : bounds, FormatFloatExact(v));
        }
        return checkedInteger(field, static_cast<qlonglong>(v));
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        if (text.isEmpty())
            return emptyText(field, value);
        QString decimal;
        qint64 whole = 0;
        if (!ParseDecimal(text, decimal) || !Decimal::ToInteger(decimal, whole)) {
            if (field.limits.anyText)
                return value;
            int integerDigits = 0, fractionDigits = 0;
            if (!decimal.isEmpty())
                Decimal::CountDigits(decimal, integerDigits, fractionDigits);
            if (!decimal.isEmpty() && fractionDigits == 0) {
                ColumnInfo bounds = field;
                bounds.minValue = std::numeric_limits<qint64>::min();
                bounds.maxValue = std::numeric_limits<qint64>::max();
                outOfRange(field.hasRange ? field : bounds, text.trimmed());
            }
            notInteger(field, text);
        }
        return checkedInteger(field, whole);
    }
    cannotTake(field, value);
}

QVariant toBoolean(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == QMetaType::Bool)
        return value;
    if (isIntegral(type)) {
        const qlonglong v = value.toLongLong();
        if (v != 0 && v != 1)
            refuse(field, QString::number(v), QStringLiteral("a boolean is 0 or 1"));
        return QVariant(v != 0);
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        if (text.isEmpty())
            return emptyText(field, value);
        const QString lower = text.trimmed().toLower();
        if (lower == QLatin1String("0") ||
            (!lower.isEmpty() && QStringLiteral("false").startsWith(lower)))
            return QVariant(false);
        if (lower == QLatin1String("1") ||
            (!lower.isEmpty() && QStringLiteral("true").startsWith(lower)))
            return QVariant(true);
        if (field.limits.anyText)
            return value;
        throw EConvertError(QStringLiteral("'%1' is not a valid boolean value for field '%2'")
                                .arg(text, field.name));
    }
    cannotTake(field, value);
}

QVariant toFloat(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (isFloating(type))
        return checkedFloat(field, value.toDouble());
    if (isIntegral(type) || type == QMetaType::ULongLong) {
        const qlonglong v = value.toLongLong();
        const double real = static_cast<double>(v);
        // A double above 2^63 - 1 rounds up to 2^63, which is no qint64.
        if (real >= 9223372036854775808.0 || static_cast<qlonglong>(real) != v)
            refuse(field, value.toString(),
                   QStringLiteral("a double keeps 15 to 17 significant digits"));
        return checkedFloat(field, real);
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        if (text.isEmpty())
            return emptyText(field, value);
        QString decimal;
        double real = 0;
        if (ParseDecimal(text, decimal)) {
            if (!Decimal::ToDouble(decimal, real))
                refuse(field, shown(value),
                       QStringLiteral("a double keeps 15 to 17 significant digits"));
            return checkedFloat(field, real);
        }
        const QString word = text.trimmed();
        if (word.compare(QLatin1String("NaN"), Qt::CaseInsensitive) == 0)
            return checkedFloat(field, std::numeric_limits<double>::quiet_NaN());
        for (const char* infinity : {"Infinity", "Inf", "+Infinity", "+Inf"}) {
            if (word.compare(QLatin1String(infinity), Qt::CaseInsensitive) == 0)
                return checkedFloat(field, std::numeric_limits<double>::infinity());
            if (word.compare(QLatin1Char('-') + QLatin1String(infinity), Qt::CaseInsensitive) == 0)
                return checkedFloat(field, -std::numeric_limits<double>::infinity());
        }
        if (field.limits.anyText)
            return value;
        throw EConvertError(
            QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                .arg(text, field.name));
    }
    cannotTake(field, value);
}

QVariant toDecimal(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        if (Decimal::IsNormal(text))
            return checkedDecimal(field, text);
        if (text.isEmpty())
            return emptyText(field, value);
        QString decimal;
        if (!ParseDecimal(text, decimal)) {
            if (field.limits.anyText)
                return value;
            throw EConvertError(
                QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                    .arg(text, field.name));
        }
        return checkedDecimal(field, decimal);
    }
    if (isIntegral(type) || type == QMetaType::ULongLong)
        return checkedDecimal(field, value.toString());
    if (isFloating(type)) {
        QString decimal;
        if (!Decimal::FromDouble(value.toDouble(), decimal))
            refuse(field, shown(value), QStringLiteral("a decimal is a finite number"));
        return checkedDecimal(field, decimal);
    }
    cannotTake(field, value);
}

QVariant toDate(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == QMetaType::QDate) {
        checkDate(field, value.toDate(), value);
        return value;
    }
    if (type == qMetaTypeId<TimeStamp>()) {
        const TimeStamp stamp = value.value<TimeStamp>();
        if (stamp.usec != 0 || stamp.zoned)
            refuse(field, shown(value), QStringLiteral("it holds a date without a time of day"));
        return toDate(field, QVariant(stamp.date));
    }
    if (type == QMetaType::QDateTime)
        return toDate(field, QVariant::fromValue(TimeStamp::fromQDateTime(value.toDateTime())));
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        QDate date;
        if (text.isEmpty())
            return emptyText(field, value);
        if (!ParseDate(text, date)) {
            if (field.limits.anyText)
                return value;
            throw EConvertError(QStringLiteral("'%1' is not a valid date for field '%2'")
                                    .arg(TextExcerpt(text, 60), field.name));
        }
        return toDate(field, QVariant(date));
    }
    cannotTake(field, value);
}

QVariant toTime(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == qMetaTypeId<TimeOfDay>())
        return checkedTime(field, value.value<TimeOfDay>());
    if (type == QMetaType::QTime)
        return checkedTime(field, TimeOfDay::fromQTime(value.toTime()));
    if (type == qMetaTypeId<TimeStamp>()) {
        // A time is a time stamp of day zero in a day count.
        const TimeStamp stamp = value.value<TimeStamp>();
        if (stamp.date != DayZero || stamp.zoned)
            refuse(field, shown(value), QStringLiteral("it holds a time of day without a date"));
        return checkedTime(field, stamp.time());
    }
    if (type == QMetaType::QDateTime)
        return toTime(field, QVariant::fromValue(TimeStamp::fromQDateTime(value.toDateTime())));
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        TimeOfDay time;
        if (text.isEmpty())
            return emptyText(field, value);
        if (!ParseTime(text, time)) {
            if (field.limits.anyText)
                return value;
            throw EConvertError(QStringLiteral("'%1' is not a valid time for field '%2'")
                                    .arg(TextExcerpt(text, 60), field.name));
        }
        return checkedTime(field, time);
    }
    cannotTake(field, value);
}

QVariant toStamp(const ColumnInfo& field, const QVariant& value) {
    const int type = value.userType();
    if (type == qMetaTypeId<TimeStamp>())
        return checkedStamp(field, value.value<TimeStamp>());
    if (type == QMetaType::QDateTime)
        return checkedStamp(field, TimeStamp::fromQDateTime(value.toDateTime()));
    if (type == QMetaType::QDate) {
        TimeStamp stamp;
        stamp.date = value.toDate();
        return checkedStamp(field, stamp);
    }
    if (type == qMetaTypeId<TimeOfDay>() || type == QMetaType::QTime) {
        const TimeOfDay time = type == QMetaType::QTime ? TimeOfDay::fromQTime(value.toTime())
                                                        : value.value<TimeOfDay>();
        if (time.usec == UsecPerDay)
            refuse(field, shown(value),
                   QStringLiteral("a time stamp ends its day at 23:59:59.999999"));
        TimeStamp stamp;
        stamp.date = DayZero;
        stamp.usec = time.usec;
        return checkedStamp(field, stamp);
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        TimeStamp stamp;
        if (text.isEmpty())
            return emptyText(field, value);
        if (!ParseTimeStamp(text, stamp)) {
            if (field.limits.anyText)
                return value;
            throw EConvertError(QStringLiteral("'%1' is not a valid date and time for field '%2'")
                                    .arg(TextExcerpt(text, 60), field.name));
        }
        return checkedStamp(field, stamp);
    }
    cannotTake(field, value);
}

QVariant toBytes(const ColumnInfo& field, const QVariant& value, bool utf8) {
    const int type = value.userType();
    QByteArray bytes;
    if (type == QMetaType::QByteArray) {
        bytes = value.toByteArray();
    } else if (type == QMetaType::QString) {
        const QString text = value.toString();
        if (utf8) {
            bytes = text.toUtf8();
        } else {
            for (const QChar c : text) {
                if (c.unicode() > 0xff)
                    refuse(field, shown(value),
                           QStringLiteral("its characters must each fit in one byte"));
            }
            bytes = text.toLatin1();
        }
    } else {
        cannotTake(field, value);
    }
    if (field.size > 0 && bytes.size() > field.size) {
        refuse(field, QStringLiteral("%1 bytes").arg(bytes.size()),
               QStringLiteral("it holds at most %1").arg(field.size));
    }
    if (utf8 && !field.limits.holdsNul && bytes.contains('\0'))
        refuse(field, shown(value), QStringLiteral("its engine stores no NUL character in text"));
    QString text;
    if (utf8 && !field.limits.holdsAnyBytes && !strictUtf8(bytes, text))
        refuse(field, shown(value), QStringLiteral("they are no UTF-8 text"));
    return QVariant(bytes);
}

}  // namespace

QVariant FromValue(const ColumnInfo& field, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (KindOf(field.type)) {
        case FieldKind::Text:
            return toText(field, value);
        case FieldKind::Integer:
            return toInteger(field, value);
        case FieldKind::Boolean:
            return toBoolean(field, value);
        case FieldKind::Float:
            return toFloat(field, value);
        case FieldKind::Bcd:
            return toDecimal(field, value);
        case FieldKind::Date:
            return toDate(field, value);
        case FieldKind::Time:
            return toTime(field, value);
        case FieldKind::DateTime:
            return toStamp(field, value);
        case FieldKind::Bytes:
            if (value.userType() == QMetaType::QString && value.toString().isEmpty())
                return emptyText(field, value);
            return toBytes(field, value, false);
        case FieldKind::Blob:
            return toBytes(field, value, false);
        case FieldKind::TextBlob:
            return toBytes(field, value, true);
    }
    cannotTake(field, value);
}

}  // namespace FieldConvert
