#pragma once

#include <QDir>
#include <QString>

// The demo databases the first start creates: the same tables, filled (a source to copy from)
// or empty (a target).
namespace DemoDatabases {

// Creates the SQLite file where nothing of that name exists yet; returns false, touching
// nothing, where something does. Throws EDBEngineError or EDatabaseError on failure, leaving
// no file behind.
bool create(const QString& path, bool withRows);

// Creates `stem`.db in `dir`, or `stem`-2.db, -3.db, ... when that name is taken, and returns
// the name used; empty when every name up to -99 is taken.
QString createFree(const QDir& dir, const QString& stem, bool withRows);

}  // namespace DemoDatabases
