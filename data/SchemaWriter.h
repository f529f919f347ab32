#pragma once

#include "data/Exceptions.h"
#include "data/TableStructure.h"

#include <QStringList>
#include <functional>

// The statements that make a table of one engine in another: the table with its columns,
// NOT NULL and primary key before the rows; unique indexes and foreign keys after them, so that
// the rows go in without being checked one by one and tables referencing each other in a
// circle can be filled.
namespace SchemaWriter {

using Quote = std::function<QString(const QString&)>;

// Thrown when a column's type has no equal in the target that holds every value of it, before
// any statement runs; the message names table, column and type.
class UnmappableType : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// The target's type for a source column: the declared type itself between equal engines, else
// the target type that holds every value of the source type.
QString TargetType(const TableStructure& table, const ColumnInfo& column, SqlEngine from,
                   SqlEngine to);

QString CreateTable(const TableStructure& table, SqlEngine from, SqlEngine to, const Quote& quote);

// What a table needs after its rows to have the source's unique indexes and foreign keys,
// beside what `existing` (the target's table as the target describes it) has already.
struct AfterRows {
    QStringList uniqueIndexes;
    QStringList foreignKeys;
    QStringList leftOut;  // foreign keys the target cannot take, said in words
};

// SQLite takes foreign keys only with the table, where CREATE TABLE has them: one missing from
// an existing table is left out, as is one whose referenced table the target lacks
// (`targetHas` says).
AfterRows StatementsAfterRows(const TableStructure& table, const TableStructure& existing,
                              SqlEngine to, const Quote& quote,
                              const std::function<bool(const QString&)>& targetHas);

// The engine's name as messages give it.
QString EngineName(SqlEngine engine);

}  // namespace SchemaWriter
