#pragma once

#include "tests/values/ArrivalRules.h"

#include <QDate>
#include <QString>
#include <QVector>

// The pieces the rule tables are written in: a value on its hop, and a rule that decides what
// becomes of it.

struct Case {
    Hop hop;
    const ColumnSpec& column;
    QVariant value;

    Kind kind() const { return column.kind; }
    bool script() const { return IsScript(hop.path); }
    bool move() const { return hop.path == Path::MoveTyped || hop.path == Path::MoveUntyped; }
    bool into(Engine engine) const { return hop.to == engine; }
    // A script some engine runs (the Oracle dialect's is only read back).
    bool executed() const { return script() && hop.path != Path::OracleText; }
    bool ansi() const { return hop.path == Path::AnsiByProgram || hop.path == Path::AnsiByShell; }
    bool is(int type) const { return value.userType() == type; }
    bool isText() const;
    QString text() const;
    bool isReal() const { return is(QMetaType::Double); }
    double real() const { return value.toDouble(); }
    bool isDecimal() const;
    // The date of a date or time stamp value, in UTC; invalid for other values.
    QDate date() const;
};

enum class Effect {
    Nearest,  // the value arrives in the form `nearest` gives it
    Refuses,  // the program fails the row, its message saying `reason`
    Rejects,  // the target engine refuses the script's statement
};

struct Rule {
    const char* says;
    Effect effect;
    bool (*applies)(const Case&);
    const char* reason = "";
    QVariant (*nearest)(const Case&) = nullptr;
};

// The rules in the order they decide: what a script's text cannot say, what the program refuses
// to write into a field, the nearest forms engines keep, what an engine makes of a statement.
const QVector<Rule>& ScriptTextRules();
const QVector<Rule>& FieldRules();
const QVector<Rule>& NearestFormRules();
const QVector<Rule>& ExecutionRules();

// The offset of the time zone the suite's PostgreSQL sessions run in (ValueEngines): a server
// away from UTC shows what a time stamp without zone becomes.
constexpr qint32 PostgresSessionOffset = 5 * 3600 + 30 * 60;

int DigitsBefore(const QString& decimal);
int DigitsAfter(const QString& decimal);
// The double a 4-byte float column gives back for a value: its float's shortest digits.
double SingleOf(double value);
// Whether a 4-byte float holds the value: NaN and the infinities, or a finite float whose
// shortest digits read as the same double.
bool IsSingle(double value);
bool TextTooLong(const Case& c);
bool HoldsNul(const Case& c);
// Bytes of a memo that are no UTF-8.
bool NoUtf8(const Case& c);
// Integers beyond a 2- or 4-byte column.
bool OutOfIntegerRange(const Case& c);
// What a number column holds that is no number of its type: SQLite's text or a fraction in an
// integer column.
bool ForeignNumber(const Case& c);
// Text in a date, time or time stamp column.
bool DateText(const Case& c);
bool DateOutside(const Case& c, const QDate& first, const QDate& last);
