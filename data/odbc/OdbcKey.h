#pragma once

#include "data/Row.h"
#include "data/odbc/OdbcRelation.h"

// Bookmarks of the rows of one table: the key columns' values, encoded so that their byte
// order is the order the rows are read in; for a table without a key, the row's position.
namespace OdbcKey {

QByteArray Encode(const OdbcRelation& relation, const Row& values);
// The key columns' values, in key order and in their kind's row form. Throws EDatabaseError on
// a bookmark that is not one of this table's.
Row Decode(const OdbcRelation& relation, const QByteArray& bookmark);

QByteArray PositionKey(qint64 position);
qint64 Position(const QByteArray& bookmark);

}  // namespace OdbcKey
