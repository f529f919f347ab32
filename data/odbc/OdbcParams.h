#pragma once

#include "data/odbc/OdbcRelation.h"

#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QVariant>
#include <vector>

class OdbcSession;

// One parameter value in the C form it is bound with.
struct OdbcValue {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    QByteArray data;  // the C value's bytes
    bool isNull = false;

    // A row value for a column, in the column's SQL type.
    static OdbcValue of(const QVariant& value, const OdbcColumn& column);
    static OdbcValue integer(qint64 value);
};

// The parameters of one execution, bound in the order they were added.
class OdbcParams {
public:
    void add(OdbcValue value) { m_values.push_back(std::move(value)); }
    void add(const QVariant& value, const OdbcColumn& column) {
        m_values.push_back(OdbcValue::of(value, column));
    }
    void addInteger(qint64 value) { m_values.push_back(OdbcValue::integer(value)); }
    int count() const { return int(m_values.size()); }

    // Binds every value to the statement; the values must outlive its execution.
    void bind(const OdbcSession& session, SQLHSTMT stmt);

private:
    std::vector<OdbcValue> m_values;
    std::vector<SQLLEN> m_indicators;
};
