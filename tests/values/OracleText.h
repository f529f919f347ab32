#pragma once

#include "tests/values/ToolRun.h"
#include "tests/values/ValueModel.h"

// The Oracle dialect's statements read back without an Oracle: each value of the SELECT list
// (null, a number, True/False, a quoted text, TO_DATE(...), HEXTORAW(...)) into the form its
// column's kind takes. A statement that does not read as the dialect writes it gives no row and
// says why in `problems`.
QVector<ValueRow> ReadOracleStatements(const QVector<ScriptStatement>& statements,
                                       const QVector<ColumnSpec>& columns, QString& problems);
