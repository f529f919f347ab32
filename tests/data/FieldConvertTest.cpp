#include "data/Exceptions.h"
#include "data/FieldConvert.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

namespace {

using namespace FieldConvert;

ColumnInfo field(TFieldType type, int size = 0, const char* name = "F") {
    ColumnInfo info;
    info.name = QString::fromLatin1(name);
    info.type = type;
    info.size = size;
    return info;
}

QString messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

TEST(FieldConvert, IntegersRoundHalvesToEvenAndParseStrictly) {
    const ColumnInfo f = field(ftInteger);
    EXPECT_EQ(FromNumber(f, 2.5).toLongLong(), 2);
    EXPECT_EQ(FromNumber(f, 3.5).toLongLong(), 4);
    EXPECT_EQ(FromNumber(f, -2.5).toLongLong(), -2);
    EXPECT_EQ(FromText(f, QStringLiteral(" 42 ")).toLongLong(), 42);
    EXPECT_FALSE(FromText(f, QString()).isValid());
    EXPECT_EQ(messageOf([&] { FromText(f, QStringLiteral("4.2")); }),
              QStringLiteral("'4.2' is not a valid integer value for field 'F'"));
    EXPECT_EQ(messageOf([&] { ReadDateTime(f, QVariant(qlonglong(1))); }),
              QStringLiteral("Cannot access field 'F' as type DateTime"));

    ColumnInfo small = field(ftSmallint, 0, "S");
    small.hasRange = true;
    small.minValue = -32768;
    small.maxValue = 32767;
    EXPECT_EQ(
        messageOf([&] { FromText(small, QStringLiteral("40000")); }),
        QStringLiteral(
            "40000 is not a valid value for field 'S'. The allowed range is -32768 to 32767"));
    EXPECT_THROW(FromNumber(field(ftLargeint), 1e19), EConvertError);
}

TEST(FieldConvert, BooleansTakeLeadingPartsOfTrueAndFalse) {
    const ColumnInfo f = field(ftBoolean, 0, "B");
    EXPECT_EQ(FromText(f, QStringLiteral("t")), QVariant(true));
    EXPECT_EQ(FromText(f, QStringLiteral("fa")), QVariant(false));
    EXPECT_EQ(FromText(f, QStringLiteral("TRUE")), QVariant(true));
    EXPECT_FALSE(FromText(f, QString()).isValid());
    EXPECT_EQ(messageOf([&] { FromText(f, QStringLiteral("yes")); }),
              QStringLiteral("'yes' is not a valid boolean value for field 'B'"));
    EXPECT_EQ(ReadText(f, QVariant(false)), QStringLiteral("False"));
    EXPECT_EQ(messageOf([&] { ReadNumber(f, QVariant(true)); }),
              QStringLiteral("Cannot access field 'B' as type Float"));
}

TEST(FieldConvert, StringsAreCutToTheirSizeAndParseOnDemand) {
    const ColumnInfo f = field(ftString, 6);
    EXPECT_EQ(FromText(f, QStringLiteral("0123456789")).toString(), QStringLiteral("012345"));
    EXPECT_EQ(ReadNumber(f, QVariant(QStringLiteral("2.75"))), 2.75);
    EXPECT_EQ(messageOf([&] { ReadNumber(f, QVariant(QStringLiteral("abc"))); }),
              QStringLiteral("'abc' is not a valid floating point value"));
    EXPECT_EQ(messageOf([&] { ReadDateTime(f, QVariant(QStringLiteral("abc"))); }),
              QStringLiteral("'abc' is not a valid date and time"));
    EXPECT_EQ(FromNumber(field(ftString), 1.0 / 3).toString(), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(ReadNumber(f, QVariant()), 0.0);
    EXPECT_EQ(ReadDateTime(f, QVariant()), 0.0);
}

TEST(FieldConvert, FloatsUseFifteenSignificantDigits) {
    const ColumnInfo f = field(ftFloat, 0, "R");
    EXPECT_EQ(ReadText(f, QVariant(0.1 + 0.2)), QStringLiteral("0.3"));
    EXPECT_EQ(ReadText(f, QVariant(1234567.25)), QStringLiteral("1234567.25"));
    EXPECT_EQ(FromText(f, QStringLiteral("-1.5e3")).toDouble(), -1500.0);
    EXPECT_EQ(messageOf([&] { FromText(f, QStringLiteral("1,2,3")); }),
              QStringLiteral("'1,2,3' is not a valid floating point value for field 'R'"));
}

TEST(FieldConvert, DecimalsKeepFourPlacesExactly) {
    const ColumnInfo f = field(ftBCD, 0, "D");
    EXPECT_EQ(FromText(f, QStringLiteral("12.34565")).toString(), QStringLiteral("12.3457"));
    EXPECT_EQ(FromText(f, QStringLiteral("-0.00004")).toString(), QStringLiteral("0"));
    EXPECT_EQ(FromText(f, QStringLiteral("99999999999999999.99995")).toString(),
              QStringLiteral("100000000000000000"));
    EXPECT_EQ(FromNumber(f, 2.00005).toString(), QStringLiteral("2.0001"));
    EXPECT_EQ(ReadText(f, QVariant(QStringLiteral("7.5"))), QStringLiteral("7.5"));
    EXPECT_EQ(ReadNumber(f, QVariant(QStringLiteral("7.5"))), 7.5);
    QString out;
    EXPECT_FALSE(NormalizeDecimal(QStringLiteral("1.2.3"), 4, out));
    EXPECT_TRUE(NormalizeDecimal(QStringLiteral("1.5e-3"), -1, out));
    EXPECT_EQ(out, QStringLiteral("0.0015"));
    // Texts that look almost normal already.
    const QList<std::tuple<const char*, int, const char*>> cases = {
        {"12.5", -1, "12.5"},     {"-0.5", 4, "-0.5"},  {"-0", -1, "0"},
        {"0.50", -1, "0.5"},      {"007", -1, "7"},     {".5", -1, "0.5"},
        {"5.", -1, "5"},          {"+5", -1, "5"},      {" 5", -1, "5"},
        {"1.23456", 4, "1.2346"}, {"-0.00001", 4, "0"}, {"1.0001", 4, "1.0001"},
    };
    for (const auto& [text, scale, normal] : cases) {
        EXPECT_TRUE(NormalizeDecimal(QString::fromLatin1(text), scale, out)) << text;
        EXPECT_EQ(out, QString::fromLatin1(normal)) << text;
    }
    EXPECT_FALSE(NormalizeDecimal(QStringLiteral("-"), -1, out));
    EXPECT_FALSE(NormalizeDecimal(QStringLiteral("1-"), -1, out));
}

TEST(FieldConvert, FloatsAreWrittenAsTheLocaleWritesThem) {
    // Exact ties at the 15th digit, signed zero, exponents both ways, and values from every
    // part of the range, against the locale's own writer.
    QList<double> values = {1.897491455078125,
                            8054580417022245.0,
                            -0.0,
                            0.0,
                            1e20,
                            1e-5,
                            123456789012345.0,
                            1234567890123456.0,
                            -1.25,
                            0.1,
                            1.0 / 3,
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity(),
                            std::nan("")};
    quint64 bits = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 6364136223846793005ULL + 1442695040888963407ULL;
        values.append(
            std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 160) - 130));
        values.append(static_cast<double>(bits % 100000000) / 128.0);
    }
    const QLocale previous;
    for (const char* name : {"C", "de_DE", "sv_SE", "ar_EG"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        for (const double value : values)
            ASSERT_EQ(FormatFloat(value), locale.toString(value, 'g', 15)) << name << " " << value;
    }
    QLocale::setDefault(previous);
}

