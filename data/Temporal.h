#pragma once

#include <QDate>
#include <QMetaType>
#include <QTime>
#include <QtGlobal>

// Times and time stamps as row values: to the microsecond, which QTime and QDateTime cannot
// hold, and with the end of the day (24:00:00) that some engines store.
constexpr qint64 UsecPerSecond = 1000000;
constexpr qint64 UsecPerDay = 86400 * UsecPerSecond;

// A time of day, from 00:00:00 to 24:00:00 inclusive.
struct TimeOfDay {
    qint64 usec = 0;

    static bool isValid(qint64 usec) { return usec >= 0 && usec <= UsecPerDay; }
    static TimeOfDay fromQTime(const QTime& time);
    // The time to the millisecond below it; 24:00:00 gives 23:59:59.999.
    QTime toQTime() const;
    int hour() const { return static_cast<int>(usec / (3600 * UsecPerSecond)); }
    int minute() const { return static_cast<int>(usec / (60 * UsecPerSecond) % 60); }
    int second() const { return static_cast<int>(usec / UsecPerSecond % 60); }
    int fraction() const { return static_cast<int>(usec % UsecPerSecond); }

    friend bool operator==(const TimeOfDay& a, const TimeOfDay& b) { return a.usec == b.usec; }
    friend bool operator!=(const TimeOfDay& a, const TimeOfDay& b) { return !(a == b); }
};

// A date and a time of day. Without a zone it is what a column without one holds, taken as it
// stands; with one, `offset` is the offset from UTC (seconds east) the time is written in.
struct TimeStamp {
    QDate date;
    qint64 usec = 0;  // of the day: 0 to UsecPerDay - 1
    qint32 offset = 0;
    bool zoned = false;

    static TimeStamp fromQDateTime(const QDateTime& dateTime);
    TimeOfDay time() const { return TimeOfDay{usec}; }
    // The same instant written in UTC (offset 0); a time stamp without zone is taken as UTC.
    TimeStamp toUtc() const;
    // Microseconds from 1970-01-01 00:00 of the date and time as written (offset not applied).
    qint64 localUsecSinceEpoch() const;
    static TimeStamp fromLocalUsecSinceEpoch(qint64 usec);

    friend bool operator==(const TimeStamp& a, const TimeStamp& b) {
        return a.date == b.date && a.usec == b.usec && a.zoned == b.zoned &&
               (!a.zoned || a.offset == b.offset);
    }
    friend bool operator!=(const TimeStamp& a, const TimeStamp& b) { return !(a == b); }
};

Q_DECLARE_TYPEINFO(TimeOfDay, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(TimeStamp, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(TimeOfDay)
Q_DECLARE_METATYPE(TimeStamp)
