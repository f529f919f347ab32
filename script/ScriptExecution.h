#pragma once

#include <QString>
#include <QStringList>

class TDatabase;

// Runs a script's whole lines on a connection, connecting it first when needed. The lines are
// cut into statements at lines holding only the terminator (the divider's first character).
// When no transaction is active the run starts one of its own (after setting dirty read for a
// desktop database) and commits it at the end; a COMMIT or ROLLBACK the script executes ends it,
// and the run starts a new one at once. The first failure rolls back the run's own transaction
// and passes on with the failing statement's number and first line added to its message.
// Returns the number of statements executed.
int RunScript(const QStringList& lines, const QString& divider, TDatabase& database);
