#include "data/postgres/PgTypeMap.h"

#include <algorithm>
#include <limits>

namespace {

// Type OIDs are fixed in the server's catalog (pg_type.dat).
enum : unsigned {
    BoolOid = 16,
    ByteaOid = 17,
    CharOid = 18,
    NameOid = 19,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    MoneyOid = 790,
    BpcharOid = 1042,
    VarcharOid = 1043,
    DateOid = 1082,
    TimeOid = 1083,
    TimestampOid = 1114,
    TimestampTzOid = 1184,
    NumericOid = 1700,
    UuidOid = 2950,
};

constexpr int VarHdrSize = 4;

PgTypeInfo integer(TFieldType type, qint64 min, qint64 max, bool autoIncrement) {
    PgTypeInfo info;
    info.kind = PgKind::Integer;
    info.fieldType = autoIncrement ? ftAutoInc : type;
    info.hasRange = true;
    info.minValue = min;
    info.maxValue = max;
    return info;
}

PgTypeInfo simple(PgKind kind, TFieldType type, int size = 0) {
    PgTypeInfo info;
    info.kind = kind;
    info.fieldType = type;
    info.size = size;
    return info;
}

// The scale of numeric(p, s); since PostgreSQL 15 it may be negative, kept in 11 bits.
int numericScale(int typmod) {
    return (((typmod - VarHdrSize) & 0x7ff) ^ 1024) - 1024;
}

}  // namespace

namespace {

PgTypeInfo mapType(unsigned baseType, int typmod, bool autoIncrement) {
    switch (baseType) {
        case Int2Oid:
            return integer(ftSmallint, std::numeric_limits<qint16>::min(),
                           std::numeric_limits<qint16>::max(), autoIncrement);
        case Int4Oid:
            return integer(ftInteger, std::numeric_limits<qint32>::min(),
                           std::numeric_limits<qint32>::max(), autoIncrement);
        case OidOid:
            return integer(ftLargeint, 0, std::numeric_limits<quint32>::max(), false);
        case Int8Oid: {
            PgTypeInfo info = integer(ftLargeint, std::numeric_limits<qint64>::min(),
                                      std::numeric_limits<qint64>::max(), autoIncrement);
            // A 64-bit field has no range narrower than its type.
            info.hasRange = false;
            info.minValue = info.maxValue = 0;
            return info;
        }
        case BoolOid:
            return simple(PgKind::Boolean, ftBoolean);
        case Float4Oid:
        case Float8Oid:
            return simple(PgKind::Float, ftFloat);
        case MoneyOid:
            return simple(PgKind::Money, ftCurrency);
        case NumericOid:
            if (typmod < VarHdrSize)
                return simple(PgKind::Numeric, ftFMTBcd);
            return simple(PgKind::Numeric, numericScale(typmod) <= 4 ? ftBCD : ftFMTBcd);
        case DateOid:
            return simple(PgKind::Date, ftDate);
        case TimeOid:
            return simple(PgKind::Time, ftTime);
        case TimestampOid:
            return simple(PgKind::Timestamp, ftDateTime);
        case TimestampTzOid:
            return simple(PgKind::TimestampTz, ftTimeStamp);
        case BpcharOid:
            return simple(PgKind::FixedChar, ftFixedChar,
                          typmod >= VarHdrSize ? typmod - VarHdrSize : 0);
        case VarcharOid:
            return simple(PgKind::Text, ftString, typmod >= VarHdrSize ? typmod - VarHdrSize : 0);
        case TextOid:
        case NameOid:
        case CharOid:
            return simple(PgKind::Text, ftString);
        case ByteaOid:
            return simple(PgKind::Bytes, ftBlob);
        case UuidOid:
            return simple(PgKind::Uuid, ftGuid);
        default:
            return simple(PgKind::Other, ftString);
    }
}

}  // namespace

PgTypeInfo PgMapType(unsigned baseType, int typmod, bool autoIncrement) {
    PgTypeInfo info = mapType(baseType, typmod, autoIncrement);
    ColumnLimits& limits = info.limits;
    // Text of every type ends at a NUL on its way into the server.
    limits.holdsNul = false;
    switch (baseType) {
        case Float4Oid:
            limits.singleFloat = true;
            break;
        case UuidOid:
            limits.uuidOnly = true;
            break;
        case MoneyOid:
            limits.scale = 2;
            break;
        case NumericOid:
            if (typmod >= VarHdrSize && numericScale(typmod) >= 0) {
                limits.precision = ((typmod - VarHdrSize) >> 16) & 0xffff;
                limits.scale = numericScale(typmod);
            }
            break;
        case DateOid:
        case TimestampOid:
        case TimestampTzOid:
            // From 4713 BC to the last year the server's 64-bit counts reach.
            limits.minDate = QDate(-4713, 11, 24);
            limits.maxDate = baseType == DateOid ? QDate(5874897, 12, 31) : QDate(294276, 12, 31);
            [[fallthrough]];
        case TimeOid:
            if (baseType != DateOid && typmod >= 0)
                limits.fractionDigits = std::min(typmod, 6);
            break;
        default:
            break;
    }
    return info;
}
