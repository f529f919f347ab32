#include "data/Exceptions.h"
#include "script/ScriptExecution.h"
#include "script/ScriptFileLines.h"
#include "tests/script/ScriptTarget.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QString Items = QStringLiteral("ITEMS");

QStringList inserts(const QList<int>& ids) {
    QStringList lines;
    for (int id : ids)
        lines << QStringLiteral("INSERT INTO ITEMS (ID) VALUES (%1)").arg(id)
              << QStringLiteral(";");
    return lines;
}

// The failure a run raises, with its type.
template <typename Error, typename Script = QStringList>
Error failureOf(const Script& script, TDatabase& db, const QString& divider = ";") {
    try {
        RunScript(script, divider, db);
    } catch (const Error& e) {
        return e;
    }
    throw std::runtime_error("the run did not fail as expected");
}

class ScriptExecution : public ScriptDriverTest {
protected:
    void SetUp() override {
        ScriptDriverTest::SetUp();
        if (IsSkipped())
            return;
        db().Connect();
        db().ExecuteStatement(
            QStringLiteral("CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, AT VARCHAR(20))"));
        db().Disconnect();
    }
    QStringList committed() { return target().committedColumn(Items, 0); }
};

TEST_P(ScriptExecution, EmptyAndBlankScriptsFailAfterConnecting) {
    EXPECT_EQ(failureOf<EDatabaseError>({}, db()).message(),
              QStringLiteral("No SQL statement available"));
    EXPECT_FALSE(db().Connected());
    EXPECT_EQ(failureOf<Exception>({"", "  ", ";", "\t", ";"}, db()).message(),
              QStringLiteral("List index out of bounds (-1)"));
    EXPECT_TRUE(db().Connected());
    EXPECT_FALSE(db().TransactionActive());
}

TEST_P(ScriptExecution, MarkerWithoutValueRollsBackWithTheLineNote) {
    const QStringList lines = {"INSERT INTO ITEMS VALUES (1, '12:30')",
                               ";",
                               "",
                               "INSERT INTO ITEMS",
                               "VALUES (2, :at)",
                               ";"};
    const EDatabaseError e = failureOf<EDatabaseError>(lines, db());
    EXPECT_EQ(e.message(), QStringLiteral("No value for parameter 'at'. Error on line 5\n\r"
                                          "Statement 2: INSERT INTO ITEMS"));
    EXPECT_TRUE(committed().isEmpty());
    EXPECT_FALSE(db().TransactionActive());
}

TEST_P(ScriptExecution, FirstFailureRollsBackTheOwnTransactionAndNamesTheStatement) {
    // Far enough in for a driver that sends statements ahead of their answers.
    QList<int> ids;
    for (int id = 1; id <= 600; ++id)
        ids << (id == 401 ? 7 : id);
    EDBEngineError e = failureOf<EDBEngineError>(inserts(ids), db());
    EXPECT_TRUE(e.message().endsWith(
        QStringLiteral("\n\rStatement 401: INSERT INTO ITEMS (ID) VALUES (7)")))
        << e.message().toStdString();
    EXPECT_TRUE(e.notes().contains(QStringLiteral("Error on line 801")));
    EXPECT_TRUE(committed().isEmpty());
    EXPECT_FALSE(db().TransactionActive());

    EXPECT_EQ(RunScript(inserts({1, 2}), QStringLiteral(";"), db()), 2);
    EXPECT_EQ(committed(), QStringList({"1", "2"}));
}

TEST_P(ScriptExecution, AnActiveTransactionKeepsStatementsBeforeAFailureAndStaysOpen) {
    db().Connect();
    db().BeginTransaction();
    EXPECT_EQ(RunScript(inserts({1}), QStringLiteral(";"), db()), 1);
    EXPECT_TRUE(db().TransactionActive());
    EXPECT_TRUE(committed().isEmpty());
    EXPECT_THROW(RunScript(inserts({2, 1, 3}), QStringLiteral(";"), db()), EDBEngineError);
    ASSERT_TRUE(db().TransactionActive());
    db().CommitTransaction();
    EXPECT_EQ(committed(), QStringList({"1", "2"}));
}

TEST_P(ScriptExecution, ACommitOfTheScriptEndsTheRunsTransactionAndANewOneStarts) {
    const QStringList lines = {"INSERT INTO ITEMS (ID) VALUES (1)",
                               ";",
                               "COMMIT;",
                               "/*********** records 0  14:03:09*****/",
                               "INSERT INTO ITEMS (ID) VALUES (2)",
                               ";",
                               "INSERT INTO ITEMS (ID) VALUES (3);",
                               "INSERT INTO ITEMS (ID) VALUES (4)",
                               ";",
                               "INSERT INTO ITEMS (ID) VALUES (2)",
                               ";"};
    EXPECT_THROW(RunScript(lines, QStringLiteral(";"), db()), EDBEngineError);
    EXPECT_EQ(committed(), QStringList({"1", "2"}));
    EXPECT_FALSE(db().TransactionActive());

    EXPECT_EQ(RunScript(lines.mid(6, 3) + QStringList{"ROLLBACK", ";"} + inserts({5}),
                        QStringLiteral(";"), db()),
              3);
    EXPECT_EQ(committed(), QStringList({"1", "2", "5"}));
    EXPECT_FALSE(db().TransactionActive());
}

