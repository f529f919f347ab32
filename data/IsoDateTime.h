#pragma once

#include <QByteArray>
#include <QDate>
#include <QTime>

// ISO-8601 dates and times as databases store them in text ("2026-12-08", "14:05:09.250",
// "2026-12-08 14:05:09"), parsed and written without the general-purpose Qt machinery, which is
// far too slow for reading millions of rows.
namespace IsoDateTime {

bool ParseDate(const char* text, int length, QDate& date);
// Fractions beyond milliseconds are rounded off.
bool ParseTime(const char* text, int length, QTime& time);
// A date alone reads as midnight; the separator may be a blank or 'T'.
bool ParseDateTime(const char* text, int length, QDate& date, QTime& time);

// The same texts written into `out`, which has room for WriteRoom bytes; they return the
// length.
constexpr int WriteRoom = 48;
int WriteDate(char* out, const QDate& date);
int WriteTime(char* out, const QTime& time);
int WriteDateTime(char* out, const QDate& date, const QTime& time);

QByteArray FormatDate(const QDate& date);
// Milliseconds only when there are any.
QByteArray FormatTime(const QTime& time);
QByteArray FormatDateTime(const QDate& date, const QTime& time);

}  // namespace IsoDateTime
