#include "data/FieldConvert.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/TextExcerpt.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace FieldConvert {
namespace {

const QDate DayZero(1899, 12, 30);

[[noreturn]] void cannotAccess(const ColumnInfo& field, const char* type) {
    throw EConvertError(
        QStringLiteral("Cannot access field '%1' as type %2").arg(field.name, QLatin1String(type)));
}

QString cut(const QString& text, int size) {
    return size > 0 && text.size() > size ? text.left(size) : text;
}

QByteArray cut(const QByteArray& bytes, int size) {
    return size > 0 && bytes.size() > size ? bytes.left(size) : bytes;
}

QString localizedDecimal(const QString& decimal) {
    const QString point = QLocale().decimalPoint();
    if (point == QLatin1String("."))
        return decimal;
    return QString(decimal).replace(QLatin1Char('.'), point);
}

[[noreturn]] void notFloat(const ColumnInfo& field, const QString& text) {
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                            .arg(text, field.name));
}

// A date, time or time stamp value as a day count; text that is no date fails.
double dayCountOf(const ColumnInfo& field, const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDate:
            return ToDayCount(value.toDate(), QTime(0, 0));
        default:
            break;
    }
    if (value.userType() == qMetaTypeId<TimeOfDay>())
        return value.value<TimeOfDay>().usec / double(UsecPerDay);
    if (value.userType() == qMetaTypeId<TimeStamp>()) {
        const TimeStamp stamp = value.value<TimeStamp>();
        const double days = static_cast<double>(DayZero.daysTo(stamp.date));
        const double fraction = stamp.usec / double(UsecPerDay);
        return days < 0 ? days - fraction : days + fraction;
    }
    const QVariant typed = FromText(field, value.toString());
    if (!typed.isValid() || typed.typeId() == QMetaType::QString)
        throw EConvertError(
            QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
    return dayCountOf(field, typed);
}

QVariant fromDayCount(const ColumnInfo& field, double days) {
    QDate date;
    QTime time;
    FromDayCount(days, date, time);
    switch (KindOf(field.type)) {
        case FieldKind::Date:
            return FromValue(field, QVariant(date));
        case FieldKind::Time:
            return FromValue(field, QVariant::fromValue(TimeOfDay::fromQTime(time)));
        default: {
            TimeStamp stamp;
            stamp.date = date;
            stamp.usec = TimeOfDay::fromQTime(time).usec;
            return FromValue(field, QVariant::fromValue(stamp));
        }
    }
}

}  // namespace

QString ReadText(const ColumnInfo& field, const QVariant& value) {
    if (!value.isValid())
        return QString();
    const int type = value.userType();
    switch (KindOf(field.type)) {
        case FieldKind::Integer:
            return QString::number(value.toLongLong());
        case FieldKind::Boolean:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case FieldKind::Float:
            return FormatFloat(value.toDouble());
        case FieldKind::Bcd:
            return type == QMetaType::QString ? localizedDecimal(value.toString())
                                              : value.toString();
        case FieldKind::Date:
            if (type == QMetaType::QDate)
                return FormatDate(value.toDate());
            break;
        case FieldKind::Time:
            if (type == qMetaTypeId<TimeOfDay>())
                return FormatTime(value.value<TimeOfDay>());
            break;
        case FieldKind::DateTime:
            if (type == qMetaTypeId<TimeStamp>())
                return FormatTimeStamp(value.value<TimeStamp>());
            break;
        case FieldKind::Bytes:
        case FieldKind::Blob:
            return QString::fromLatin1(value.toByteArray());
        case FieldKind::TextBlob:
            return QString::fromUtf8(value.toByteArray());
        case FieldKind::Text:
            break;
    }
    // Text, and what a date or decimal column holds that is no such value, as it stands.
    return value.toString();
}

