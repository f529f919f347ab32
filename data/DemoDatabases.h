#pragma once

#include <QString>

// The demo databases the first start creates: the same tables, filled (a source to copy from)
// or empty (a target).
namespace DemoDatabases {

// Creates (or replaces) the SQLite file. Throws EDBEngineError on failure.
void create(const QString& path, bool withRows);

}  // namespace DemoDatabases
