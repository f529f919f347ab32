#include "settings/PropertyText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using PropertyText::Kind;

QString applied(const QString& text, Kind kind, const QLocale& locale = QLocale()) {
    const auto value = PropertyText::fromText(text, kind, locale);
    return value ? value->toString() : QStringLiteral("<unchanged>");
}

TEST(PropertyText, KindsFollowThePropertyType) {
    EXPECT_EQ(PropertyText::kindOf(QMetaType::fromType<bool>()), Kind::Boolean);
    EXPECT_EQ(PropertyText::kindOf(QMetaType::fromType<int>()), Kind::Integer);
    EXPECT_EQ(PropertyText::kindOf(QMetaType::fromType<qlonglong>()), Kind::Integer);
    EXPECT_EQ(PropertyText::kindOf(QMetaType::fromType<double>()), Kind::Float);
    EXPECT_EQ(PropertyText::kindOf(QMetaType::fromType<QString>()), Kind::Text);
}

TEST(PropertyText, TrimmingRemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(PropertyText::trimmed(QStringLiteral(" \t\r\n\x01x y\x1f ")), QStringLiteral("x y"));
    EXPECT_EQ(PropertyText::trimmed(QStringLiteral(" ")), QString());
    EXPECT_EQ(PropertyText::trimmed(QStringLiteral("\u00a0x\u00a0")),
              QStringLiteral("\u00a0x\u00a0"));
}

TEST(PropertyText, FloatsUseFixedNotationWithinRangeAndAPointAlways) {
    EXPECT_EQ(PropertyText::formatFloat(1000), QStringLiteral("1000"));
    EXPECT_EQ(PropertyText::formatFloat(0), QStringLiteral("0"));
    EXPECT_EQ(PropertyText::formatFloat(-1000), QStringLiteral("-1000"));
    EXPECT_EQ(PropertyText::formatFloat(1500.5), QStringLiteral("1500.5"));
    EXPECT_EQ(PropertyText::formatFloat(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(PropertyText::formatFloat(0.00001), QStringLiteral("0.00001"));
    EXPECT_EQ(PropertyText::formatFloat(-0.000012), QStringLiteral("-0.000012"));
    EXPECT_EQ(PropertyText::formatFloat(0.000001), QStringLiteral("1E-6"));
    EXPECT_EQ(PropertyText::formatFloat(123456789012345678.0),
              QStringLiteral("123456789012345680"));
    EXPECT_EQ(PropertyText::formatFloat(1e18), QStringLiteral("1E18"));
    EXPECT_EQ(PropertyText::formatFloat(-2.5e20), QStringLiteral("-2.5E20"));
    EXPECT_EQ(PropertyText::formatFloat(std::numeric_limits<double>::infinity()),
              QStringLiteral("INF"));
}

TEST(PropertyText, StoredTextsByKind) {
    EXPECT_EQ(PropertyText::toText(true, Kind::Boolean), QStringLiteral("True"));
    EXPECT_EQ(PropertyText::toText(false, Kind::Boolean), QStringLiteral("False"));
    EXPECT_EQ(PropertyText::toText(-1, Kind::Integer), QStringLiteral("-1"));
    EXPECT_EQ(PropertyText::toText(2500.0, Kind::Float), QStringLiteral("2500"));
    EXPECT_EQ(PropertyText::toText(QStringLiteral(" a "), Kind::Text), QStringLiteral(" a "));
}

TEST(PropertyText, IntegersThatDoNotParseGiveZero) {
    EXPECT_EQ(applied(QStringLiteral("7"), Kind::Integer), QStringLiteral("7"));
    EXPECT_EQ(applied(QStringLiteral("-1"), Kind::Integer), QStringLiteral("-1"));
    EXPECT_EQ(applied(QStringLiteral("abc"), Kind::Integer), QStringLiteral("0"));
    EXPECT_EQ(applied(QStringLiteral("1.5"), Kind::Integer), QStringLiteral("0"));
    EXPECT_EQ(applied(QString(), Kind::Integer), QStringLiteral("0"));
}

TEST(PropertyText, BooleansMatchTrueAndFalseInAnyCaseOnly) {
    EXPECT_EQ(applied(QStringLiteral("true"), Kind::Boolean), QStringLiteral("true"));
    EXPECT_EQ(applied(QStringLiteral("FALSE"), Kind::Boolean), QStringLiteral("false"));
    EXPECT_EQ(applied(QStringLiteral("yes"), Kind::Boolean), QStringLiteral("<unchanged>"));
    EXPECT_EQ(applied(QStringLiteral("1"), Kind::Boolean), QStringLiteral("<unchanged>"));
}

TEST(PropertyText, FloatsReadWithAPointWhateverTheLocale) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PropertyText::fromText(QStringLiteral("1500.5"), Kind::Float)->toDouble(), 1500.5);
    EXPECT_EQ(PropertyText::fromText(QStringLiteral("1500.5"), Kind::Float, german)->toDouble(),
              1500.5);
    EXPECT_EQ(PropertyText::fromText(QStringLiteral("-2.5E20"), Kind::Float, german)->toDouble(),
              -2.5e20);
    EXPECT_EQ(applied(QStringLiteral("abc"), Kind::Float), QStringLiteral("<unchanged>"));
    EXPECT_EQ(applied(QString(), Kind::Float), QStringLiteral("<unchanged>"));
    // A group separator is no part of a stored number.
    EXPECT_EQ(applied(QStringLiteral("1,500"), Kind::Float), QStringLiteral("<unchanged>"));
}

TEST(PropertyText, TextIsTakenAsItIs) {
    EXPECT_EQ(applied(QStringLiteral("a;b, c"), Kind::Text), QStringLiteral("a;b, c"));
    EXPECT_EQ(applied(QString(), Kind::Text), QString());
}

}  // namespace
