#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class TField;

// The date and the time of day a script writes for a date or time field, to the whole second.
// A script's text forms carry no fractions, and rounding them would carry 23:59:59.9995 into
// the next day (and 9999-12-31 past the last year an engine takes).
struct ScriptMoment {
    QDate date;
    QTime time;
};

// From the field's own date or time value, or else through ReadDateTime(), which fails on text
// that reads as no date. A time alone stands on 30 December 1899, as in a day count. The end of
// the day (24:00:00) and years outside 1 to 9999, which no script's forms write, fail.
ScriptMoment WholeSecondMoment(const TField& field);

// Fails the row of a field whose value, shown as `value`, no script can carry, saying why when
// `reason` is given.
[[noreturn]] void ScriptCannotCarry(const TField& field, const QString& value,
                                    const QString& reason = QString());
