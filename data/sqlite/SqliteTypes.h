#pragma once

#include "data/Driver.h"
#include "data/RowCodec.h"
#include "data/sqlite/SqliteHandles.h"

// Declared SQLite column types onto field types, and values between statements and rows.
namespace SqliteTypes {

// `autoIncrement`: the column is the INTEGER PRIMARY KEY of a table declared AUTOINCREMENT.
ColumnInfo MapColumn(const QString& name, const QString& declaredType, bool autoIncrement);

QVariant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type);
// Binds a row value (canonical form) to a parameter; returns the sqlite3_bind_* result.
int Bind(sqlite3_stmt* stmt, int parameter, const QVariant& value, TFieldType type);
// As Bind, without SQLite's copy of the bytes: they are kept in `room`, or in `value` itself,
// which must both stay unchanged until the parameter is bound again.
int BindInPlace(sqlite3_stmt* stmt, int parameter, const QVariant& value, TFieldType type,
                QByteArray& room);
// As BindInPlace, for a value read in place from a packed row, which must stay as it is until
// the parameter is bound again; it binds what BindInPlace binds for the value unpacked.
int BindPacked(sqlite3_stmt* stmt, int parameter, const RowCodec::PackedValue& value,
               TFieldType type, QByteArray& room);

}  // namespace SqliteTypes
