#include "data/FieldConvert.h"

#include "data/Exceptions.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace FieldConvert {
namespace {

const QDate DayZero(1899, 12, 30);
constexpr double MsPerDay = 86400000.0;

[[noreturn]] void cannotAccess(const ColumnInfo& field, const char* type) {
    throw EConvertError(
        QStringLiteral("Cannot access field '%1' as type %2").arg(field.name, QLatin1String(type)));
}

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

QString cut(const QString& text, int size) {
    return size > 0 && text.size() > size ? text.left(size) : text;
}

QByteArray cut(const QByteArray& bytes, int size) {
    return size > 0 && bytes.size() > size ? bytes.left(size) : bytes;
}

// Text of a decimal with the locale's separator in place of '.'.
QString localizedDecimal(const QString& canonical) {
    return QString(canonical).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString canonicalDecimal(const QString& text) {
    const QString point = QLocale().decimalPoint();
    QString t = text.trimmed();
    if (point != QLatin1String("."))
        t.replace(point, QLatin1String("."));
    return t;
}

[[noreturn]] void outOfRange(const ColumnInfo& field, const QString& value) {
    throw EConvertError(
        QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
            .arg(value, field.name, QString::number(field.minValue),
                 QString::number(field.maxValue)));
}

QVariant checkedInteger(const ColumnInfo& field, qlonglong value) {
    if (field.hasRange && (value < field.minValue || value > field.maxValue))
        outOfRange(field, QString::number(value));
    return QVariant(value);
}

QVariant checkedInteger(const ColumnInfo& field, double rounded) {
    // 2^63 itself does not fit; every double below it in magnitude does.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
        ColumnInfo bounds = field;
        if (!bounds.hasRange) {
            bounds.minValue = std::numeric_limits<qint64>::min();
            bounds.maxValue = std::numeric_limits<qint64>::max();
        }
        outOfRange(bounds, FormatFloat(rounded));
    }
    return checkedInteger(field, static_cast<qlonglong>(rounded));
}

QVariant dateValue(TFieldType type, const QDate& date, const QTime& time) {
    switch (type) {
        case ftDate:
            return QVariant(date);
        case ftTime:
            return QVariant(time);
        default:
            return QVariant(QDateTime(date, time, Qt::UTC));
    }
}

void splitDateValue(const QVariant& value, QDate& date, QTime& time) {
    switch (value.typeId()) {
        case QMetaType::QDate:
            date = value.toDate();
            time = QTime(0, 0);
            break;
        case QMetaType::QTime:
            date = DayZero;
            time = value.toTime();
            break;
        default: {
            const QDateTime dt = value.toDateTime();
            date = dt.date();
            time = dt.time();
        }
    }
}

}  // namespace

bool ParseFloat(const QString& text, double& value) {
    bool ok = false;
    const QString t = text.trimmed();
    value = numberLocale().toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    return ok;
}

namespace {

// The formats are asked for with every date shown or written; working them out takes two
// pattern passes, so each is kept until the default locale changes.
struct LocaleFormats {
    QLocale locale;
    QString shortDate;
    QString longTime;
    // The number symbols, when the locale writes ASCII digits.
    bool asciiDigits = false;
    QString decimalPoint;
    QString exponential;
    QString negativeSign;
    QString positiveSign;
};

const LocaleFormats& localeFormats() {
    thread_local std::optional<LocaleFormats> cached;
    const QLocale locale;
    if (!cached || !(cached->locale == locale)) {
        // Two-digit years corrupt dates on a round trip through text.
        static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
        static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
        cached = LocaleFormats{
            locale,
            locale.dateFormat(QLocale::ShortFormat).replace(shortYear, QStringLiteral("yyyy")),
            locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed(),
            locale.zeroDigit() == QLatin1String("0"),
            locale.decimalPoint(),
            locale.exponential(),
            locale.negativeSign(),
            locale.positiveSign()};
    }
    return *cached;
}

// The C library's correctly rounded digits in the locale's symbols. The locale's own writer
// rounds an exact tie away from zero, and writes zero without its sign; those few values,
// and locales with other digits, are left to it.
bool formatFloatFast(double value, const LocaleFormats& formats, QString& text) {
    if (!formats.asciiDigits || !std::isfinite(value) || (value == 0 && std::signbit(value)))
        return false;
    char digits[40];
    // 17 significant digits: a 16th digit of 5 followed by 0 may be a tie at the 15th.
    const std::to_chars_result exact =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 16);
    const char* first = digits[0] == '-' ? digits + 1 : digits;
    if (exact.ec != std::errc() || (first[16] == '5' && first[17] == '0'))
        return false;
    const std::to_chars_result general =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
    if (general.ec != std::errc())
        return false;
    text.clear();
    text.reserve(general.ptr - digits + 4);
    for (const char* c = digits; c != general.ptr; ++c) {
        switch (*c) {
            case '.':
                text += formats.decimalPoint;
                break;
            case 'e':
                text += formats.exponential;
                break;
            case '-':
                text += formats.negativeSign;
                break;
            case '+':
                text += formats.positiveSign;
                break;
            default:
                text += QLatin1Char(*c);
        }
    }
    return true;
}

}  // namespace

