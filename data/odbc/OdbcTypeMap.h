#pragma once

#include "data/odbc/OdbcDialect.h"
#include "data/odbc/OdbcRelation.h"

namespace OdbcTypeMap {

// The field type, size and range of a column from what SQLColumns reports: its SQL data type,
// the driver's type name, its size and decimal digits. SQLite's declared types map as the SQLite
// driver maps them.
void MapColumn(OdbcColumn& column, const QString& typeName, OdbcDialect::Engine engine);

// Whether values of this SQL type are long data that engines do not compare.
bool IsLongType(SQLSMALLINT sqlType);

}  // namespace OdbcTypeMap
