#pragma once

#include "data/Row.h"

#include <vector>

// A row packed into one byte array: about a third of the memory of a Row, for the pending
// store, which may hold millions of inserted rows until they are committed. Private to one
// process: the form is not meant to be stored.
namespace RowCodec {

QByteArray Encode(const Row& row);
Row Decode(const QByteArray& packed);

// One packed value read in place: a driver can write it without making a QVariant of it.
struct PackedValue {
    enum Kind : char {
        Null,
        Integer,
        False,
        True,
        Double,
        Latin1Text,     // `data`, `size` characters
        Utf16Text,      // `data`, `size` UTF-16 units, not aligned
        Date,           // `integer`: the Julian day
        Time,           // `usec` since midnight
        DateTime,       // `integer`: the Julian day, `usec` of the day
        ZonedDateTime,  // as DateTime, and `offset` from UTC in seconds
        Bytes,          // `data`, `size` bytes
        Other,          // anything else, only through ToVariant()
    };
    Kind kind = Null;
    qint32 size = 0;
    qint32 offset = 0;
    qint64 integer = 0;
    qint64 usec = 0;
    double real = 0;
    const char* data = nullptr;
};
// The values of a packed row, pointing into `packed`, which must outlive them.
void Unpack(const QByteArray& packed, std::vector<PackedValue>& values);
QVariant ToVariant(const PackedValue& value);

}  // namespace RowCodec
