#include "data/IsoDateTime.h"

#include <gtest/gtest.h>

namespace {

bool parseTime(const char* text, QTime& time) {
    return IsoDateTime::ParseTime(text, static_cast<int>(strlen(text)), time);
}

bool parseDateTime(const char* text, QDate& date, QTime& time) {
    return IsoDateTime::ParseDateTime(text, static_cast<int>(strlen(text)), date, time);
}

TEST(IsoDateTime, ReadsTheFormsDatabasesStore) {
    QDate date;
    QTime time;
    ASSERT_TRUE(parseDateTime("2024-02-29 07:05:09", date, time));
    EXPECT_EQ(date, QDate(2024, 2, 29));
    EXPECT_EQ(time, QTime(7, 5, 9));
    ASSERT_TRUE(parseDateTime("2024-02-29T23:59:59.9996", date, time));
    EXPECT_EQ(time, QTime(23, 59, 59, 999));  // never rounds into the next day
    ASSERT_TRUE(parseDateTime("1999-12-31", date, time));
    EXPECT_EQ(time, QTime(0, 0));
    ASSERT_TRUE(parseTime("12:30", time));
    EXPECT_EQ(time, QTime(12, 30));
    ASSERT_TRUE(parseTime("12:30:15.25", time));
    EXPECT_EQ(time, QTime(12, 30, 15, 250));
}

TEST(IsoDateTime, RefusesWhatIsNoDate) {
    QDate date;
    QTime time;
    for (const char* bad :
         {"2023-02-29", "2024-13-01", "24-01-01", "2024/01/01", "2024-01-01 25:00:00",
          "2024-01-01x10:00:00", "2024-01-01 10:00:00.", "2024-01-01 10:00:00.5x"})
        EXPECT_FALSE(parseDateTime(bad, date, time)) << bad;
    EXPECT_FALSE(parseTime("7:05", time));
}

TEST(IsoDateTime, WritesMillisecondsOnlyWhenThereAreAny) {
    EXPECT_EQ(IsoDateTime::FormatDateTime(QDate(2026, 12, 8), QTime(9, 0)),
              QByteArray("2026-12-08 09:00:00"));
    EXPECT_EQ(IsoDateTime::FormatTime(QTime(9, 0, 1, 5)), QByteArray("09:00:01.005"));
    EXPECT_EQ(IsoDateTime::FormatDate(QDate(812, 3, 4)), QByteArray("0812-03-04"));
    EXPECT_EQ(IsoDateTime::FormatDate(QDate(-44, 3, 15)), QByteArray("-044-03-15"));
    EXPECT_EQ(IsoDateTime::FormatDateTime(QDate(12026, 1, 2), QTime(23, 59, 59, 999)),
              QByteArray("12026-01-02 23:59:59.999"));
    // Every field of a date and a time reads back as written.
    QDate date;
    QTime time;
    for (int ms = 0; ms < 86400000; ms += 997) {
        const QDate day = QDate(1, 1, 1).addDays(ms / 1000 * 31);
        const QTime at = QTime::fromMSecsSinceStartOfDay(ms);
        const QByteArray text = IsoDateTime::FormatDateTime(day, at);
        ASSERT_TRUE(IsoDateTime::ParseDateTime(text.constData(), int(text.size()), date, time))
            << text.constData();
        ASSERT_EQ(date, day) << text.constData();
        ASSERT_EQ(time, at) << text.constData();
    }
}

}  // namespace