TEST(FieldConvert, DatesUseTheLocaleWithFourDigitYears) {
    // en_GB, set by the test main; its short format has four-digit years anyway, so try a
    // locale whose short format has two.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_FALSE(ShortDateFormat().contains(QRegularExpression(QStringLiteral("(?<!y)yy(?!y)"))));
    const ColumnInfo d = field(ftDate);
    EXPECT_EQ(ReadText(d, QVariant(QDate(1999, 12, 31))), QStringLiteral("12/31/1999"));
    EXPECT_EQ(FromText(d, QStringLiteral("12/31/1999")).toDate(), QDate(1999, 12, 31));
    QLocale::setDefault(previous);

    const ColumnInfo dt = field(ftDateTime);
    EXPECT_EQ(ReadText(dt, QVariant(QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC))),
              QStringLiteral("08/12/2026"));
    EXPECT_EQ(ReadText(dt, QVariant(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9), Qt::UTC))),
              QStringLiteral("08/12/2026 14:05:09"));
    EXPECT_EQ(messageOf([&] { FromText(d, QStringLiteral("31/02/2026")); }),
              QStringLiteral("'31/02/2026' is not a valid date"));
    EXPECT_EQ(messageOf([&] { FromText(field(ftTime), QStringLiteral("25:00")); }),
              QStringLiteral("'25:00' is not a valid time"));
    EXPECT_EQ(messageOf([&] { FromText(dt, QStringLiteral("soon")); }),
              QStringLiteral("'soon' is not a valid date and time"));
}

