#pragma once

#include "data/Driver.h"
#include "data/TableStructure.h"

#include <sqlite3.h>

// What SQLite's schema says about a table, for the cursor and for a copy's description.
namespace SqliteSchema {

struct Columns {
    QVector<ColumnInfo> columns;  // generated and hidden columns left out
    QVector<int> primaryKey;      // indexes into `columns`, in key order
};

// The table's columns with their field types, declared types and NOT NULL. Throws
// EDBEngineError when there is no such table.
Columns ReadColumns(sqlite3* db, const QString& table);

// Columns, primary key, unique indexes over plain columns (partial and expression indexes left
// out) and foreign keys. A UNIQUE constraint's index and every foreign key have no name.
TableStructure Describe(sqlite3* db, const QString& table);

}  // namespace SqliteSchema
