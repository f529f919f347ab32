#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/IsoDateTime.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <optional>

// The text forms of values, as people read and type them in the user's locale.
namespace FieldConvert {
namespace {

const QDate DayZero(1899, 12, 30);
constexpr double MsPerDay = 86400000.0;
// Stands for the fraction of a second in a time format; no locale writes it.
const QChar FractionMark(0x1);

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

// The formats are asked for with every date shown or written; working them out takes two
// pattern passes, so each is kept until the default locale changes.
struct LocaleFormats {
    QLocale locale;
    QString shortDate;
    QString longTime;
    // The long time format with FractionMark right after the seconds.
    QString fractionTime;
    // The number symbols, when the locale writes ASCII digits.
    bool asciiDigits = false;
    QString decimalPoint;
    QString exponential;
    QString negativeSign;
    QString positiveSign;
};

QString withFractionMark(QString format) {
    const qsizetype seconds = format.indexOf(QLatin1String("ss"));
    const QString mark = QLatin1Char('\'') + FractionMark + QLatin1Char('\'');
    if (seconds < 0)
        return format + mark;
    return format.insert(seconds + 2, mark);
}

const LocaleFormats& localeFormats() {
    thread_local std::optional<LocaleFormats> cached;
    const QLocale locale;
    if (!cached || !(cached->locale == locale)) {
        // Two-digit years corrupt dates on a round trip through text.
        static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
        static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
        const QString longTime = locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
        cached = LocaleFormats{
            locale,
            locale.dateFormat(QLocale::ShortFormat).replace(shortYear, QStringLiteral("yyyy")),
            longTime,
            withFractionMark(longTime),
            locale.zeroDigit() == QLatin1String("0"),
            locale.decimalPoint(),
            locale.exponential(),
            locale.negativeSign(),
            locale.positiveSign()};
    }
    return *cached;
}

// C library digits ('.', 'e', '-', '+') in the locale's symbols.
QString localized(const char* digits, const char* end, const LocaleFormats& formats) {
    QString text;
    text.reserve(end - digits + 4);
    for (const char* c = digits; c != end; ++c) {
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
    return text;
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
    text = localized(digits, general.ptr, formats);
    return true;
}

// Fraction digits of a microsecond count: three when they are whole milliseconds, else six.
QString fractionDigits(int usec) {
    return usec % 1000 ? QStringLiteral("%1").arg(usec, 6, 10, QLatin1Char('0'))
                       : QStringLiteral("%1").arg(usec / 1000, 3, 10, QLatin1Char('0'));
}

// "hh:mm:ss" in the user's format followed by `separator` and up to nine fraction digits: the
// fraction, taken off, and the rest of the text. False when there is no such fraction.
bool splitFraction(const QString& text, qint64& usec, QString& rest) {
    static const QRegularExpression fraction(QStringLiteral("(?<=\\d\\d)[.,](\\d{1,9})(?!\\d)"));
    QRegularExpressionMatch last;
    for (const QRegularExpressionMatch& m : fraction.globalMatch(text))
        last = m;
    if (!last.hasMatch())
        return false;
    const QString digits = last.captured(1);
    usec = 0;
    qint64 unit = UsecPerSecond;
    for (const QChar c : digits) {
        unit /= 10;
        if (unit > 0)
            usec += (c.unicode() - '0') * unit;
        else if (c != QLatin1Char('0'))
            return false;
    }
    rest = text.left(last.capturedStart()) + text.mid(last.capturedEnd());
    return true;
}

bool parseIsoTime(const QString& text, TimeOfDay& time) {
    const QByteArray latin1 = text.trimmed().toLatin1();
    return IsoDateTime::ParseTime(latin1.constData(), int(latin1.size()), time);
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

bool ParseDecimal(const QString& text, QString& decimal) {
    if (Decimal::Normalize(text, decimal))
        return true;
    const QString point = QLocale().decimalPoint();
    if (point == QLatin1String("."))
        return false;
    QString t = text.trimmed();
    t.replace(point, QLatin1String("."));
    return Decimal::Normalize(t, decimal);
}

QString FormatFloat(double value) {
    QString text;
    if (formatFloatFast(value, localeFormats(), text))
        return text;
    return numberLocale().toString(value, 'g', 15);
}

QString FormatFloatExact(double value) {
    const LocaleFormats& formats = localeFormats();
    char digits[40];
    const std::to_chars_result shortest = std::to_chars(digits, digits + sizeof digits, value);
    if (!formats.asciiDigits || !std::isfinite(value) || shortest.ec != std::errc())
        return numberLocale().toString(value, 'g', QLocale::FloatingPointShortest);
    return localized(digits, shortest.ptr, formats);
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

QString FormatTime(const TimeOfDay& time) {
    if (time.usec >= UsecPerDay)
        return QStringLiteral("24:00:00");
    const LocaleFormats& formats = localeFormats();
    const QTime whole(time.hour(), time.minute(), time.second());
    if (time.fraction() == 0)
        return formats.locale.toString(whole, formats.longTime);
    QString text = formats.locale.toString(whole, formats.fractionTime);
    return text.replace(FractionMark, formats.decimalPoint + fractionDigits(time.fraction()));
}

QString FormatDateTime(const QDate& date, const QTime& time) {
    if (!time.isValid() || time.msecsSinceStartOfDay() == 0)
        return FormatDate(date);
    return FormatDate(date) + QLatin1Char(' ') + FormatTime(time);
}

QString FormatTimeStamp(const TimeStamp& stamp) {
    QString text = FormatDate(stamp.date);
    if (stamp.usec != 0 || stamp.zoned)
        text += QLatin1Char(' ') + FormatTime(stamp.time());
    if (stamp.zoned) {
        char zone[IsoDateTime::WriteRoom];
        text += QLatin1Char(' ') +
                QString::fromLatin1(zone, IsoDateTime::WriteZone(zone, stamp.offset));
    }
    return text;
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

bool ParseTime(const QString& text, TimeOfDay& time) {
    if (parseIsoTime(text, time))
        return true;
    QTime whole;
    if (ParseTime(text, whole)) {
        time = TimeOfDay::fromQTime(whole);
        return true;
    }
    qint64 fraction = 0;
    QString rest;
    if (!splitFraction(text, fraction, rest) || !ParseTime(rest, whole) || whole.msec() != 0)
        return false;
    time.usec = TimeOfDay::fromQTime(whole).usec + fraction;
    return true;
}

bool ParseDateTime(const QString& text, QDate& date, QTime& time) {
    TimeStamp stamp;
    if (!ParseTimeStamp(text, stamp))
        return false;
    date = stamp.date;
    time = stamp.time().toQTime();
    return true;
}

bool ParseTimeStamp(const QString& text, TimeStamp& stamp) {
    const QString t = text.trimmed();
    const QByteArray latin1 = t.toLatin1();
    if (IsoDateTime::ParseTimeStamp(latin1.constData(), int(latin1.size()), stamp))
        return true;
    stamp = TimeStamp();
    if (ParseDate(t, stamp.date))
        return true;
    // The date part may itself hold blanks: try every split.
    for (qsizetype i = t.indexOf(QLatin1Char(' ')); i > 0; i = t.indexOf(QLatin1Char(' '), i + 1)) {
        TimeOfDay time;
        if (ParseDate(t.left(i), stamp.date) && ParseTime(t.mid(i + 1), time) &&
            time.usec < UsecPerDay) {
            stamp.usec = time.usec;
            return true;
        }
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
    // Rounding must not carry the time into another day than the count holds.
    ms = std::min(ms, qint64(MsPerDay) - 1);
    date = DayZero.addDays(static_cast<qint64>(whole));
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

}  // namespace FieldConvert
