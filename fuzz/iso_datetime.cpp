// ISO dates and times as databases store them in text.
#include "data/IsoDateTime.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const char* text = input.bytes.constData();
    const int length = static_cast<int>(input.bytes.size());
    QDate date;
    TimeOfDay time;
    TimeStamp stamp;
    if (IsoDateTime::ParseDate(text, length, date)) {
        const QByteArray again = IsoDateTime::FormatDate(date);
        QDate reread;
        FUZZ_CHECK(IsoDateTime::ParseDate(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == date);
    }
    if (IsoDateTime::ParseTime(text, length, time)) {
        FUZZ_CHECK(TimeOfDay::isValid(time.usec));
        const QByteArray again = IsoDateTime::FormatTime(time);
        TimeOfDay reread;
        FUZZ_CHECK(IsoDateTime::ParseTime(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == time);
    }
    if (IsoDateTime::ParseTimeStamp(text, length, stamp)) {
        FUZZ_CHECK(stamp.usec >= 0 && stamp.usec < UsecPerDay);
        const QByteArray again = IsoDateTime::FormatTimeStamp(stamp);
        TimeStamp reread;
        FUZZ_CHECK(IsoDateTime::ParseTimeStamp(again.constData(), int(again.size()), reread));
        FUZZ_CHECK(reread == stamp);
    }
    return 0;
}
