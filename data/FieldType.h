#pragma once

#include <QString>

// Other parts compare field types by these numbers and test ranges of them: keep the order.
enum TFieldType : int {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
};

constexpr int FieldTypeCount = ftFMTBcd + 1;

// How a field converts its value; several types share one kind.
enum class FieldKind {
    Text,  // strings, and every kind moved only as text
    Integer,
    Boolean,
    Float,
    Bcd,  // exact decimals
    Date,
    Time,
    DateTime,  // with a time zone for ftTimeStamp
    Bytes,
    Blob,
    TextBlob,  // a blob whose bytes are UTF-8 text
};

FieldKind KindOf(TFieldType type);
bool IsBlobType(TFieldType type);
QString FieldTypeName(TFieldType type);
