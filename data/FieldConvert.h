#pragma once

#include "data/Driver.h"
#include "data/Temporal.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

// The value conversions of fields: between a field's stored value (its exact form, see Row.h)
// and text, numbers and date-times. Text forms follow the default QLocale (the user's locale
// unless a test sets another), except that years always have four digits.
namespace FieldConvert {

// The value as people read it: numbers with every digit they have, times with their fraction
// of a second when there is one.
QString ReadText(const ColumnInfo& field, const QVariant& value);
// Text typed by people: an empty text makes a number, date, boolean or bytes field null and
// stays '' in a text field; text is cut to the field's size.
QVariant FromText(const ColumnInfo& field, const QString& text);
// Any value in an exact form (see Row.h) into the field's own form, only where that keeps the
// value: a value the field cannot hold (out of range, more digits than it keeps, longer than
// its size, a character or date its engine cannot store) fails with a message naming the
// field, the value and the limit.
QVariant FromValue(const ColumnInfo& field, const QVariant& value);
double ReadNumber(const ColumnInfo& field, const QVariant& value);
QVariant FromNumber(const ColumnInfo& field, double value);
double ReadDateTime(const ColumnInfo& field, const QVariant& value);
QVariant FromDateTime(const ColumnInfo& field, double value);

// General number format with at most 15 significant digits.
QString FormatFloat(double value);
// The shortest text that reads back as the same double, in the locale's symbols.
QString FormatFloatExact(double value);
// Parses with the locale's decimal separator, or '.'. False when the text is no number.
bool ParseFloat(const QString& text, double& value);
// An exact decimal (see Decimal.h) from text with the locale's separator or '.'.
bool ParseDecimal(const QString& text, QString& decimal);

QString ShortDateFormat();
QString LongTimeFormat();
QString FormatDate(const QDate& date);
QString FormatTime(const QTime& time);
// With the fraction of a second after the seconds when there is one.
QString FormatTime(const TimeOfDay& time);
// Time left out at midnight.
QString FormatDateTime(const QDate& date, const QTime& time);
QString FormatTimeStamp(const TimeStamp& stamp);
bool ParseDate(const QString& text, QDate& date);
bool ParseTime(const QString& text, QTime& time);
bool ParseTime(const QString& text, TimeOfDay& time);
bool ParseDateTime(const QString& text, QDate& date, QTime& time);
bool ParseTimeStamp(const QString& text, TimeStamp& stamp);

// A date-time as a day count from 30 December 1899, the fraction being the time of day.
double ToDayCount(const QDate& date, const QTime& time);
void FromDayCount(double days, QDate& date, QTime& time);

}  // namespace FieldConvert
