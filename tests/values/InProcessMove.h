#pragma once

#include "tests/values/ArrivalCheck.h"
#include "tests/values/ValueEngines.h"

// "Data Move !" without a window or a process: the batch run and row transfer the window and the
// command line run, every row selected, each failing row skipped ("Continue ?" answered Yes) and
// its message kept, the pending rows committed at the end. For the random values, of which each
// property moves many small tables.
HopResult MoveInProcess(Engine from, const QString& sourceTable, Engine to,
                        const QString& targetTable, bool typed);
