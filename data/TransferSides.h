#pragma once

#include <QString>

class TDatabase;
class TTable;

// The two sides of a copy, set up alike by the window and the command line: the source
// ("From": session "ses", connection "dbFrom", read-only) and the target ("To": the default
// session, connection "dbTo", a table that holds its changes as pending updates until they are
// committed, a changed row found by its key and the values that changed).
namespace TransferSides {

extern const QString SourceSession;

void SetUpSource(TDatabase& database, TTable& table);
void SetUpTarget(TDatabase& database, TTable& table);
// The target's connection alone, for a script run.
void SetUpTarget(TDatabase& database);

// The status text of a connected side: "Connected to "ALIAS"", with " as USER" after a login.
QString ConnectText(const TDatabase& database);

}  // namespace TransferSides
