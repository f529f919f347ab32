// Text typed or carried into a field, for every field type.
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    ColumnInfo field;
    field.name = QStringLiteral("F");
    field.type = static_cast<TFieldType>(input.choose(FieldTypeCount));
    field.size = input.choose(40);
    if (field.type == ftSmallint) {
        field.hasRange = true;
        field.minValue = -32768;
        field.maxValue = 32767;
    }
    const QString text = input.text();
    try {
        const QVariant value = FieldConvert::FromText(field, text);
        // What was accepted reads back as text again.
        FieldConvert::ReadText(field, value);
    } catch (const Exception&) {
    }
    try {
        QString decimal;
        FieldConvert::NormalizeDecimal(text, field.size % 8, decimal);
    } catch (const Exception&) {
    }
    return 0;
}
