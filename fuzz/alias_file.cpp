// The alias file reader: any bytes give aliases or an EDatabaseError, never a crash.
#include "data/AliasConfig.h"
#include "data/Exceptions.h"
#include "fuzz/FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    QBuffer buffer(&input.bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    try {
        const AliasConfig config = AliasConfig::parse(buffer, QStringLiteral("/fuzz/aliases.conf"));
        for (const AliasDefinition& alias : config.aliases()) {
            FUZZ_CHECK(!alias.name.isEmpty() && alias.name.size() <= 31);
            FUZZ_CHECK(config.find(alias.name) == &alias);
        }
    } catch (const EDatabaseError& e) {
        // A message quotes the file, never pages of it.
        FUZZ_CHECK(e.message().size() < 1000);
    }
    return 0;
}
