#pragma once

#include "tests/values/ArrivalCheck.h"
#include "tests/values/ToolRun.h"

// Interbase scripts through Firebird's isql, on an embedded database of their own (no server).
// Empty when isql-fb is there and can make a database, else why the path skips.
QString MissingFirebird();

// Makes a fresh database with the table, runs the statements in order (isql goes on after a
// failing one) and returns how many failed. `arrived` gets a row per stored ID: its values are
// the expected ones where Firebird finds the stored value equal to them (isql shows floats with
// 16 digits at most, so the comparison is Firebird's own), and a text saying so where not.
int ExecuteInFirebird(const QString& table, const QVector<ColumnSpec>& columns,
                      const QVector<ScriptStatement>& statements,
                      const QVector<RowExpectation>& expected, QVector<ValueRow>& arrived,
                      QString& problems);
