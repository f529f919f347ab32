#pragma once

#include <QString>

// The fixed date and time patterns of a script, "dd.mm.yyyy" and "dd.mm.yyyy hh:nn:ss", applied
// to a day count (days from 30 December 1899, the fraction being the time of day). The colon
// of a pattern stands for the user's time separator.
namespace DayPattern {

// The separator between hours and minutes in the user's long time format (':' when it has none).
QString TimeSeparator();

// "dd.mm.yyyy", or "dd.mm.yyyy hh:nn:ss" when `withTime`; the time is taken to the nearest
// millisecond and the milliseconds are dropped.
QString Format(double days, bool withTime);
// "hh:nn:ss" alone.
QString FormatTime(double days);
// The time of day written "hh:nn:ss" reads "00:00:00"; never true under a separator other
// than a colon.
bool IsMidnight(double days);

}  // namespace DayPattern
