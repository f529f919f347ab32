#pragma once

#include "tests/values/ValueModel.h"

#include <QDate>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;
struct TimeOfDay;
struct TimeStamp;

// Values written the way each engine's own SQL spells them, made here rather than by the program
// so that a source table holds what its engine makes of plain SQL.

// ISO forms: years of at least four digits, microseconds when there are any; `bc` writes years
// before the common era as PostgreSQL does ("0044-03-15 BC").
QString IsoDate(const QDate& date, bool bc = false);
QString IsoTime(const TimeOfDay& time);
QString IsoStamp(const TimeStamp& stamp, bool bc = false);

// The literal of a value in a column, for PostgreSQL and MariaDB; NULL for an invalid QVariant.
QString EngineLiteral(Engine engine, const ColumnSpec& column, const QVariant& value);
// Binds a value as SQLite keeps it: numbers as integers or doubles, dates and times as ISO text.
int BindSqlite(sqlite3_stmt* stmt, int parameter, const ColumnSpec& column, const QVariant& value);
