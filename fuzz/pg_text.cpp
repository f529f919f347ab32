// The PostgreSQL server's value texts for every column kind, and its temporal forms.
#include "data/Exceptions.h"
#include "data/postgres/PgTemporal.h"
#include "data/postgres/PgValueText.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const auto kind = static_cast<PgKind>(input.choose(static_cast<int>(PgKind::Other) + 1));
    const char* text = input.bytes.constData();
    const int length = static_cast<int>(input.bytes.size());
    try {
        const QVariant value = PgValueText::fromServer(kind, text, length);
        QByteArray back;
        PgValueText::toServer(kind, value, back);
    } catch (const EDatabaseError&) {
    }
    qint64 days;
    if (PgTemporal::parseDate(text, length, days)) {
        const QByteArray again = PgTemporal::formatDate(days);
        qint64 reread;
        FUZZ_CHECK(PgTemporal::parseDate(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == days);
    }
    qint64 usec;
    if (PgTemporal::parseTime(text, length, usec)) {
        const QByteArray again = PgTemporal::formatTime(usec);
        qint64 reread;
        FUZZ_CHECK(PgTemporal::parseTime(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == usec);
    }
    for (const bool zone : {false, true}) {
        if (PgTemporal::parseTimestamp(text, length, zone, usec)) {
            const QByteArray again = PgTemporal::formatTimestamp(usec, zone);
            qint64 reread;
            FUZZ_CHECK(
                PgTemporal::parseTimestamp(again.constData(), int(again.size()), zone, reread));
            FUZZ_CHECK(reread == usec);
        }
    }
    return 0;
}
