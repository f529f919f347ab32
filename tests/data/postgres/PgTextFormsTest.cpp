#include "data/Exceptions.h"
#include "data/postgres/PgConnectOptions.h"
#include "data/postgres/PgIdentifier.h"
#include "data/postgres/PgSortableDecimal.h"
#include "data/postgres/PgStatementText.h"
#include "data/postgres/PgTemporal.h"
#include "data/postgres/PgValueText.h"

#include "tests/support/ValuePrint.h"

#include <gtest/gtest.h>
#include <QDateTime>

namespace {

qint64 parsedTimestamp(const char* text, bool withZone) {
    qint64 usec = 0;
    EXPECT_TRUE(PgTemporal::parseTimestamp(text, static_cast<int>(qstrlen(text)), withZone, usec))
        << text;
    return usec;
}

TEST(PgTemporal, TimestampsKeepMicrosecondsEraAndInfinity) {
    for (const char* text : {"2026-08-12 10:11:12.123456", "2000-01-01 00:00:00",
                             "1999-12-31 23:59:59.999999", "0044-03-15 12:00:00.5 BC",
                             "294276-12-31 23:59:59.999999", "1900-02-28 00:00:00.000001"}) {
        const qint64 usec = parsedTimestamp(text, false);
        EXPECT_EQ(PgTemporal::formatTimestamp(usec, false),
                  QByteArray(text).replace(".5 ", ".500000 "))
            << text;
    }
    EXPECT_EQ(parsedTimestamp("2000-01-01 00:00:00", false), 0);
    EXPECT_EQ(parsedTimestamp("2000-01-01 00:00:00.000001", false), 1);
    EXPECT_EQ(parsedTimestamp("1999-12-31 23:59:59.999999", false), -1);
    EXPECT_EQ(parsedTimestamp("infinity", false), PgTemporal::PlusInfinity);
    EXPECT_EQ(PgTemporal::formatTimestamp(PgTemporal::MinusInfinity, true), "-infinity");
}

TEST(PgTemporal, ZonedTimestampsCountInUtc) {
    const qint64 utc = parsedTimestamp("2026-08-12 10:00:00+00", true);
    EXPECT_EQ(parsedTimestamp("2026-08-12 12:00:00+02", true), utc);
    EXPECT_EQ(parsedTimestamp("2026-08-12 04:30:00-05:30", true), utc);
    EXPECT_EQ(parsedTimestamp("2026-08-12 10:53:28+00:53:28", true), utc);
    EXPECT_EQ(PgTemporal::formatTimestamp(utc, true), "2026-08-12 10:00:00+00");
    qint64 ignored;
    EXPECT_FALSE(PgTemporal::parseTimestamp("2026-08-12 10:00:00", 19, true, ignored));
}

TEST(PgTemporal, DatesAndTimesRoundTrip) {
    for (const char* text :
         {"2026-08-12", "0001-01-01", "0001-12-31 BC", "4713-01-01 BC", "5874897-12-31"}) {
        qint64 days;
        ASSERT_TRUE(PgTemporal::parseDate(text, static_cast<int>(qstrlen(text)), days)) << text;
        EXPECT_EQ(PgTemporal::formatDate(days), QByteArray(text));
    }
    qint64 days;
    ASSERT_TRUE(PgTemporal::parseDate("0001-12-31 BC", 13, days));
    EXPECT_EQ(PgTemporal::dateFromDays(days + 1), QDate(1, 1, 1));
    EXPECT_FALSE(PgTemporal::parseDate("2026-02-30", 10, days));

    qint64 usec;
    ASSERT_TRUE(PgTemporal::parseTime("24:00:00", 8, usec));
    EXPECT_EQ(usec, PgTemporal::UsecPerDay);
    ASSERT_TRUE(PgTemporal::parseTime("07:08:09.000123", 15, usec));
    EXPECT_EQ(PgTemporal::formatTime(usec), "07:08:09.000123");
}

TEST(PgValueText, DatesAndTimesKeepTheirMicroseconds) {
    const QVariant fine =
        PgValueText::fromServer(PgKind::Timestamp, "2026-08-12 10:11:12.345678", 26);
    const TimeStamp written{QDate(2026, 8, 12), (36672 * UsecPerSecond) + 345678, 0, false};
    EXPECT_EQ(fine, QVariant::fromValue(written));
    QByteArray text;
    ASSERT_TRUE(PgValueText::toServer(PgKind::Timestamp, fine, text));
    EXPECT_EQ(text, "2026-08-12 10:11:12.345678");
    ASSERT_TRUE(PgValueText::toServer(
        PgKind::Timestamp,
        QVariant::fromValue(TimeStamp{QDate(-44, 3, 15), 12 * 3600 * UsecPerSecond, 0, false}),
        text));
    EXPECT_EQ(text, "0044-03-15 12:00:00 BC");
    // A zoned value is its instant: the server's offset is gone, UTC stands for it.
    const QVariant zoned =
        PgValueText::fromServer(PgKind::TimestampTz, "2026-08-12 10:11:12.000001+02", 29);
    EXPECT_EQ(zoned, QVariant::fromValue(
                         TimeStamp{QDate(2026, 8, 12), 29472 * UsecPerSecond + 1, 0, true}));
    ASSERT_TRUE(PgValueText::toServer(
        PgKind::TimestampTz, QVariant::fromValue(TimeStamp{QDate(2026, 8, 12), 0, 3600, true}),
        text));
    EXPECT_EQ(text, "2026-08-11 23:00:00+00");

    EXPECT_EQ(PgValueText::fromServer(PgKind::Time, "24:00:00", 8),
              QVariant::fromValue(TimeOfDay{UsecPerDay}));
    EXPECT_EQ(PgValueText::fromServer(PgKind::Time, "00:00:00.000001", 15),
              QVariant::fromValue(TimeOfDay{1}));
    EXPECT_EQ(PgValueText::fromServer(PgKind::Date, "infinity", 8),
              QVariant(QStringLiteral("infinity")));
}

TEST(PgValueText, NumbersAndBytesKeepEveryDigitAndByte) {
    QByteArray text;
    ASSERT_TRUE(PgValueText::toServer(PgKind::Float, QVariant(0.1), text));
    EXPECT_EQ(text.toDouble(), 0.1);
    ASSERT_TRUE(PgValueText::toServer(PgKind::Float, QVariant(1e300), text));
    EXPECT_EQ(text.toDouble(), 1e300);
    // money takes no exponent
    ASSERT_TRUE(PgValueText::toServer(PgKind::Money, QVariant(1e15), text));
    EXPECT_FALSE(text.contains('e'));
    ASSERT_TRUE(PgValueText::toServer(PgKind::Integer,
                                      QVariant(qlonglong(-9223372036854775807LL - 1)), text));
    EXPECT_EQ(text, "-9223372036854775808");
    EXPECT_FALSE(PgValueText::toServer(PgKind::Text, QVariant(), text));

    const QByteArray bytes("\x00\x01\xff\\x\t\n", 7);
    QByteArray copy;
    PgValueText::appendCopyField(PgKind::Bytes, QVariant(bytes), copy);
    EXPECT_EQ(copy, "\\\\x0001ff5c78090a");
    EXPECT_EQ(PgValueText::decodeHexBytes(copy.constData() + 1, static_cast<int>(copy.size() - 1)),
              bytes);

    copy.clear();
    PgValueText::appendCopyField(PgKind::Text, QVariant(QStringLiteral("a\tb\\c\nd\re")), copy);
    EXPECT_EQ(copy, "a\\tb\\\\c\\nd\\re");
}

TEST(PgValueText, MalformedServerTextIsAnErrorNotGarbage) {
    const auto parses = [](const QByteArray& text) {
        qint64 usec;
        return PgTemporal::parseTimestamp(text.constData(), static_cast<int>(text.size()), false,
                                          usec);
    };
    EXPECT_FALSE(parses("999999999-12-31 23:59:59"));
    EXPECT_FALSE(parses("294277-01-01 00:00:00 BC"));
    EXPECT_FALSE(parses("300000-01-01 00:00:00"));

    const struct {
        PgKind kind;
        QByteArray text;
    } malformed[] = {
        {PgKind::Bytes, "\\x4g"},
        {PgKind::Bytes, "\\x123"},
        {PgKind::Bytes, "a\\9"},
        {PgKind::Bytes, "\\12"},
        {PgKind::Integer, "12x"},
        {PgKind::Integer, ""},
        {PgKind::Integer, "99999999999999999999"},
        {PgKind::Float, "1.5.2"},
    };
    for (const auto& c : malformed) {
        EXPECT_THROW(
            PgValueText::fromServer(c.kind, c.text.constData(), static_cast<int>(c.text.size())),
            EDBEngineError)
            << c.text.constData();
    }
    // The escape format reads its length, not up to a zero byte, and decodes octal escapes.
    EXPECT_EQ(PgValueText::decodeHexBytes("ab\\\\\\001zz", 9), QByteArray("ab\\\x01z"));
}

// Encodes, checks the round trip and returns the encoding.
QByteArray sortable(const char* decimal, const char* canonical) {
    const QByteArray encoded = PgSortableDecimal::encode(decimal);
    EXPECT_FALSE(encoded.isEmpty()) << decimal;
    EXPECT_EQ(PgSortableDecimal::decode(encoded), QByteArray(canonical)) << decimal;
    return encoded;
}

TEST(PgSortableDecimal, ByteOrderIsNumericOrder) {
    // In ascending numeric order, with the plain form each decodes to.
    const std::vector<std::pair<const char*, const char*>> ascending = {
        {"-Infinity", "-Infinity"},
        {"-1000000000000000000000.5", "-1000000000000000000000.5"},
        {"-100", "-100"},
        {"-99.99", "-99.99"},
        {"-12.3", "-12.3"},
        {"-12.29999", "-12.29999"},
        {"-1", "-1"},
        {"-0.123", "-0.123"},
        {"-0.12", "-0.12"},
        {"-0.0001", "-0.0001"},
        {"0.000", "0"},
        {"0.00000000000000000001", "0.00000000000000000001"},
        {"0.1200", "0.12"},
        {"0.123", "0.123"},
        {"1", "1"},
        {"1.5", "1.5"},
        {"10", "10"},
        {"12.3", "12.3"},
        {"100.00", "100"},
        {"99999999999999999999999999", "99999999999999999999999999"},
        {"Infinity", "Infinity"},
        {"NaN", "NaN"},
    };
    QByteArray previous;
    for (const auto& [decimal, canonical] : ascending) {
        const QByteArray encoded = sortable(decimal, canonical);
        if (!previous.isEmpty()) {
            EXPECT_LT(previous, encoded) << decimal;
        }
        previous = encoded;
    }
    EXPECT_EQ(PgSortableDecimal::encode("1.50"), PgSortableDecimal::encode("1.5"));
    EXPECT_EQ(PgSortableDecimal::encode("-0.0"), PgSortableDecimal::encode("0"));
    EXPECT_TRUE(PgSortableDecimal::encode("1e5").isEmpty());
    EXPECT_TRUE(PgSortableDecimal::decode("3abc").isEmpty());
}

TEST(PgStatementText, NumbersMarkersOutsideQuotesAndComments) {
    int count = 0;
    EXPECT_EQ(PgStatementText::numberParameters(
                  QStringLiteral("INSERT INTO t VALUES (?, '?', \"a?\", ?) -- why?\r\n"), &count),
              "INSERT INTO t VALUES ($1, '?', \"a?\", $2) -- why?\r\n");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(PgStatementText::numberParameters(
                  QStringLiteral("SELECT $$ ? $$, $tag$ '?' $tag$, E'\\'?', /* ? /* ? */ ? */ ?")),
              "SELECT $$ ? $$, $tag$ '?' $tag$, E'\\'?', /* ? /* ? */ ? */ $1");
    EXPECT_EQ(PgStatementText::numberParameters(QStringLiteral("SELECT 'it''s ?', ?")),
              "SELECT 'it''s ?', $1");
    EXPECT_EQ(PgStatementText::numberParameters(QStringLiteral("SELECT a$b, ?")), "SELECT a$b, $1");
}

TEST(PgIdentifier, QuotesEveryNameAndSplitsQualifiedOnes) {
    EXPECT_EQ(PgQuoteIdentifier(QStringLiteral("a\"b; DROP")), "\"a\"\"b; DROP\"");
    EXPECT_EQ(PgQualifiedName(QStringLiteral("s"), QStringLiteral("T")), "\"s\".\"T\"");
    EXPECT_EQ(PgSplitQualifiedName(QStringLiteral("Sales.\"Order \"\"Lines\"\"\"")),
              QStringList({"sales", "Order \"Lines\""}));
    EXPECT_EQ(PgSplitQualifiedName(QStringLiteral(" db . s . t ")), QStringList({"db", "s", "t"}));
    EXPECT_TRUE(PgSplitQualifiedName(QStringLiteral("a b")).isEmpty());
    EXPECT_TRUE(PgSplitQualifiedName(QStringLiteral("\"open")).isEmpty());
    EXPECT_TRUE(PgSplitQualifiedName(QStringLiteral("a.")).isEmpty());
    EXPECT_EQ(PgDisplayIdentifier(QStringLiteral("orders")), QStringLiteral("orders"));
    EXPECT_EQ(PgDisplayIdentifier(QStringLiteral("Orders")), QStringLiteral("\"Orders\""));
    EXPECT_EQ(PgSplitQualifiedName(PgDisplayIdentifier(QStringLiteral("x.\"y"))),
              QStringList({"x.\"y"}));
}

TEST(PgConnectOptions, DateOrderFollowsTheLocaleUnlessTheAliasSetsIt) {
    EXPECT_EQ(PgConnectOptions::dateOrder(QStringLiteral("dd.MM.yyyy")), QStringLiteral("DMY"));
    EXPECT_EQ(PgConnectOptions::dateOrder(QStringLiteral("M/d/yy")), QStringLiteral("MDY"));
    EXPECT_EQ(PgConnectOptions::dateOrder(QStringLiteral("yyyy-MM-dd")), QStringLiteral("YMD"));

    const QString plain = PgConnectOptions::sessionOptions(QString(), QStringLiteral("DMY"), false);
    EXPECT_TRUE(plain.contains(QLatin1String("datestyle=ISO,DMY")));
    EXPECT_FALSE(plain.contains(QLatin1String("read_only")));

    const QString own = PgConnectOptions::sessionOptions(QStringLiteral("-c DateStyle=SQL,MDY"),
                                                         QStringLiteral("DMY"), true);
    EXPECT_FALSE(own.contains(QLatin1String("DMY")));
    // The alias's order stays; only the output style is made ISO, after it.
    EXPECT_GT(own.indexOf(QLatin1String("datestyle=ISO")), own.indexOf(QLatin1String("SQL,MDY")));
    EXPECT_TRUE(own.contains(QLatin1String("default_transaction_read_only=on")));
}

}  // namespace
