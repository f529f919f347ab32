#pragma once

#include "data/Driver.h"
#include "data/postgres/PgTypeMap.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <vector>

// A column's value in its type's output text, the form the driver reads it in. A cast to text
// can differ from it (inet's keeps the netmask).
inline QByteArray PgOutputText(const QByteArray& quotedColumn) {
    return "pg_catalog.format('%s', " + quotedColumn + ")";
}

struct PgColumn {
    ColumnInfo info;
    PgKind kind = PgKind::Other;
    QByteArray quoted;
    // The server fills in a value left out of an insert (column or domain default, serial,
    // identity).
    bool hasDefault = false;
    bool notNull = false;
    bool identityAlways = false;
    bool generatedStored = false;
    // Text under this column's collation sorts as its UTF-8 bytes do, so ordering needs no
    // COLLATE "C" and can walk the column's index.
    bool byteOrdered = true;
};

// How a key column goes into a bookmark and back.
enum class PgKeyKind {
    Integer,
    Boolean,
    Float,
    Decimal,
    Text,
    FixedChar,
    Bytes,
    Date,
    Time,
    Timestamp,
    TimestampTz,
    TextForm,  // a type without a bytewise order: ordered and compared by its text form
};

struct PgKeyPart {
    int column = 0;
    PgKeyKind kind = PgKeyKind::Integer;
    QByteArray expression;  // as ORDER BY and the comparisons use it
};

// What identifies a row: the primary key (or a unique index over NOT NULL columns); the
// physical row id of tables without one; the row's place in a full sort of views and the like,
// which have neither.
enum class PgKeyMode { Columns, RowId, Position };

struct PgRelation {
    unsigned oid = 0;
    QString schema;
    QString name;
    char relkind = 'r';
    QByteArray quotedName;
    QVector<PgColumn> columns;
    QVector<ColumnInfo> infos;
    PgKeyMode keyMode = PgKeyMode::Columns;
    std::vector<PgKeyPart> key;
};
