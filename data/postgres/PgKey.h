#pragma once

#include "data/postgres/PgRelation.h"

#include <QByteArray>

class KeyCodec;
class PgParams;

// Bookmarks of the rows of one relation. A bookmark is built with KeyCodec from the key
// columns' values in such a form that its byte order is the order the server returns the rows
// in (see PgKeyOrder), and carries enough to bind the values back.
namespace PgKey {

PgKeyKind kindOf(const PgColumn& column);

// The key part for one key column's server text.
void appendPart(KeyCodec& codec, PgKeyKind kind, const char* text, int length);
// The row id's bookmark from the server's ctid text "(block,offset)".
void appendRowId(KeyCodec& codec, const char* text, int length);

// The values of a bookmark, bound in key order. Throws EDatabaseError on a bookmark that is
// not one of this relation's.
void bind(const PgRelation& relation, const QByteArray& bookmark, PgParams& params);

// The block number of a row id bookmark.
qint64 rowIdBlock(const QByteArray& bookmark);
// A row's place in the full order, for relations keyed by position.
qint64 position(const QByteArray& bookmark);
QByteArray positionKey(qint64 position);

}  // namespace PgKey
