#pragma once

#include "data/TableStructure.h"

class PgSession;

namespace PgSchema {

// A relation's columns (declared types from format_type()), its primary key, its unique
// indexes over plain columns (expression and partial indexes left out; INCLUDE columns too) and
// its foreign keys. Tables are named as PgCatalog::tableNames() lists them.
TableStructure describe(PgSession& session, const QString& name);

}  // namespace PgSchema
