#pragma once

#include "data/Driver.h"
#include "data/FieldType.h"

#include <QtGlobal>

// How the driver reads and writes a column, chosen from the column's base type.
enum class PgKind {
    Integer,
    Boolean,
    Float,
    Money,
    Numeric,
    Date,
    Time,
    Timestamp,
    TimestampTz,
    Text,
    FixedChar,
    Bytes,
    Uuid,
    Other,  // carried as its text form
};

struct PgTypeInfo {
    PgKind kind = PgKind::Other;
    TFieldType fieldType = ftString;
    int size = 0;
    bool hasRange = false;
    qint64 minValue = 0;
    qint64 maxValue = 0;
    ColumnLimits limits;
};

// `baseType` is the column's type with domains resolved; `typmod` its modifier (-1 for none).
// An auto-increment column (serial, identity) reports ftAutoInc.
PgTypeInfo PgMapType(unsigned baseType, int typmod, bool autoIncrement);
