// ISO dates and times as databases store them in text.
#include "data/IsoDateTime.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const char* text = input.bytes.constData();
    const int length = static_cast<int>(input.bytes.size());
    QDate date;
    QTime time;
    if (IsoDateTime::ParseDate(text, length, date)) {
        const QByteArray again = IsoDateTime::FormatDate(date);
        QDate reread;
        FUZZ_CHECK(IsoDateTime::ParseDate(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == date);
    }
    if (IsoDateTime::ParseTime(text, length, time)) {
        const QByteArray again = IsoDateTime::FormatTime(time);
        QTime reread;
        FUZZ_CHECK(IsoDateTime::ParseTime(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == time);
    }
    if (IsoDateTime::ParseDateTime(text, length, date, time)) {
        const QByteArray again = IsoDateTime::FormatDateTime(date, time);
        QDate rereadDate;
        QTime rereadTime;
        FUZZ_CHECK(IsoDateTime::ParseDateTime(again.constData(), int(again.size()), rereadDate,
                                              rereadTime));
        FUZZ_CHECK(rereadDate == date && rereadTime == time);
    }
    return 0;
}
