#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The fixed date and time patterns of a script, "dd.mm.yyyy" and "dd.mm.yyyy hh:nn:ss". The
// colon of a pattern stands for the user's time separator. Fractions of a second are dropped:
// a script carries whole seconds.
namespace DayPattern {

// The separator between hours and minutes in the user's long time format (':' when it has none).
QString TimeSeparator();

// "dd.mm.yyyy", or "dd.mm.yyyy hh:nn:ss" when `withTime`.
QString Format(const QDate& date, const QTime& time, bool withTime);
// "hh:nn:ss" alone.
QString FormatTime(const QTime& time);
// The time written "hh:nn:ss" reads "00:00:00"; never true under a separator other than a colon.
bool IsMidnight(const QTime& time);

}  // namespace DayPattern
