// Text typed or carried into a field, for every field type, and the exact decimal form.
#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "fuzz/FuzzInput.h"

namespace {

bool same(const QVariant& a, const QVariant& b) {
    if (a.userType() == QMetaType::Double && b.userType() == QMetaType::Double &&
        a.toDouble() != a.toDouble())
        return b.toDouble() != b.toDouble();
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    ColumnInfo field;
    field.name = QStringLiteral("F");
    field.type = static_cast<TFieldType>(input.choose(FieldTypeCount));
    field.size = input.choose(40);
    field.limits.scale = input.choose(12) - 1;
    field.limits.precision = input.choose(40);
    if (field.type == ftSmallint) {
        field.hasRange = true;
        field.minValue = -32768;
        field.maxValue = 32767;
    }
    const QString text = input.text();
    try {
        const QVariant value = FieldConvert::FromText(field, text);
        // What a field took it takes again as it is, and reads back as text.
        FUZZ_CHECK(same(FieldConvert::FromValue(field, value), value));
        FieldConvert::ReadText(field, value);
    } catch (const Exception&) {
    }
    QString decimal;
    if (Decimal::Normalize(text, decimal)) {
        QString again;
        FUZZ_CHECK(Decimal::IsNormal(decimal));
        FUZZ_CHECK(Decimal::Normalize(decimal, again) && again == decimal);
        double real = 0;
        if (Decimal::ToDouble(decimal, real)) {
            FUZZ_CHECK(Decimal::FromDouble(real, again) && Decimal::SameNumber(again, decimal));
        }
    }
    return 0;
}
