#pragma once

#include "data/Exceptions.h"

#include <sql.h>

// The driver's diagnostics of a handle as the engine's error: the messages of every record,
// the first record's SQLSTATE as the code. States of class 08 (and a connection the driver
// reports dead) mark the connection lost.
EDBEngineError OdbcEngineError(SQLSMALLINT handleType, SQLHANDLE handle, SQLHDBC dbc = nullptr);

// Throws the handle's diagnostics when `rc` is no success (SQL_NO_DATA passes).
void OdbcCheck(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, SQLHDBC dbc = nullptr);
