#pragma once

#include "data/Driver.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QVariant>

// The value conversions of fields: between a field's stored value (a canonical QVariant, see
// Row.h) and text, numbers and date-times. Text forms follow the default QLocale (the user's
// locale unless a test sets another), except that years always have four digits.
namespace FieldConvert {

QString ReadText(const ColumnInfo& field, const QVariant& value);
QVariant FromText(const ColumnInfo& field, const QString& text);
// Any value in the field's canonical form (see Row.h): numbers, dates, text and bytes are
// converted where that keeps the value; anything else fails with the conversion's message.
QVariant FromValue(const ColumnInfo& field, const QVariant& value);
double ReadNumber(const ColumnInfo& field, const QVariant& value);
QVariant FromNumber(const ColumnInfo& field, double value);
double ReadDateTime(const ColumnInfo& field, const QVariant& value);
QVariant FromDateTime(const ColumnInfo& field, double value);

// General number format with at most 15 significant digits.
QString FormatFloat(double value);
// Parses with the locale's decimal separator, or '.'. False when the text is no number.
bool ParseFloat(const QString& text, double& value);

QString ShortDateFormat();
QString LongTimeFormat();
QString FormatDate(const QDate& date);
QString FormatTime(const QTime& time);
// Time left out at midnight.
QString FormatDateTime(const QDate& date, const QTime& time);
bool ParseDate(const QString& text, QDate& date);
bool ParseTime(const QString& text, QTime& time);
bool ParseDateTime(const QString& text, QDate& date, QTime& time);

// A date-time as a day count from 30 December 1899, the fraction being the time of day.
double ToDayCount(const QDate& date, const QTime& time);
void FromDayCount(double days, QDate& date, QTime& time);

// Exact decimal text ('.' separator, no exponent), rounded half away from zero to `scale`
// places when scale >= 0; trailing zeros of the fraction removed. False when no decimal.
bool NormalizeDecimal(const QString& text, int scale, QString& result);

}  // namespace FieldConvert
