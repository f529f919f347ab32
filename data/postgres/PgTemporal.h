#pragma once

#include <QByteArray>
#include <QDate>
#include <QtGlobal>
#include <limits>

// Dates and times in the server's ISO text forms, counted the way the server stores them:
// days and microseconds from 2000-01-01, with 'infinity' and '-infinity' at the ends of the
// 64-bit range. Microseconds survive where QTime would keep milliseconds only.
namespace PgTemporal {

constexpr qint64 UsecPerDay = 86400000000LL;
constexpr qint64 PlusInfinity = std::numeric_limits<qint64>::max();
constexpr qint64 MinusInfinity = std::numeric_limits<qint64>::min();

bool isInfinite(qint64 value);

// "2026-08-12", "0044-03-15 BC", "infinity".
bool parseDate(const char* text, int length, qint64& days);
// "10:11:12.123456"; "24:00:00" is the end of the day.
bool parseTime(const char* text, int length, qint64& usec);
// "2026-08-12 10:11:12.5" and, with a zone, "...+05:30"; the result is in UTC then.
bool parseTimestamp(const char* text, int length, bool withZone, qint64& usec);

void appendDate(QByteArray& out, qint64 days);
void appendTime(QByteArray& out, qint64 usec);
void appendTimestamp(QByteArray& out, qint64 usec, bool withZone, char separator = ' ');
QByteArray formatDate(qint64 days);
QByteArray formatTime(qint64 usec);
// `separator` between date and time: ' ' as the server writes it, 'T' as Qt reads it. With a
// zone the value is written in UTC ("+00").
QByteArray formatTimestamp(qint64 usec, bool withZone, char separator = ' ');

qint64 daysFromDate(const QDate& date);
QDate dateFromDays(qint64 days);

}  // namespace PgTemporal
