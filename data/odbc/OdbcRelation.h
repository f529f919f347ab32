#pragma once

#include "data/Driver.h"

#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <QVector>

struct OdbcColumn {
    ColumnInfo info;
    QString quoted;
    SQLSMALLINT sqlType = SQL_VARCHAR;  // as SQLColumns reports it
    SQLULEN columnSize = 0;
    SQLSMALLINT digits = 0;
    bool comparable = true;   // may stand in a WHERE clause (no long text or bytes)
    bool utf8Text = false;    // text binds as UTF-8 (see OdbcDialect)
    bool hasDefault = false;  // the database fills in a value the insert leaves out
};

// An open table as the catalog describes it.
struct OdbcRelation {
    QString name;
    QString quotedName;
    // Where SQLColumns found the table; null where the driver names none.
    QString catalog;
    QString schema;
    QVector<OdbcColumn> columns;
    // Columns of the primary key or of a unique index over NOT NULL columns, in key order.
    // Empty: rows are ordered and found by the values of their comparable columns.
    QVector<int> key;
    // Why the table cannot be changed, or empty when it can.
    QString readOnlyReason;
};
