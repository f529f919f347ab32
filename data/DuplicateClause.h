#pragma once

#include "data/Driver.h"
#include "data/TableStructure.h"

#include <QString>
#include <QStringList>

// What an INSERT says after its values so that a row whose key is there already is left out
// or updates the row it meets, in the engine's own words: ON CONFLICT for SQLite and
// PostgreSQL, ON DUPLICATE KEY UPDATE for MariaDB and MySQL. Names come quoted. Empty for Fail;
// throws for an engine that has no such clause, or a table without a key.
QString DuplicateClause(SqlEngine engine, OnDuplicate policy, const QString& table,
                        const QStringList& key, const QStringList& others);

// The refusal of Skip and Update for a table without a key.
[[noreturn]] void ThrowNoKeyForDuplicates(const QString& table);