TEST(FieldConvert, DateTextsThatAreNoDateShowAsTheyStand) {
    // An engine without a date type holds whatever text a script wrote into a date column.
    const ColumnInfo d = field(ftDate), dt = field(ftDateTime);
    EXPECT_EQ(ReadText(d, QVariant(QStringLiteral("31/12/1999"))), QStringLiteral("31/12/1999"));
    EXPECT_EQ(ReadText(d, QVariant(QStringLiteral("1999-12-31"))), QStringLiteral("31/12/1999"));
    EXPECT_EQ(ReadText(d, QVariant(QStringLiteral("Dec 31st"))), QStringLiteral("Dec 31st"));
    EXPECT_EQ(ReadText(dt, QVariant(QStringLiteral("31.12.1999 10:00"))),
              QStringLiteral("31.12.1999 10:00"));
    EXPECT_EQ(ReadText(field(ftTime), QVariant(QStringLiteral("noon"))), QStringLiteral("noon"));
}

TEST(FieldConvert, DateTimesAreDayCountsFromTheEndOf1899) {
    const ColumnInfo dt = field(ftDateTime);
    EXPECT_EQ(ReadNumber(dt, QVariant(QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC))), 0.0);
    EXPECT_EQ(ReadNumber(dt, QVariant(QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC))), 2.0);
    EXPECT_EQ(ReadNumber(dt, QVariant(QDateTime(QDate(2000, 1, 1), QTime(18, 0), Qt::UTC))),
              36526.75);
    EXPECT_EQ(FromNumber(dt, 36526.75).toDateTime(),
              QDateTime(QDate(2000, 1, 1), QTime(18, 0), Qt::UTC));
    // Before day zero the fraction still counts the hours of that day.
    EXPECT_EQ(FromNumber(dt, -1.25).toDateTime(),
              QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_EQ(FromDateTime(field(ftDate), 36526.75).toDate(), QDate(2000, 1, 1));
    EXPECT_EQ(FromDateTime(field(ftTime), 36526.75).toTime(), QTime(18, 0));
    EXPECT_EQ(ReadDateTime(dt, QVariant()), 0.0);
    EXPECT_EQ(FromDateTime(field(ftString), 36526.75).toString(),
              QStringLiteral("01/01/2000 18:00:00"));
}

TEST(FieldConvert, DayCountsWithoutADateAreConversionErrors) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const double days : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e19, -1e300}) {
        for (const TFieldType type : {ftDate, ftTime, ftDateTime}) {
            const ColumnInfo f = field(type);
            const QString expected =
                QStringLiteral("'%1' is not a valid date and time").arg(FormatFloat(days));
            EXPECT_EQ(messageOf([&] { FromNumber(f, days); }), expected);
            EXPECT_EQ(messageOf([&] { FromDateTime(f, days); }), expected);
        }
        EXPECT_THROW(FromDateTime(field(ftString), days), EConvertError);
    }
}

TEST(FieldConvert, BlobsAndBytesCarryOneCharacterPerByte) {
    const QByteArray raw("\x00\x7f\x80\xff", 4);
    const ColumnInfo blob = field(ftBlob);
    EXPECT_EQ(FromText(blob, ReadText(blob, QVariant(raw))).toByteArray(), raw);
    EXPECT_EQ(FromText(field(ftBytes, 2), QStringLiteral("abcd")).toByteArray(), QByteArray("ab"));
    const ColumnInfo memo = field(ftMemo);
    EXPECT_EQ(ReadText(memo, FromText(memo, QString::fromUtf8("Grüße"))),
              QString::fromUtf8("Grüße"));
    EXPECT_THROW(ReadNumber(blob, QVariant(raw)), EConvertError);
}

}  // namespace
