#pragma once

#include "data/odbc/OdbcDialect.h"

#include <QStringList>

// The statements of a script text, split at the semicolons that stand outside quotes,
// comments and (PostgreSQL) dollar quotes; blank pieces are dropped.
QStringList SplitOdbcStatements(const QString& text, const OdbcDialect& dialect);
