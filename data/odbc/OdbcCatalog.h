#pragma once

#include "data/odbc/OdbcRelation.h"

#include <QStringList>

class OdbcSession;

namespace OdbcCatalog {

// Names of the tables (SQLTables), with the system tables when asked.
QStringList TableNames(OdbcSession& session, bool systemTables);

// Columns (SQLColumns) and the key that orders the rows: the primary key (SQLPrimaryKeys),
// else a unique index over NOT NULL columns (SQLStatistics). Throws EDBEngineError when the
// table does not exist.
OdbcRelation Load(OdbcSession& session, const QString& table);

}  // namespace OdbcCatalog
