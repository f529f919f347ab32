// Bookmarks handed back to a table: a malformed one is an EDatabaseError.
#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "fuzz/FuzzInput.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    try {
        const QVector<QVariant> values = KeyCodec::decode(input.bytes);
        // Decoded values encode to a key of the same order as the one read.
        KeyCodec codec;
        bool plain = true;
        for (const QVariant& value : values) {
            if (!value.isValid())
                codec.appendNull();
            else
                codec.append(value);
            plain = plain && !(value.typeId() == QMetaType::Double && std::isnan(value.toDouble()));
        }
        if (plain)
            FUZZ_CHECK(KeyCodec::compare(codec.bytes(), input.bytes) == 0);
    } catch (const EDatabaseError&) {
    }
    return 0;
}
