#pragma once

#include "data/Driver.h"

// Connection to a PostgreSQL server through libpq, for aliases with DRIVER=POSTGRES.
//
// Record order is the primary key; without one, a unique index over NOT NULL columns; without
// that, the row id (ctid) for tables, which stays put until the row itself is changed (a changed
// row moves to where its new version lies), and a full sort by every column's text for views.
// Bookmarks are KeyCodec bytes in that order: text keys compare by their UTF-8 bytes (COLLATE
// "C" where the column's collation sorts otherwise), numeric keys go in an order-keeping
// decimal form, dates and times as counts of days and microseconds.
//
// Values keep every digit: numeric as text, bigint as qlonglong, floats in their shortest exact
// form, bytea as bytes. QDate, QTime and QDateTime carry milliseconds only, so a time or time
// stamp with finer microseconds, 24:00:00 and 'infinity' travel as the server's text instead.
//
// A commit of pending changes is one transaction (a savepoint inside an open one): runs of
// inserts by COPY, everything else pipelined, each change of a stored row required to hit
// exactly one row.
std::unique_ptr<DriverConnection> OpenPostgresConnection(const ConnectRequest& request);
