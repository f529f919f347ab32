#pragma once

#include "data/Row.h"

// A row packed into one byte array: about a third of the memory of a Row, for the pending
// store, which may hold millions of inserted rows until they are committed. Private to one
// process: the form is not meant to be stored.
namespace RowCodec {

QByteArray Encode(const Row& row);
Row Decode(const QByteArray& packed);

}  // namespace RowCodec
