#include "script/StatementCutter.h"

#include <gtest/gtest.h>

namespace {

struct CutCase {
    const char* name;
    QStringList lines;
    QString divider;
    QStringList statements;
    QList<int> lastLines;
};

class StatementCutting : public ::testing::TestWithParam<CutCase> {};

TEST_P(StatementCutting, CutsAtTerminatorLinesOutsideLiterals) {
    const CutCase& c = GetParam();
    ScriptLineList lines(c.lines);
    StatementCutter cutter(lines, StatementTerminator(c.divider));
    QStringList statements;
    QList<int> lastLines;
    CutStatement cut;
    while (cutter.next(cut)) {
        statements << cut.text;
        lastLines << cut.lastLine;
    }
    EXPECT_EQ(statements, c.statements);
    EXPECT_EQ(lastLines, c.lastLines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatementCutting,
    ::testing::Values(
        CutCase{"TerminatorWithBlanksAround",
                {"  INSERT 1  ", " ; ", "\tINSERT 2"},
                ";",
                {"INSERT 1\r\n", "INSERT 2\r\n"},
                {1, 2}},
        CutCase{"SemicolonsInsideLinesDoNotEnd",
                {"COMMIT;", ";;", "VALUES (1);", ";"},
                ";",
                {"COMMIT;\r\n;;\r\nVALUES (1);\r\n"},
                {3}},
        CutCase{
            "EmptyDividerMakesOneStatement", {"A", ";", " ", "B"}, "", {"A\r\n;\r\nB\r\n"}, {3}},
        CutCase{"BlankLinesAndDoubledTerminators",
                {"", ";", "A", "", QString::fromLatin1("\x01 B \x1f"), ";", ";", "\t", ";"},
                ";",
                {"A\r\nB\r\n"},
                {5}},
        CutCase{"OtherDividerCharacter", {"A", "/", "B", "/"}, "/", {"A\r\n", "B\r\n"}, {1, 3}},
        CutCase{"BlankOnly", {"", "  ", ";", "\t"}, ";", {}, {}},
        // Inside a literal a line keeps its blanks and control characters, an empty line stays,
        // and the break is the script's own line feed.
        CutCase{
            "LiteralLinesStayAsTheyLie",
            {"  VALUES ('abc   ", "   def', 'line1", "", "line3', '",
             QString::fromLatin1("\x01\x02lead  ') "), ";"},
            ";",
            {QString::fromLatin1("VALUES ('abc   \n   def', 'line1\n\nline3', '\n\x01\x02lead  ')"
                                 "\r\n")},
            {5}},
        CutCase{"TerminatorInsideALiteralIsText",
                {"VALUES ('a", ";", "b''", "  ;", "c', \"x", ";", "y\")", ";", "NEXT"},
                ";",
                {"VALUES ('a\n;\nb''\n  ;\nc', \"x\n;\ny\")\r\n", "NEXT\r\n"},
                {7, 8}},
        CutCase{"QuotesInCommentsOpenNothing",
                {"-- it's", "/* don't", "   can't */ VALUES ('--', '/*')  ", ";", "B", ";"},
                ";",
                {"-- it's\r\n/* don't\r\ncan't */ VALUES ('--', '/*')\r\n", "B\r\n"},
                {3, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
    const char* name;
    QString statement;
    QString engineText;
    QStringList parameters;
};

class EngineText : public ::testing::TestWithParam<TextCase> {};

TEST_P(EngineText, ReplacesMacrosAndMarkersOutsideQuotesAndComments) {
    const TextCase& c = GetParam();
    const EngineStatement statement = PrepareEngineStatement(c.statement);
    EXPECT_EQ(statement.text, c.engineText);
    EXPECT_EQ(statement.parameters, c.parameters);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineText,
    ::testing::Values(
        TextCase{"Macro", "SELECT 50% off, %a.b\r\n", "SELECT 500=0 off, 0=0.b\r\n", {}},
        TextCase{"QuotedTimeStaysText",
                 "VALUES ('12:30', \"x:y\", `a:b`)",
                 "VALUES ('12:30', \"x:y\", `a:b`)",
                 {}},
        TextCase{"TimeOutsideQuotesIsAMarker", "VALUES (12:30)", "VALUES (12?)", {"30"}},
        TextCase{"MarkerNamesHoldColonsAndSlashes",
                 "VALUES (:a/b:c, :d)\r\n",
                 "VALUES (?, ?)\r\n",
                 {"a/b:c", "d"}},
        TextCase{"DoubleColonIsOneColon", "SELECT a::b", "SELECT a:b", {}},
        TextCase{
            "CommentsReachTheEngineAsTheyStand",
            "/* at 14:03:09 https://x.example 50% */\r\n-- it's 12:30, 5% off\r\nVALUES (:p)\r\n",
            "/* at 14:03:09 https://x.example 50% */\r\n-- it's 12:30, 5% off\r\nVALUES (?)\r\n",
            {"p"}},
        TextCase{"QuotedValueOverSeveralLines",
                 "VALUES ('first\r\n50% at 12:30')\r\n",
                 "VALUES ('first\r\n50% at 12:30')\r\n",
                 {}},
        TextCase{"CommentMarksInsideQuotesAreText",
                 "VALUES ('--', '/*', 7:x)",
                 "VALUES ('--', '/*', 7?)",
                 {"x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptParameters, OnlyApostrophesAndDoubleQuotesSwitch) {
    const QSet<QString> names =
        ScriptParameterNames({"/* 14:03 */ VALUES (:a, ':b', \"c:d\", `:e`)", "-- :f",
                              "VALUES (:g)", "VALUES (':h", ":i', /* :j", ":k */ :l)"});
    EXPECT_EQ(names, QSet<QString>({"a", "e`", "g", "l"}));
}

}  // namespace
