#include "data/Temporal.h"

#include <QDateTime>

namespace {

// Julian day of 1970-01-01.
constexpr qint64 EpochDay = 2440588;

qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

}  // namespace

TimeOfDay TimeOfDay::fromQTime(const QTime& time) {
    return TimeOfDay{time.isValid() ? qint64(time.msecsSinceStartOfDay()) * 1000 : 0};
}

QTime TimeOfDay::toQTime() const {
    const qint64 ms = std::min<qint64>(usec / 1000, 86399999);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

TimeStamp TimeStamp::fromQDateTime(const QDateTime& dateTime) {
    TimeStamp stamp;
    stamp.date = dateTime.date();
    stamp.usec = TimeOfDay::fromQTime(dateTime.time()).usec;
    if (dateTime.timeSpec() == Qt::OffsetFromUTC || dateTime.timeSpec() == Qt::TimeZone) {
        stamp.zoned = true;
        stamp.offset = dateTime.offsetFromUtc();
    }
    return stamp;
}

qint64 TimeStamp::localUsecSinceEpoch() const {
    return (date.toJulianDay() - EpochDay) * UsecPerDay + usec;
}

TimeStamp TimeStamp::fromLocalUsecSinceEpoch(qint64 usec) {
    const qint64 days = floorDiv(usec, UsecPerDay);
    TimeStamp stamp;
    stamp.date = QDate::fromJulianDay(days + EpochDay);
    stamp.usec = usec - days * UsecPerDay;
    return stamp;
}

TimeStamp TimeStamp::toUtc() const {
    if (!zoned || offset == 0) {
        TimeStamp utc = *this;
        utc.zoned = zoned;
        utc.offset = 0;
        return utc;
    }
    TimeStamp utc = fromLocalUsecSinceEpoch(localUsecSinceEpoch() - qint64(offset) * UsecPerSecond);
    utc.zoned = true;
    return utc;
}
