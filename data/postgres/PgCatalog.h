#pragma once

#include "data/postgres/PgRelation.h"

#include <QStringList>

class PgSession;

// What the server's catalog says about tables.
namespace PgCatalog {

// Relations the user may read: plain names for those the search path finds, schema-qualified
// ones (quoted where needed) for the rest.
QStringList tableNames(PgSession& session, bool systemTables);
// A relation's name as tableNames() lists it: `visible` on the search path or qualified.
QString listedName(const QString& schema, const QString& name, bool visible);

// Finds `name` (as tableNames lists it, or as a qualified SQL name) and reads its columns and
// key. Throws EDBEngineError when there is no such relation.
PgRelation load(PgSession& session, const QString& name);

}  // namespace PgCatalog
