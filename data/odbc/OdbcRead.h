#pragma once

#include "data/FieldType.h"

#include <sql.h>

#include <QVariant>

class OdbcSession;

// Reads the columns of the current row of a statement (1-based), each once, in column order.
namespace OdbcRead {

// Text of any length; a null QString for NULL.
QString Text(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column);
// An integer, or `fallback` for NULL.
qint64 Integer(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, qint64 fallback);
// The value in the form the field type's kind keeps (see Row), an invalid QVariant for NULL.
// `sqlType` is the column's SQL type as the catalog reports it.
QVariant Value(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, TFieldType type,
               SQLSMALLINT sqlType);

// A boolean a driver reports as text or a number, whichever way the row is read.
bool Boolean(const QString& text);

// A 4-byte float as a row holds it: the double its shortest digits read as, as PostgreSQL's own
// driver has it ("0.1", not the 0.10000000149011612 the float widens to).
double SingleValue(float value);

}  // namespace OdbcRead