QString FormatFloat(double value) {
    QString text;
    if (formatFloatFast(value, localeFormats(), text))
        return text;
    return numberLocale().toString(value, 'g', 15);
}

QString ShortDateFormat() {
    return localeFormats().shortDate;
}

QString LongTimeFormat() {
    return localeFormats().longTime;
}

QString FormatDate(const QDate& date) {
    const LocaleFormats& formats = localeFormats();
    return formats.locale.toString(date, formats.shortDate);
}

QString FormatTime(const QTime& time) {
    const LocaleFormats& formats = localeFormats();
    return formats.locale.toString(time, formats.longTime);
}

QString FormatDateTime(const QDate& date, const QTime& time) {
    if (!time.isValid() || time.msecsSinceStartOfDay() == 0)
        return FormatDate(date);
    return FormatDate(date) + QLatin1Char(' ') + FormatTime(time);
}

bool ParseDate(const QString& text, QDate& date) {
    const QString t = text.trimmed();
    const QLocale locale;
    for (const QString& format : {ShortDateFormat(), locale.dateFormat(QLocale::ShortFormat),
                                  QStringLiteral("yyyy-MM-dd")}) {
        date = locale.toDate(t, format);
        if (date.isValid())
            return true;
    }
    return false;
}

bool ParseTime(const QString& text, QTime& time) {
    const QString t = text.trimmed();
    const QLocale locale;
    for (const QString& format :
         {LongTimeFormat(), locale.timeFormat(QLocale::ShortFormat), QStringLiteral("HH:mm:ss.zzz"),
          QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")}) {
        time = locale.toTime(t, format);
        if (time.isValid())
            return true;
    }
    return false;
}

bool ParseDateTime(const QString& text, QDate& date, QTime& time) {
    const QString t = text.trimmed();
    if (ParseDate(t, date)) {
        time = QTime(0, 0);
        return true;
    }
    // The date part may itself hold blanks: try every split.
    for (qsizetype i = t.indexOf(QLatin1Char(' ')); i > 0; i = t.indexOf(QLatin1Char(' '), i + 1)) {
        if (ParseDate(t.left(i), date) && ParseTime(t.mid(i + 1), time))
            return true;
    }
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (iso.isValid()) {
        date = iso.date();
        time = iso.time();
        return true;
    }
    return false;
}

double ToDayCount(const QDate& date, const QTime& time) {
    const double days = static_cast<double>(DayZero.daysTo(date));
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / MsPerDay : 0.0;
    // Before day zero the fraction still counts forward from midnight, so it adds to the
    // magnitude.
    return days < 0 ? days - fraction : days + fraction;
}

void FromDayCount(double days, QDate& date, QTime& time) {
    // Beyond 2^53 days a count has no fraction left, and the casts below need a finite range.
    if (!(std::fabs(days) <= 9007199254740992.0))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid date and time").arg(FormatFloat(days)));
    double whole = std::trunc(days);
    qint64 ms = std::llround(std::fabs(days - whole) * MsPerDay);
    if (ms >= qint64(MsPerDay)) {
        ms = 0;
        whole += days < 0 ? -1 : 1;
    }
    date = DayZero.addDays(static_cast<qint64>(whole));
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

namespace {

// Whether the text is already what NormalizeDecimal makes of it: "-?(0|[1-9]\d*)(\.\d*[1-9])?",
// not "-0", with at most `scale` fraction digits. Values read and carried mostly are.
bool isNormalDecimal(const QString& text, int scale) {
    const QChar* at = text.constData();
    const QChar* const end = at + text.size();
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const bool negative = at != end && *at == QLatin1Char('-');
    if (negative)
        ++at;
    if (at == end || !digit(*at))
        return false;
    const bool zero = *at == QLatin1Char('0');
    ++at;
    if (!zero) {
        while (at != end && digit(*at))
            ++at;
    }
    if (at == end)
        return !(zero && negative);
    if (*at != QLatin1Char('.'))
        return false;
    const QChar* const fraction = ++at;
    while (at != end && digit(*at))
        ++at;
    return at == end && at != fraction && at[-1] != QLatin1Char('0') &&
           (scale < 0 || at - fraction <= scale);
}

}  // namespace

bool NormalizeDecimal(const QString& text, int scale, QString& result) {
    if (isNormalDecimal(text, scale)) {
        result = text;
        return true;
    }
    // [+-]digits[.digits][e[+-]digits], by hand: this runs for every decimal value read.
    const QString t = text.trimmed();
    const qsizetype n = t.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    const auto isDigit = [&](qsizetype at) {
        return at < n && t[at] >= QLatin1Char('0') && t[at] <= QLatin1Char('9');
    };
    QString digits;
    digits.reserve(n);
    while (isDigit(i))
        digits.append(t[i++]);
    qint64 point = digits.size();  // digits before the decimal point
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (isDigit(i))
            digits.append(t[i++]);
    }
    if (digits.isEmpty())
        return false;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        bool ok = false;
        const qint64 exponent = t.mid(i + 1).toLongLong(&ok);
        if (!ok || std::llabs(exponent) > 10000)
            return false;
        point += exponent;
        i = n;
    }
    if (i != n)
        return false;
    if (point < 0) {
        digits.prepend(QString(point * -1, QLatin1Char('0')));
        point = 0;
    }
    if (point > digits.size())
        digits.append(QString(point - digits.size(), QLatin1Char('0')));
    if (scale >= 0 && digits.size() - point > scale) {
        const bool roundUp = digits.at(point + scale) >= QLatin1Char('5');
        digits.truncate(point + scale);
        if (roundUp) {
            qsizetype i = digits.size() - 1;
            for (; i >= 0; --i) {
                if (digits[i] == QLatin1Char('9')) {
                    digits[i] = QLatin1Char('0');
                } else {
                    digits[i] = QChar(digits[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0) {
                digits.prepend(QLatin1Char('1'));
                ++point;
            }
        }
    }
    QString intPart = digits.left(point);
    QString fracPart = digits.mid(point);
    while (intPart.size() > 1 && intPart.startsWith(QLatin1Char('0')))
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    while (fracPart.endsWith(QLatin1Char('0')))
        fracPart.chop(1);
    result = intPart;
    if (!fracPart.isEmpty())
        result += QLatin1Char('.') + fracPart;
    if (negative && result != QLatin1String("0"))
        result.prepend(QLatin1Char('-'));
    return true;
}

namespace {

// Engines without a date type may hold any text in a date column (a script's dates in the
// user's format, say): it is shown as it stands when it reads as no date, never as nothing.
QString dateText(const ColumnInfo& field, const QVariant& value) {
    QVariant typed = value;
    if (value.typeId() == QMetaType::QString) {
        try {
            typed = FromText(field, value.toString());
        } catch (const EConvertError&) {
            return value.toString();
        }
        if (!typed.isValid())
            return value.toString();
    }
    switch (KindOf(field.type)) {
        case FieldKind::Date:
            return FormatDate(typed.toDate());
        case FieldKind::Time:
            return FormatTime(typed.toTime());
        default: {
            const QDateTime dt = typed.toDateTime();
            return FormatDateTime(dt.date(), dt.time());
        }
    }
}

}  // namespace

QString ReadText(const ColumnInfo& field, const QVariant& value) {
    if (!value.isValid())
        return QString();
    switch (KindOf(field.type)) {
        case FieldKind::Integer:
            return QString::number(value.toLongLong());
        case FieldKind::Boolean:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case FieldKind::Float:
            return FormatFloat(value.toDouble());
        case FieldKind::Bcd: {
            QString normalized;
            if (!NormalizeDecimal(value.toString(), 4, normalized))
                normalized = value.toString();
            return localizedDecimal(normalized);
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return dateText(field, value);
        case FieldKind::Bytes:
        case FieldKind::Blob:
            return QString::fromLatin1(value.toByteArray());
        case FieldKind::TextBlob:
            return QString::fromUtf8(value.toByteArray());
        case FieldKind::Text:
            break;
    }
    return value.toString();
}

QVariant FromText(const ColumnInfo& field, const QString& text) {
    const FieldKind kind = KindOf(field.type);
    if (text.isEmpty())
        return QVariant();
    switch (kind) {
        case FieldKind::Text:
            return QVariant(cut(text, field.size));
        case FieldKind::Integer: {
            bool ok = false;
            const qlonglong v = text.trimmed().toLongLong(&ok);
            if (!ok) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid integer value for field '%2'")
                        .arg(text, field.name));
            }
            return checkedInteger(field, v);
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
            if (!ParseFloat(text, v)) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                        .arg(text, field.name));
            }
            return QVariant(v);
        }
        case FieldKind::Bcd: {
            QString decimal;
            if (!NormalizeDecimal(canonicalDecimal(text), 4, decimal)) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                        .arg(text, field.name));
            }
            return QVariant(decimal);
        }
        case FieldKind::Date: {
            QDate date;
            if (!ParseDate(text, date))
                throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
            return QVariant(date);
        }
        case FieldKind::Time: {
            QTime time;
            if (!ParseTime(text, time))
                throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
            return QVariant(time);
        }
        case FieldKind::DateTime: {
            QDate date;
            QTime time;
            if (!ParseDateTime(text, date, time))
                throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
            return QVariant(QDateTime(date, time, Qt::UTC));
        }
        case FieldKind::Bytes:
            return QVariant(cut(text.toLatin1(), field.size));
        case FieldKind::Blob:
            return QVariant(text.toLatin1());
        case FieldKind::TextBlob:
            return QVariant(text.toUtf8());
    }
    return QVariant();
}

