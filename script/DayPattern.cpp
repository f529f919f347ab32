#include "script/DayPattern.h"

#include "data/FieldConvert.h"

namespace DayPattern {
namespace {

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

QString timeText(const QTime& time, const QString& separator) {
    return twoDigits(time.hour()) + separator + twoDigits(time.minute()) + separator +
           twoDigits(time.second());
}

}  // namespace

QString TimeSeparator() {
    const QString format = FieldConvert::LongTimeFormat();
    bool inHour = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('h') || c == QLatin1Char('H')) {
            inHour = true;
        } else if (inHour) {
            if (c.isLetter() || c == QLatin1Char('\''))
                break;
            return QString(c);
        }
    }
    return QStringLiteral(":");
}

QString Format(const QDate& date, const QTime& time, bool withTime) {
    QString text = twoDigits(date.day()) + QLatin1Char('.') + twoDigits(date.month()) +
                   QLatin1Char('.') +
                   QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
    if (withTime)
        text += QLatin1Char(' ') + timeText(time, TimeSeparator());
    return text;
}

QString FormatTime(const QTime& time) {
    return timeText(time, TimeSeparator());
}

bool IsMidnight(const QTime& time) {
    return FormatTime(time) == QLatin1String("00:00:00");
}

}  // namespace DayPattern
