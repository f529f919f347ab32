#pragma once

#include "data/Row.h"
#include "data/odbc/OdbcRelation.h"

#include <sql.h>

#include <vector>

class OdbcSession;

// Reads the rows of an executed query a block at a time into bound column buffers
// (SQL_ATTR_ROW_ARRAY_SIZE): one driver call per block rather than one per value. A value longer
// than its buffer is left for the caller to read on its own.
class OdbcBlockReader {
public:
    struct Cut {
        int row;
        int column;
    };

    explicit OdbcBlockReader(const OdbcRelation& relation);

    // Up to `limit` rows of the statement's result, which stays open; `cut` lists the values
    // too long for their buffers, left invalid in the rows.
    std::vector<Row> read(const OdbcSession& session, SQLHSTMT stmt, int limit,
                          std::vector<Cut>& cut);

private:
    struct Column {
        SQLSMALLINT cType = SQL_C_CHAR;
        SQLLEN width = 0;
        SQLLEN terminator = 0;
        QByteArray data;
        std::vector<SQLLEN> indicators;
    };

    QVariant value(const Column& buffer, int column, int row) const;

    const OdbcRelation& m_relation;
    std::vector<Column> m_columns;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_fetched = 0;
};