namespace {

bool isIntegral(const QVariant& value) {
    switch (value.typeId()) {
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

bool isFloating(const QVariant& value) {
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

// ISO text with more than millisecond precision: kept as text, as the drivers read it, since a
// QDateTime would drop the extra digits.
bool isFineTimestamp(const QString& text) {
    static const QRegularExpression fine(
        QStringLiteral("^\\d{4,}-\\d\\d-\\d\\d[T ]\\d\\d:\\d\\d:\\d\\d\\.\\d{4,6}$"));
    return fine.match(text).hasMatch();
}

[[noreturn]] void cannotTake(const ColumnInfo& field, const QVariant& value) {
    throw EConvertError(QStringLiteral("Cannot assign a value of type %1 to field '%2'")
                            .arg(QLatin1String(value.typeName()), field.name));
}

}  // namespace

QVariant FromValue(const ColumnInfo& field, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    const int type = value.typeId();
    if (type == QMetaType::QString && KindOf(field.type) == FieldKind::DateTime &&
        isFineTimestamp(value.toString()))
        return value;
    if (type == QMetaType::QString && KindOf(field.type) != FieldKind::Text)
        return FromText(field, value.toString());
    switch (KindOf(field.type)) {
        case FieldKind::Text:
            if (type == QMetaType::QString) {
                const QString& text = *static_cast<const QString*>(value.constData());
                if (field.size <= 0 || text.size() <= field.size)
                    return value;
                return QVariant(cut(text, field.size));
            }
            if (type == QMetaType::QByteArray)
                return QVariant(cut(QString::fromUtf8(value.toByteArray()), field.size));
            if (isIntegral(value) || isFloating(value) || type == QMetaType::ULongLong ||
                type == QMetaType::Bool || type == QMetaType::QUuid)
                return QVariant(cut(value.toString(), field.size));
            if (type == QMetaType::QDate)
                return FromText(field, FormatDate(value.toDate()));
            if (type == QMetaType::QTime)
                return FromText(field, FormatTime(value.toTime()));
            if (type == QMetaType::QDateTime) {
                const QDateTime dt = value.toDateTime();
                return FromText(field, FormatDateTime(dt.date(), dt.time()));
            }
            break;
        case FieldKind::Integer:
            if (isIntegral(value))
                return checkedInteger(field, value.toLongLong());
            if (type == QMetaType::ULongLong) {
                if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
                    outOfRange(field, value.toString());
                return checkedInteger(field, value.toLongLong());
            }
            if (type == QMetaType::Bool)
                return checkedInteger(field, qlonglong(value.toBool() ? 1 : 0));
            if (isFloating(value)) {
                const double v = value.toDouble();
                if (std::isfinite(v) && v == std::trunc(v))
                    return checkedInteger(field, v);
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid integer value for field '%2'")
                        .arg(FormatFloat(v), field.name));
            }
            break;
        case FieldKind::Boolean:
            if (type == QMetaType::Bool)
                return value;
            if (isIntegral(value))
                return QVariant(value.toLongLong() != 0);
            break;
        case FieldKind::Float:
            if (isFloating(value) || isIntegral(value) || type == QMetaType::ULongLong)
                return QVariant(value.toDouble());
            break;
        case FieldKind::Bcd:
            if (isIntegral(value))
                return FromText(field, QString::number(value.toLongLong()));
            if (isFloating(value))
                return FromNumber(field, value.toDouble());
            break;
        case FieldKind::Date:
            if (type == QMetaType::QDate)
                return value;
            if (type == QMetaType::QDateTime)
                return QVariant(value.toDateTime().date());
            break;
        case FieldKind::Time:
            if (type == QMetaType::QTime)
                return value;
            if (type == QMetaType::QDateTime)
                return QVariant(value.toDateTime().time());
            break;
        case FieldKind::DateTime:
            if (type == QMetaType::QDateTime) {
                const QDateTime dt = value.toDateTime();
                if (dt.timeSpec() == Qt::UTC)
                    return value;
                return QVariant(QDateTime(dt.date(), dt.time(), Qt::UTC));
            }
            if (type == QMetaType::QDate)
                return QVariant(QDateTime(value.toDate(), QTime(0, 0), Qt::UTC));
            break;
        case FieldKind::Bytes:
            if (type == QMetaType::QByteArray)
                return QVariant(cut(value.toByteArray(), field.size));
            break;
        case FieldKind::Blob:
        case FieldKind::TextBlob:
            if (type == QMetaType::QByteArray)
                return value;
            break;
    }
    cannotTake(field, value);
}

double ReadNumber(const ColumnInfo& field, const QVariant& value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text: {
            if (!value.isValid())
                return 0;
            double v = 0;
            if (!ParseFloat(value.toString(), v)) {
                throw EConvertError(QStringLiteral("'%1' is not a valid floating point value")
                                        .arg(value.toString()));
            }
            return v;
        }
        case FieldKind::Integer:
            return value.isValid() ? static_cast<double>(value.toLongLong()) : 0;
        case FieldKind::Float:
            return value.isValid() ? value.toDouble() : 0;
        case FieldKind::Bcd:
            return value.isValid() ? QLocale::c().toDouble(value.toString()) : 0;
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime: {
            if (!value.isValid())
                return 0;
            QDate date;
            QTime time;
            splitDateValue(value, date, time);
            return ToDayCount(date, time);
        }
        default:
            cannotAccess(field, "Float");
    }
}

QVariant FromNumber(const ColumnInfo& field, double value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text:
            return QVariant(cut(FormatFloat(value), field.size));
        case FieldKind::Integer:
            // nearbyint rounds halves to the even neighbour in the default rounding mode.
            return checkedInteger(field, std::nearbyint(value));
        case FieldKind::Float:
            return QVariant(value);
        case FieldKind::Bcd: {
            QString decimal;
            if (!std::isfinite(value) ||
                !NormalizeDecimal(QString::number(value, 'g', 15), 4, decimal)) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                        .arg(FormatFloat(value), field.name));
            }
            return QVariant(decimal);
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime: {
            QDate date;
            QTime time;
            FromDayCount(value, date, time);
            return dateValue(field.type, date, time);
        }
        default:
            cannotAccess(field, "Float");
    }
}

double ReadDateTime(const ColumnInfo& field, const QVariant& value) {
    switch (KindOf(field.type)) {
        case FieldKind::Text: {
            if (!value.isValid())
                return 0;
            QDate date;
            QTime time;
            if (!ParseDateTime(value.toString(), date, time)) {
                throw EConvertError(
                    QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
            }
            return ToDayCount(date, time);
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return ReadNumber(field, value);
        default:
            cannotAccess(field, "DateTime");
    }
}

QVariant FromDateTime(const ColumnInfo& field, double value) {
    QDate date;
    QTime time;
    switch (KindOf(field.type)) {
        case FieldKind::Text:
            FromDayCount(value, date, time);
            return QVariant(cut(FormatDateTime(date, time), field.size));
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            FromDayCount(value, date, time);
            return dateValue(field.type, date, time);
        default:
            cannotAccess(field, "DateTime");
    }
}

}  // namespace FieldConvert
