#include "data/FieldType.h"

#include <array>

FieldKind KindOf(TFieldType type) {
    switch (type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            return FieldKind::Integer;
        case ftBoolean:
            return FieldKind::Boolean;
        case ftFloat:
        case ftCurrency:
            return FieldKind::Float;
        case ftBCD:
        case ftFMTBcd:
            return FieldKind::Bcd;
        case ftDate:
            return FieldKind::Date;
        case ftTime:
            return FieldKind::Time;
        case ftDateTime:
        case ftTimeStamp:
            return FieldKind::DateTime;
        case ftBytes:
        case ftVarBytes:
            return FieldKind::Bytes;
        case ftMemo:
        case ftFmtMemo:
        case ftOraClob:
            return FieldKind::TextBlob;
        case ftBlob:
        case ftGraphic:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftOraBlob:
            return FieldKind::Blob;
        default:
            return FieldKind::Text;
    }
}

bool IsBlobType(TFieldType type) {
    const FieldKind kind = KindOf(type);
    return kind == FieldKind::Blob || kind == FieldKind::TextBlob;
}

QString FieldTypeName(TFieldType type) {
    static const std::array<const char*, FieldTypeCount> names = {
        "Unknown",    "String",     "Smallint", "Integer",     "Word",      "Boolean",
        "Float",      "Currency",   "BCD",      "Date",        "Time",      "DateTime",
        "Bytes",      "VarBytes",   "AutoInc",  "Blob",        "Memo",      "Graphic",
        "FmtMemo",    "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor",    "FixedChar",
        "WideString", "Largeint",   "ADT",      "Array",       "Reference", "DataSet",
        "OraBlob",    "OraClob",    "Variant",  "Interface",   "IDispatch", "Guid",
        "TimeStamp",  "FMTBcd"};
    if (type < 0 || type >= FieldTypeCount)
        return QStringLiteral("Unknown");
    return QString::fromLatin1(names[static_cast<size_t>(type)]);
}
