// The stored settings' text forms: property values of every kind and window positions.
#include "fuzz/FuzzInput.h"
#include "settings/PropertyText.h"

#include <QLocale>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const int choice = input.choose(8);
    const QString text = PropertyText::trimmed(input.text());
    const auto kind = static_cast<PropertyText::Kind>(choice % 4);
    const QLocale locale = choice < 4 ? QLocale::c() : QLocale(QLocale::German);
    if (const auto value = PropertyText::fromText(text, kind, locale)) {
        // A value read once is written and read back the same.
        const QString again = PropertyText::toText(*value, kind);
        const auto reread = PropertyText::fromText(again, kind, locale);
        FUZZ_CHECK(reread.has_value());
        FUZZ_CHECK(PropertyText::toText(*reread, kind) == again);
    }
    const QList<int> words = PropertyText::positionWords(text, {1, 2, 3, 4});
    FUZZ_CHECK(words.size() == 4);
    return 0;
}
