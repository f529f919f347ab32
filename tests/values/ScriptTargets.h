#pragma once

#include "tests/values/ToolRun.h"
#include "tests/values/ValueModel.h"

// Where a generated script's statements run. Each returns how many statements the target engine
// refused, and adds to `problems` what went wrong beyond that.

// The statements expected to store their rows through `rowcart exec` in one transaction; each
// of the rejected ones alone through the program's own script execution, which must fail.
int ExecuteByProgram(Engine target, const QVector<ScriptStatement>& storing,
                     const QVector<ScriptStatement>& rejected, QString& problems);
// All statements in order through the engine's own shell, which goes on after a failing one:
// sqlite3, psql, or MariaDB's client (in the standard's reading of backslashes).
int ExecuteByShell(Engine target, const QVector<ScriptStatement>& statements, QString& problems);
// Empty when the engine's shell is there, else why the path skips.
QString MissingShell(Engine target);
