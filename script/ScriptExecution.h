#pragma once

#include "data/Exceptions.h"

#include <QString>
#include <QStringList>

class ScriptSource;
class TDatabase;

// A script without a single statement, raised after connecting.
class ENoStatement : public Exception {
public:
    ENoStatement() : Exception(QStringLiteral("List index out of bounds (-1)")) {}
};

// Runs a script's lines on a connection, connecting it first when needed. The lines are cut
// into statements at lines holding only the terminator (the divider's first character, see
// StatementCutter), and each statement is run and dropped before the next is read. When no
// transaction is active the run starts one of its own (after setting dirty read for a desktop
// database) and commits it at the end; a COMMIT or ROLLBACK the script executes ends it, and
// the run starts a new one at once. The first failure rolls back the run's own transaction and
// passes on with the failing statement's number and first line added to its message.
// Returns the number of statements executed.
int RunScript(const ScriptSource& script, const QString& divider, TDatabase& database);
// The SQL window's lines; none at all fails before connecting.
int RunScript(const QStringList& lines, const QString& divider, TDatabase& database);
