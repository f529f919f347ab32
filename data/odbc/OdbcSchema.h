#pragma once

#include "data/TableStructure.h"

class OdbcSession;

namespace OdbcSchema {

// A table as the driver's catalog functions describe it: columns (SQLColumns), primary key
// (SQLPrimaryKeys), unique indexes over plain columns (SQLStatistics) and foreign keys
// (SQLForeignKeys). Drivers that report no filter of a partial index give it as a whole one.
TableStructure Describe(OdbcSession& session, const QString& table);

}  // namespace OdbcSchema
