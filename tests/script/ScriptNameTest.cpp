#include "script/ScriptName.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    QString text;
    QString identifier;
    QString table;
};

class ScriptNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ScriptNameTest, QuotesWhatIsNoPlainIdentifier) {
    EXPECT_EQ(ScriptName::Identifier(GetParam().text), GetParam().identifier);
    EXPECT_EQ(ScriptName::Table(GetParam().text), GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptNameTest,
    ::testing::Values(
        NameCase{"Plain", "Cust_No$2", "Cust_No$2", "Cust_No$2"},
        NameCase{"ReservedInAnyCase", "Order", "\"Order\"", "\"Order\""},
        NameCase{"ReservedAmongOthers", "values", "\"values\"", "\"values\""},
        NameCase{"WordContainingAReservedOne", "orders", "orders", "orders"},
        NameCase{"Blank", "my tab", "\"my tab\"", "\"my tab\""},
        NameCase{"QuoteDoubled", "say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
        NameCase{"LeadingDigit", "1st", "\"1st\"", "\"1st\""},
        NameCase{"NotAscii", QString::fromUtf8("Größe"), QString::fromUtf8("\"Größe\""),
                 QString::fromUtf8("\"Größe\"")},
        NameCase{"Semicolon", "a;b", "\"a;b\"", "\"a;b\""},
        // A table's qualified name keeps its parts; a column's dot is part of its name.
        NameCase{"Qualified", "sales.order", "\"sales.order\"", "sales.\"order\""},
        NameCase{"QuotedPartsStay", "\"Sales\".\"My Tab\"", "\"\"\"Sales\"\".\"\"My Tab\"\"\"",
                 "\"Sales\".\"My Tab\""},
        NameCase{"EmptyPart", "a..b", "\"a..b\"", "\"a..b\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
