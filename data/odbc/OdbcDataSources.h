#pragma once

class AliasConfig;

// Adds the user's and then the system's ODBC data sources (odbc.ini) as aliases with
// DRIVER=ODBC and DSN=<name>, after the configuration's own; a name the configuration already
// has, or one longer than an alias name may be, is left out. Without a driver manager nothing
// is added.
void AppendOdbcDataSources(AliasConfig& config);
