#pragma once

#include <QString>

// What `rowcart --version` prints: the program's version, then the versions of Qt, SQLite,
// libpq and the ODBC driver manager it runs with, one a line.
QString ProgramVersionText();