TEST_P(ScriptExecution, AScriptInTheGeneratedLayoutRuns) {
    const QStringList lines = {
        "/* Script created in Rowcart https://rowcart.example at 08.12.2026 14:03:09       */",
        "/* Connected to \"DEMO\", from table \"items\", Ansi SQL 50%                      */",
        "",
        "INSERT INTO ITEMS (ID, AT)",
        "VALUES (1, '12:30')",
        ";",
        "",
        "",
        "COMMIT;",
        "/*********** records 0  14:03:09************************************/",
        "",
        "INSERT INTO ITEMS (ID, AT)",
        "VALUES (2, 'it''s 50%')",
        ";",
        "",
        "",
        "COMMIT;",
        "/*********** OK, finished 08.12.2026 14:03:10*********************/"};
    EXPECT_EQ(RunScript(lines, QStringLiteral(";"), db()), 3);
    EXPECT_EQ(committed(), QStringList({"1", "2"}));
    EXPECT_EQ(target().committedColumn(Items, 1), QStringList({"12:30", "it's 50%"}));
}

// A literal's blanks, empty lines, control characters and terminator lines are its own.
TEST_P(ScriptExecution, LiteralLinesArriveAsTheScriptHoldsThem) {
    const QStringList lines = {"INSERT INTO ITEMS (ID, AT) VALUES (1, 'abc   ",
                               "   def')",
                               ";",
                               "  INSERT INTO ITEMS (ID, AT)  ",
                               "",
                               "VALUES (2, 'line1",
                               "",
                               "line3')",
                               ";",
                               "INSERT INTO ITEMS (ID, AT) VALUES (3, '",
                               ";",
                               QString::fromLatin1("\x01\x02x  ')"),
                               ";"};
    EXPECT_EQ(RunScript(lines, QStringLiteral(";"), db()), 3);
    EXPECT_EQ(
        target().committedColumn(Items, 1),
        QStringList({"abc   \n   def", "line1\n\nline3", QString::fromLatin1("\n;\n\x01\x02x  ")}));
}

// Read as a stream: every kind of line end, a literal over two lines, and a failure's message
// quoting the failing statement's first line, read again from the file.
TEST_P(ScriptExecution, AScriptFileRunsLineByLine) {
    QTemporaryDir dir;
    const auto file = [&dir](const QByteArray& text) {
        const QString path = dir.filePath(QStringLiteral("script.sql"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
        return path;
    };
    EXPECT_EQ(RunScript(ScriptFileSource(file("INSERT INTO ITEMS (ID, AT) VALUES (1, 'a\r\nb')\r\n"
                                              ";\rINSERT INTO ITEMS (ID) VALUES (2)\n;")),
                        QStringLiteral(";"), db()),
              2);
    EXPECT_EQ(target().committedColumn(Items, 1), QStringList({"a\nb", ""}));

    const Exception e = failureOf<Exception>(
        ScriptFileSource(file("INSERT INTO ITEMS (ID) VALUES (3)\n;\n\n  INSERT INTO ITEMS\r\n"
                              "(ID) VALUES (1)\r\n;\r\n")),
        db());
    EXPECT_TRUE(e.message().endsWith(QStringLiteral("\n\rStatement 2: INSERT INTO ITEMS")))
        << e.message().toStdString();
    EXPECT_EQ(committed(), QStringList({"1", "2"}));
}

INSTANTIATE_TEST_SUITE_P(Drivers, ScriptExecution,
                         ::testing::Values(QStringLiteral("SQLite"), QStringLiteral("PostgreSQL")),
                         [](const auto& info) { return info.param.toStdString(); });

// Decided before the statement reaches the engine, so one driver shows it.
TEST(ScriptParameterList, AMarkerTheScriptListLacksIsNotFound) {
    ScriptTarget target(QStringLiteral("SQLite"));
    target.db().Connect();
    target.db().ExecuteStatement(QStringLiteral("CREATE TABLE ITEMS (ID INTEGER, AT TEXT)"));
    // The back quotes hide the apostrophe from the statement but not from the whole script,
    // where the marker then stands inside quotes.
    const QStringList lines = {"INSERT INTO ITEMS (ID, AT) SELECT 1, 'a' AS `'`", ";",
                               "INSERT INTO ITEMS VALUES (2, :at)", ";"};
    const EDatabaseError e = failureOf<EDatabaseError>(lines, target.db());
    EXPECT_EQ(e.message(), QStringLiteral("Parameter 'at' not found. Error on line 3\n\r"
                                          "Statement 2: INSERT INTO ITEMS VALUES (2, :at)"));
    EXPECT_TRUE(target.committedColumn(QStringLiteral("ITEMS"), 0).isEmpty());
}

}  // namespace
