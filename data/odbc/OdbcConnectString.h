#pragma once

#include "data/Driver.h"

// The ODBC connection string of an alias: DSN=<name> or the alias's CONNECTION text, with the
// login's user name and password added for this connect only. Throws EDBEngineError when the
// alias names neither, or when its CONNECTION holds a password.
QString OdbcConnectString(const ConnectRequest& request);

// A value as a connection string attribute takes it: braced when it holds ';', '{', '}' or
// blanks at either end, with '}' doubled.
QString OdbcAttributeValue(const QString& value);