QVariant FromText(const ColumnInfo& field, const QString& text) {
    const FieldKind kind = KindOf(field.type);
    switch (kind) {
        case FieldKind::Text:
            return FromValue(field, QVariant(cut(text, field.size)));
        case FieldKind::Blob:
        case FieldKind::TextBlob:
            return FromValue(field,
                             QVariant(kind == FieldKind::Blob ? text.toLatin1() : text.toUtf8()));
        default:
            break;
    }
    if (text.isEmpty())
        return QVariant();
    switch (kind) {
        case FieldKind::Integer: {
            bool ok = false;
            const qlonglong v = text.trimmed().toLongLong(&ok);
            if (!ok) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid integer value for field '%2'")
                        .arg(text, field.name));
            }
            return FromValue(field, QVariant(v));
        }
        case FieldKind::Boolean: {
            const QString lower = text.toLower();
            if (QStringLiteral("false").startsWith(lower))
                return QVariant(false);
            if (QStringLiteral("true").startsWith(lower))
                return QVariant(true);
            throw EConvertError(QStringLiteral("'%1' is not a valid boolean value for field '%2'")
                                    .arg(text, field.name));
        }
        case FieldKind::Float: {
            double v = 0;
            if (!ParseFloat(text, v))
                notFloat(field, text);
            return FromValue(field, QVariant(v));
        }
        case FieldKind::Bcd: {
            QString decimal;
            if (!ParseDecimal(text, decimal))
                notFloat(field, text);
            return FromValue(field, QVariant(decimal));
        }
        case FieldKind::Date: {
            QDate date;
            if (!ParseDate(text, date))
                throw EConvertError(QStringLiteral("'%1' is not a valid date for field '%2'")
                                        .arg(TextExcerpt(text, 60), field.name));
            return FromValue(field, QVariant(date));
        }
        case FieldKind::Time: {
            TimeOfDay time;
            if (!ParseTime(text, time))
                throw EConvertError(QStringLiteral("'%1' is not a valid time for field '%2'")
                                        .arg(TextExcerpt(text, 60), field.name));
            return FromValue(field, QVariant::fromValue(time));
        }
        case FieldKind::DateTime: {
            TimeStamp stamp;
            if (!ParseTimeStamp(text, stamp))
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid date and time for field '%2'")
                        .arg(TextExcerpt(text, 60), field.name));
            return FromValue(field, QVariant::fromValue(stamp));
        }
        case FieldKind::Bytes:
            return FromValue(field, QVariant(cut(text.toLatin1(), field.size)));
        default:
            break;
    }
    return QVariant();
}

double ReadNumber(const ColumnInfo& field, const QVariant& value) {
    if (!value.isValid()) {
        switch (KindOf(field.type)) {
            case FieldKind::Boolean:
            case FieldKind::Bytes:
            case FieldKind::Blob:
            case FieldKind::TextBlob:
                cannotAccess(field, "Float");
            default:
                return 0;
        }
    }
    switch (KindOf(field.type)) {
        case FieldKind::Text: {
            double v = 0;
            if (!ParseFloat(value.toString(), v)) {
                throw EConvertError(QStringLiteral("'%1' is not a valid floating point value")
                                        .arg(value.toString()));
            }
            return v;
        }
        case FieldKind::Integer:
            return static_cast<double>(value.toLongLong());
        case FieldKind::Float:
            return value.toDouble();
        case FieldKind::Bcd: {
            double v = 0;
            Decimal::ToDouble(value.toString(), v);
            return v;
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return dayCountOf(field, value);
        default:
            cannotAccess(field, "Float");
    }
}

QVariant FromNumber(const ColumnInfo& field, double value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text:
            return FromValue(field, QVariant(cut(FormatFloat(value), field.size)));
        case FieldKind::Integer: {
            // nearbyint rounds halves to the even neighbour in the default rounding mode.
            const double rounded = std::nearbyint(value);
            return FromValue(field, QVariant(rounded));
        }
        case FieldKind::Float:
        case FieldKind::Bcd:
            return FromValue(field, QVariant(value));
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return fromDayCount(field, value);
        default:
            cannotAccess(field, "Float");
    }
}

double ReadDateTime(const ColumnInfo& field, const QVariant& value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text: {
            if (!value.isValid())
                return 0;
            TimeStamp stamp;
            if (!ParseTimeStamp(value.toString(), stamp)) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
            }
            ColumnInfo stampField = field;
            stampField.type = ftDateTime;
            return dayCountOf(stampField, QVariant::fromValue(stamp));
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return value.isValid() ? dayCountOf(field, value) : 0;
        default:
            cannotAccess(field, "DateTime");
    }
}

QVariant FromDateTime(const ColumnInfo& field, double value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text: {
            QDate date;
            QTime time;
            FromDayCount(value, date, time);
            return FromValue(field, QVariant(cut(FormatDateTime(date, time), field.size)));
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return fromDayCount(field, value);
        default:
            cannotAccess(field, "DateTime");
    }
}

}  // namespace FieldConvert
