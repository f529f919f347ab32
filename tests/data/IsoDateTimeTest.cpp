#include "data/IsoDateTime.h"

#include <gtest/gtest.h>

namespace {

bool parseTime(const char* text, TimeOfDay& time) {
    return IsoDateTime::ParseTime(text, static_cast<int>(strlen(text)), time);
}

bool parseStamp(const char* text, TimeStamp& stamp) {
    return IsoDateTime::ParseTimeStamp(text, static_cast<int>(strlen(text)), stamp);
}

qint64 usec(int h, int m, int s, qint64 fraction = 0) {
    return ((h * 60 + m) * 60 + s) * UsecPerSecond + fraction;
}

TEST(IsoDateTime, ReadsTheFormsDatabasesStore) {
    TimeStamp stamp;
    ASSERT_TRUE(parseStamp("2024-02-29 07:05:09", stamp));
    EXPECT_EQ(stamp.date, QDate(2024, 2, 29));
    EXPECT_EQ(stamp.usec, usec(7, 5, 9));
    EXPECT_FALSE(stamp.zoned);
    ASSERT_TRUE(parseStamp("2024-02-29T23:59:59.999999", stamp));
    EXPECT_EQ(stamp.usec, usec(23, 59, 59, 999999));
    ASSERT_TRUE(parseStamp("1970-01-01 00:00:00.000001", stamp));
    EXPECT_EQ(stamp.usec, 1);
    ASSERT_TRUE(parseStamp("2024-02-29 12:34:56.123456000", stamp));  // ODBC's nanoseconds
    EXPECT_EQ(stamp.usec, usec(12, 34, 56, 123456));
    ASSERT_TRUE(parseStamp("1999-12-31", stamp));
    EXPECT_EQ(stamp.usec, 0);
    ASSERT_TRUE(parseStamp("2024-02-29 12:00:00+05:30", stamp));
    EXPECT_TRUE(stamp.zoned);
    EXPECT_EQ(stamp.offset, 5 * 3600 + 30 * 60);
    ASSERT_TRUE(parseStamp("2024-02-29 12:00:00.5 -08", stamp));
    EXPECT_EQ(stamp.offset, -8 * 3600);
    ASSERT_TRUE(parseStamp("2024-02-29T12:00:00Z", stamp));
    EXPECT_TRUE(stamp.zoned);
    EXPECT_EQ(stamp.offset, 0);

    TimeOfDay time;
    ASSERT_TRUE(parseTime("12:30", time));
    EXPECT_EQ(time.usec, usec(12, 30, 0));
    ASSERT_TRUE(parseTime("12:30:15.25", time));
    EXPECT_EQ(time.usec, usec(12, 30, 15, 250000));
    ASSERT_TRUE(parseTime("24:00:00", time));
    EXPECT_EQ(time.usec, UsecPerDay);
}

TEST(IsoDateTime, RefusesWhatIsNoDateOrWouldLoseDigits) {
    TimeStamp stamp;
    for (const char* bad :
         {"2023-02-29", "2024-13-01", "24-01-01", "2024/01/01", "2024-01-01 25:00:00",
          "2024-01-01x10:00:00", "2024-01-01 10:00:00.", "2024-01-01 10:00:00.5x",
          "2024-01-01 10:00:00.1234567", "2024-01-01 24:00:00", "2024-01-01 10:00:00+1"})
        EXPECT_FALSE(parseStamp(bad, stamp)) << bad;
    TimeOfDay time;
    for (const char* bad : {"7:05", "24:00:01", "12:60", "12:00:00.0000001"})
        EXPECT_FALSE(parseTime(bad, time)) << bad;
}

TEST(IsoDateTime, WritesFractionsOnlyWhenThereAreAny) {
    TimeStamp stamp{QDate(2026, 12, 8), usec(9, 0, 0), 0, false};
    EXPECT_EQ(IsoDateTime::FormatTimeStamp(stamp), QByteArray("2026-12-08 09:00:00"));
    EXPECT_EQ(IsoDateTime::FormatTime(TimeOfDay{usec(9, 0, 1, 5000)}), QByteArray("09:00:01.005"));
    EXPECT_EQ(IsoDateTime::FormatTime(TimeOfDay{usec(9, 0, 1, 5)}), QByteArray("09:00:01.000005"));
    EXPECT_EQ(IsoDateTime::FormatTime(TimeOfDay{UsecPerDay}), QByteArray("24:00:00"));
    EXPECT_EQ(IsoDateTime::FormatDate(QDate(812, 3, 4)), QByteArray("0812-03-04"));
    EXPECT_EQ(IsoDateTime::FormatDate(QDate(-44, 3, 15)), QByteArray("-044-03-15"));
    stamp.zoned = true;
    stamp.offset = -(5 * 3600 + 30 * 60);
    EXPECT_EQ(IsoDateTime::FormatTimeStamp(stamp, 'T'), QByteArray("2026-12-08T09:00:00-05:30"));
    // Every field of a time stamp reads back as written.
    TimeStamp read;
    for (qint64 at = 0; at < UsecPerDay; at += 997 * 1000 + 7) {
        const TimeStamp written{QDate(1, 1, 1).addDays(at / 1000000 * 31), at, 0, false};
        const QByteArray text = IsoDateTime::FormatTimeStamp(written);
        ASSERT_TRUE(IsoDateTime::ParseTimeStamp(text.constData(), int(text.size()), read))
            << text.constData();
        ASSERT_EQ(read, written) << text.constData();
    }
}

}  // namespace
