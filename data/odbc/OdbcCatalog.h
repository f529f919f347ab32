#pragma once

#include "data/odbc/OdbcHandles.h"
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

// The primary key's columns in key order (SQLPrimaryKeys); empty when there is none.
QStringList PrimaryKey(OdbcSession& session, const OdbcRelation& relation);

// A catalog function's argument: null, for any, where the text is null.
inline SQLWCHAR* Arg(const QString& text) {
    return text.isNull() ? nullptr : OdbcWide(text);
}
inline SQLSMALLINT ArgLength(const QString& text) {
    return text.isNull() ? 0 : SQLSMALLINT(text.size());
}

}  // namespace OdbcCatalog
