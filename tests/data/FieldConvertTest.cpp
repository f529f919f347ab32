#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"

#include "tests/support/ValuePrint.h"

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

QVariant stamp(const QDate& date, int hour = 0, int minute = 0, int second = 0, int usec = 0) {
    TimeStamp value;
    value.date = date;
    value.usec = ((hour * 60 + minute) * 60 + second) * UsecPerSecond + usec;
    return QVariant::fromValue(value);
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

TEST(FieldConvert, DecimalsKeepEveryDigitTheyAreGiven) {
    ColumnInfo f = field(ftBCD, 0, "D");
    EXPECT_EQ(FromText(f, QStringLiteral("12.34565")).toString(), QStringLiteral("12.34565"));
    EXPECT_EQ(FromText(f, QStringLiteral("99999999999999999.99995")).toString(),
              QStringLiteral("99999999999999999.99995"));
    EXPECT_EQ(FromNumber(f, 2.00005).toString(), QStringLiteral("2.00005"));
    EXPECT_EQ(FromValue(f, QVariant(0.1 + 0.2)).toString(), QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(ReadText(f, QVariant(QStringLiteral("0.000001"))), QStringLiteral("0.000001"));
    EXPECT_EQ(ReadNumber(f, QVariant(QStringLiteral("7.5"))), 7.5);
    f.limits.precision = 6;
    f.limits.scale = 2;
    EXPECT_EQ(FromText(f, QStringLiteral("1234.50")).toString(), QStringLiteral("1234.50"));
    EXPECT_EQ(messageOf([&] { FromText(f, QStringLiteral("12.345")); }),
              QStringLiteral("Field 'D' cannot hold 12.345: it keeps 2 decimal places "
                             "(NUMERIC(6,2))"));
    EXPECT_EQ(messageOf([&] { FromValue(f, QVariant(qlonglong(12345))); }),
              QStringLiteral("Field 'D' cannot hold 12345: it keeps 4 digits before the decimal "
                             "point (NUMERIC(6,2))"));
}

TEST(FieldConvert, DecimalTextIsNormalizedWithoutLosingADigit) {
    const QList<std::pair<const char*, const char*>> cases = {
        {"12.5", "12.5"},
        {"-0.5", "-0.5"},
        {"-0", "0"},
        {"0.50", "0.50"},
        {"007", "7"},
        {".5", "0.5"},
        {"5.", "5"},
        {"+5", "5"},
        {" 5", "5"},
        {"-0.00", "0.00"},
        {"1.5e-3", "0.0015"},
        {"1.50e1", "15.0"},
        {"1.0e-10", "0.00000000010"},
        {"12345678901234567890.0123456789e2", "1234567890123456789001.23456789"},
        {"2E+3", "2000"},
    };
    QString out;
    for (const auto& [text, normal] : cases) {
        ASSERT_TRUE(Decimal::Normalize(QString::fromLatin1(text), out)) << text;
        EXPECT_EQ(out, QString::fromLatin1(normal)) << text;
        EXPECT_TRUE(Decimal::IsNormal(out)) << text;
    }
    for (const char* bad : {"-", "1-", "1.2.3", "e5", "1e", "1e99999", "0x10", "1 2"})
        EXPECT_FALSE(Decimal::Normalize(QString::fromLatin1(bad), out)) << bad;
}

TEST(FieldConvert, DoublesGoIntoDecimalsAsTheirShortestDigits) {
    double back = 0;
    for (const double value : {0.1, 1e-10, 123456.789, 12345678901234.568, 1e300, -2.5e-308,
                               std::numeric_limits<double>::denorm_min()}) {
        QString decimal;
        ASSERT_TRUE(Decimal::FromDouble(value, decimal)) << value;
        EXPECT_FALSE(decimal.contains(QLatin1Char('e'))) << value;
        ASSERT_TRUE(Decimal::ToDouble(decimal, back)) << value;
        EXPECT_EQ(back, value) << decimal.toStdString();
    }
    EXPECT_FALSE(Decimal::ToDouble(QStringLiteral("12345678901234567890.0123456789"), back));
    EXPECT_FALSE(Decimal::ToDouble(QStringLiteral("0.1000000000000000055511151231257827"), back));
    EXPECT_TRUE(Decimal::ToDouble(QStringLiteral("0.10"), back));
    QString none;
    EXPECT_FALSE(Decimal::FromDouble(std::nan(""), none));
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
    EXPECT_EQ(ReadText(dt, stamp(QDate(2026, 12, 8))), QStringLiteral("08/12/2026"));
    EXPECT_EQ(ReadText(dt, stamp(QDate(2026, 12, 8), 14, 5, 9)),
              QStringLiteral("08/12/2026 14:05:09"));
    // Fractions of a second show with every digit they have.
    EXPECT_EQ(ReadText(dt, stamp(QDate(2026, 12, 8), 14, 5, 9, 123456)),
              QStringLiteral("08/12/2026 14:05:09.123456"));
    EXPECT_EQ(FromText(dt, QStringLiteral("08/12/2026 14:05:09.123456")),
              stamp(QDate(2026, 12, 8), 14, 5, 9, 123456));
    EXPECT_EQ(ReadText(field(ftTime), QVariant::fromValue(TimeOfDay{UsecPerDay})),
              QStringLiteral("24:00:00"));
    EXPECT_EQ(messageOf([&] { FromText(d, QStringLiteral("31/02/2026")); }),
              QStringLiteral("'31/02/2026' is not a valid date for field 'F'"));
    EXPECT_EQ(messageOf([&] { FromText(field(ftTime), QStringLiteral("25:00")); }),
              QStringLiteral("'25:00' is not a valid time for field 'F'"));
    EXPECT_EQ(messageOf([&] { FromText(dt, QStringLiteral("soon")); }),
              QStringLiteral("'soon' is not a valid date and time for field 'F'"));
}

TEST(FieldConvert, DateTextsThatAreNoDateShowAsTheyStand) {
    // An engine without a date type holds whatever text a script wrote into a date column.
    const ColumnInfo d = field(ftDate), dt = field(ftDateTime);
    EXPECT_EQ(ReadText(d, QVariant(QStringLiteral("31/12/1999"))), QStringLiteral("31/12/1999"));
    EXPECT_EQ(ReadText(d, QVariant(QDate(1999, 12, 31))), QStringLiteral("31/12/1999"));
    EXPECT_EQ(ReadText(d, QVariant(QStringLiteral("Dec 31st"))), QStringLiteral("Dec 31st"));
    EXPECT_EQ(ReadText(dt, QVariant(QStringLiteral("31.12.1999 10:00"))),
              QStringLiteral("31.12.1999 10:00"));
    EXPECT_EQ(ReadText(field(ftTime), QVariant(QStringLiteral("noon"))), QStringLiteral("noon"));
}

TEST(FieldConvert, DateTimesAreDayCountsFromTheEndOf1899) {
    const ColumnInfo dt = field(ftDateTime);
    EXPECT_EQ(ReadNumber(dt, stamp(QDate(1899, 12, 30))), 0.0);
    EXPECT_EQ(ReadNumber(dt, stamp(QDate(1900, 1, 1))), 2.0);
    EXPECT_EQ(ReadNumber(dt, stamp(QDate(2000, 1, 1), 18)), 36526.75);
    EXPECT_EQ(FromNumber(dt, 36526.75), stamp(QDate(2000, 1, 1), 18));
    // Before day zero the fraction still counts the hours of that day.
    EXPECT_EQ(FromNumber(dt, -1.25), stamp(QDate(1899, 12, 29), 6));
    EXPECT_EQ(FromDateTime(field(ftDate), 36526.0).toDate(), QDate(2000, 1, 1));
    EXPECT_EQ(FromDateTime(field(ftTime), 0.75),
              QVariant::fromValue(TimeOfDay{18 * 3600 * UsecPerSecond}));
    EXPECT_EQ(ReadDateTime(dt, QVariant()), 0.0);
    EXPECT_EQ(FromDateTime(field(ftString), 36526.75).toString(),
              QStringLiteral("01/01/2000 18:00:00"));
    // A count a hair below midnight stays in its day.
    EXPECT_EQ(FromNumber(dt, 36526.0 - 1e-11).value<TimeStamp>().date, QDate(1999, 12, 31));
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
    // An empty blob is a value, as '' is in a text field.
    EXPECT_TRUE(FromText(blob, QString()).isValid());
    EXPECT_EQ(FromText(field(ftString), QString()), QVariant(QString()));
    const ColumnInfo memo = field(ftMemo);
    EXPECT_EQ(ReadText(memo, FromText(memo, QString::fromUtf8("Grüße"))),
              QString::fromUtf8("Grüße"));
    EXPECT_THROW(ReadNumber(blob, QVariant(raw)), EConvertError);
}

}  // namespace

namespace {

struct Assignment {
    const char* what;
    ColumnInfo field;
    QVariant value;
    QVariant expected;    // when it is taken
    const char* refusal;  // part of the message when it is not
};

ColumnInfo limited(TFieldType type, const std::function<void(ColumnInfo&)>& set) {
    ColumnInfo info = field(type);
    set(info);
    return info;
}

class ValueAssignment : public testing::TestWithParam<Assignment> {};

TEST_P(ValueAssignment, KeepsTheValueOrNamesFieldValueAndLimit) {
    const Assignment& a = GetParam();
    if (a.refusal) {
        const QString message = messageOf([&] { FromValue(a.field, a.value); });
        EXPECT_TRUE(message.contains(QString::fromUtf8(a.refusal))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("'F'"))) << message.toStdString();
    } else {
        EXPECT_EQ(FromValue(a.field, a.value), a.expected);
    }
}

const QDate Leap(2024, 2, 29);

INSTANTIATE_TEST_SUITE_P(
    FieldConvert, ValueAssignment,
    testing::Values(
        Assignment{"EmptyTextStays", field(ftString), QVariant(QString("")), QVariant(QString("")),
                   nullptr},
        Assignment{"TextOverItsSize",
                   field(ftString, 10),
                   QVariant(QStringLiteral("abcdefghijklmnopqrstuvwxyz")),
                   {},
                   "(26 characters): it holds at most 10"},
        Assignment{"SurrogatePairsCountOnce", field(ftString, 2), QVariant(QString::fromUtf8("😀😀")),
                   QVariant(QString::fromUtf8("😀😀")), nullptr},
        Assignment{"NulWhereTheEngineHasNone",
                   limited(ftString, [](ColumnInfo& c) { c.limits.holdsNul = false; }),
                   QVariant(QString::fromUtf16(u"a\0b", 3)),
                   {},
                   "no NUL character"},
        Assignment{"BigIntegerIntoDouble",
                   field(ftFloat),
                   QVariant(qlonglong(9007199254740993)),
                   {},
                   "a double keeps"},
        Assignment{"DecimalIntoDouble", field(ftFloat), QVariant(QStringLiteral("0.1")),
                   QVariant(0.1), nullptr},
        Assignment{"NaNWhereTheEngineHasNone",
                   limited(ftFloat, [](ColumnInfo& c) { c.limits.holdsNaN = false; }),
                   QVariant(std::nan("")),
                   {},
                   "no NaN"},
        Assignment{"DoubleIntoSingle",
                   limited(ftFloat, [](ColumnInfo& c) { c.limits.singleFloat = true; }),
                   QVariant(0.1 + 0.2),
                   {},
                   "4-byte float"},
        Assignment{"ShortDoubleIntoSingle",
                   limited(ftFloat, [](ColumnInfo& c) { c.limits.singleFloat = true; }),
                   QVariant(0.1), QVariant(0.1), nullptr},
        Assignment{
            "FractionIntoInteger", field(ftInteger), QVariant(2.5), {}, "not a valid integer"},
        Assignment{"DecimalTextIntoInteger", field(ftLargeint),
                   QVariant(QStringLiteral("9223372036854775807.000")),
                   QVariant(qlonglong(9223372036854775807)), nullptr},
        Assignment{"TooManyDigitsForADoubleColumn",
                   limited(ftFMTBcd, [](ColumnInfo& c) { c.limits.realDecimals = true; }),
                   QVariant(QStringLiteral("12345678901234567890.0123456789")),
                   {},
                   "15 to 17 significant digits"},
        Assignment{
            "StampWithTimeIntoDate", field(ftDate), stamp(Leap, 12), {}, "without a time of day"},
        Assignment{"MidnightIntoDate", field(ftDate), stamp(Leap), QVariant(Leap), nullptr},
        Assignment{"DateBeforeTheRange",
                   limited(ftDate, [](ColumnInfo& c) { c.limits.minDate = QDate(1000, 1, 1); }),
                   QVariant(QDate(999, 12, 31)),
                   {},
                   "it holds dates from"},
        Assignment{"FractionTheColumnDrops",
                   limited(ftDateTime, [](ColumnInfo& c) { c.limits.fractionDigits = 3; }),
                   stamp(Leap, 1, 2, 3, 123456),
                   {},
                   "3 fraction digits"},
        Assignment{"EndOfDayWhereThereIsNone",
                   limited(ftTime, [](ColumnInfo& c) { c.limits.holdsEndOfDay = false; }),
                   QVariant::fromValue(TimeOfDay{UsecPerDay}),
                   {},
                   "24:00:00"},
        Assignment{
            "ZonedIntoPlainIsUtc", field(ftDateTime),
            QVariant::fromValue(TimeStamp{Leap, 30 * 60 * UsecPerSecond, 3600, true}),
            QVariant::fromValue(TimeStamp{
                QDate(2024, 2, 28), 23 * 3600 * UsecPerSecond + 30 * 60 * UsecPerSecond, 0, false}),
            nullptr},
        Assignment{"BytesOverTheirSize",
                   field(ftVarBytes, 2),
                   QVariant(QByteArray("abc")),
                   {},
                   "it holds at most 2"},
        Assignment{
            "MemoThatIsNoUtf8", field(ftString), QVariant(QByteArray("\xff\xfe")), {}, "no UTF-8"},
        Assignment{"NoUtf8IntoAServersMemo",
                   limited(ftMemo, [](ColumnInfo& c) { c.limits.holdsAnyBytes = false; }),
                   QVariant(QByteArray("\xff\xfe")),
                   {},
                   "no UTF-8"},
        Assignment{"NoUtf8IntoSqlitesMemo", field(ftMemo), QVariant(QByteArray("\xff\xfe")),
                   QVariant(QByteArray("\xff\xfe")), nullptr},
        Assignment{"TextIntoAUuidColumn",
                   limited(ftGuid, [](ColumnInfo& c) { c.limits.uuidOnly = true; }),
                   QVariant(QStringLiteral("a0eebc99-9c0b-4ef8-bb6d-6bb9bd38Oa11")),
                   {},
                   "it holds a UUID"},
        Assignment{"UuidInCapitals",
                   limited(ftGuid, [](ColumnInfo& c) { c.limits.uuidOnly = true; }),
                   QVariant(QStringLiteral("A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11")),
                   QVariant(QStringLiteral("A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11")), nullptr},
        Assignment{"TextAnyColumnKeeps",
                   limited(ftInteger, [](ColumnInfo& c) { c.limits.anyText = true; }),
                   QVariant(QStringLiteral("n/a")), QVariant(QStringLiteral("n/a")), nullptr}),
    [](const testing::TestParamInfo<Assignment>& info) { return std::string(info.param.what); });

}  // namespace
