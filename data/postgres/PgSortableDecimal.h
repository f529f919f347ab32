#pragma once

#include <QByteArray>

// Decimal numbers as ASCII text whose byte order is their numeric order, so that a numeric
// key column can go into a bookmark (KeyCodec compares bookmarks bytewise). Equal numbers
// written with different trailing zeros (1.5, 1.50) encode alike; -Infinity, Infinity and NaN
// sort as the server sorts them.
namespace PgSortableDecimal {

// `decimal` is the server's numeric text ("-12.3400", "NaN"). Empty when it is no number.
QByteArray encode(const QByteArray& decimal);
// Back to plain decimal text ("-12.34"). Empty when `encoded` is malformed.
QByteArray decode(const QByteArray& encoded);

}  // namespace PgSortableDecimal
