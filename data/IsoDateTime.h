#pragma once

#include "data/Temporal.h"

#include <QByteArray>
#include <QDate>

// ISO-8601 dates and times as databases store them in text ("2026-12-08", "14:05:09.250",
// "2026-12-08 14:05:09.123456+01:00"), parsed and written without the general-purpose Qt
// machinery, which is far too slow for reading millions of rows.
namespace IsoDateTime {

bool ParseDate(const char* text, int length, QDate& date);
// "hh:mm", "hh:mm:ss" and a fraction of up to nine digits, those beyond the microsecond zero:
// a time that would lose digits is no time here. "24:00:00" is the end of the day.
bool ParseTime(const char* text, int length, TimeOfDay& time);
// A date alone reads as midnight; the separator may be a blank or 'T'. A zone after the time
// ("Z", "+01", "+01:00", "-0530", with or without a blank before it) makes the stamp zoned.
bool ParseTimeStamp(const char* text, int length, TimeStamp& stamp);

// The same texts written into `out`, which has room for WriteRoom bytes; they return the
// length. Fractions are written as three digits when they are whole milliseconds, else six,
// and not at all when zero.
constexpr int WriteRoom = 64;
int WriteDate(char* out, const QDate& date);
int WriteTime(char* out, const TimeOfDay& time);
int WriteTimeStamp(char* out, const TimeStamp& stamp, char separator = ' ');
// An offset from UTC: "+01:00", "-05:30", seconds only when there are any.
int WriteZone(char* out, qint32 offset);

QByteArray FormatDate(const QDate& date);
QByteArray FormatTime(const TimeOfDay& time);
QByteArray FormatTimeStamp(const TimeStamp& stamp, char separator = ' ');

}  // namespace IsoDateTime
