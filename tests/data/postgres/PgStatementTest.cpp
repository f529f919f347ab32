#include "data/Exceptions.h"
#include "data/postgres/PgStatementText.h"
#include "tests/support/PgTestServer.h"

namespace {

using PgStatement = PgTest;

qint64 count(DriverConnection& conn, const QString& table) {
    return conn.openTable(table, true)->rowCount();
}

TEST_F(PgStatement, ATextOfSeveralStatementsRunsWholeOrNotAtAll) {
    exec(QStringLiteral("CREATE TABLE t (id int PRIMARY KEY)"));
    exec(QStringLiteral("INSERT INTO t VALUES (1);\r\nINSERT INTO t VALUES (2);\r\n"));
    EXPECT_EQ(count(*m_conn, "t"), 2);
    try {
        exec(QStringLiteral("INSERT INTO t VALUES (3);\r\nINSERT INTO t VALUES (1);\r\n"));
        FAIL() << "a duplicate key was accepted";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.code(), QStringLiteral("23505"));
    }
    EXPECT_EQ(count(*m_conn, "t"), 2);
    // Comments only, and statements that return rows, are fine.
    EXPECT_NO_THROW(exec(QStringLiteral("-- nothing but a comment\r\n")));
    EXPECT_NO_THROW(exec(QStringLiteral("SELECT * FROM t")));
}

TEST_F(PgStatement, MarkersFailAfterThePrepareWithTheFirstName) {
    exec(QStringLiteral("CREATE TABLE t (id int, at text)"));
    try {
        m_conn->executeStatement(
            QStringLiteral("-- made at 12?30\r\nINSERT INTO t VALUES (?, '?')\r\n"),
            {QStringLiteral("30"), QStringLiteral("id")});
        FAIL() << "a statement with markers ran";
    } catch (const EDBEngineError& e) {
        FAIL() << "the prepare failed: " << e.message().toStdString();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("No value for parameter '30'"));
    }
    // A statement the server refuses fails with its error, before any parameter is looked at.
    try {
        m_conn->executeStatement(QStringLiteral("INSERT INTO missing VALUES (?)"),
                                 {QStringLiteral("x")});
        FAIL() << "an insert into a missing table was prepared";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.code(), QStringLiteral("42P01"));
    }
    EXPECT_EQ(count(*m_conn, "t"), 0);
}

TEST_F(PgStatement, AFailingStatementInsideATransactionUndoesOnlyItself) {
    exec(QStringLiteral("CREATE TABLE t (id int PRIMARY KEY)"));
    m_conn->beginTransaction(tiReadCommitted);
    EXPECT_TRUE(m_conn->inTransaction());
    exec(QStringLiteral("INSERT INTO t VALUES (1)"));
    EXPECT_THROW(exec(QStringLiteral("INSERT INTO t VALUES (1)")), EDBEngineError);
    EXPECT_THROW(
        m_conn->executeStatement(QStringLiteral("INSERT INTO t VALUES (?)"), {QStringLiteral("p")}),
        EDatabaseError);
    EXPECT_THROW(exec(QStringLiteral("SELEKT")), EDBEngineError);
    EXPECT_TRUE(m_conn->inTransaction());
    exec(QStringLiteral("INSERT INTO t VALUES (2)"));
    m_conn->commitTransaction();
    EXPECT_FALSE(m_conn->inTransaction());
    EXPECT_EQ(count(*connectAgain(), "t"), 2);

    m_conn->beginTransaction(tiReadCommitted);
    exec(QStringLiteral("INSERT INTO t VALUES (3)"));
    m_conn->rollbackTransaction();
    EXPECT_EQ(count(*m_conn, "t"), 2);

    // A script may end the transaction itself.
    m_conn->beginTransaction(tiReadCommitted);
    exec(QStringLiteral("INSERT INTO t VALUES (4);\r\nCOMMIT"));
    EXPECT_FALSE(m_conn->inTransaction());
    EXPECT_EQ(count(*connectAgain(), "t"), 3);
}

TEST_F(PgStatement, TransactionsRunAtTheAskedIsolation) {
    exec(QStringLiteral(
        "CREATE VIEW level AS SELECT current_setting('transaction_isolation') AS l"));
    const auto level = [&] {
        return ReadAll(*m_conn, QStringLiteral("level")).at(0).values[0].toString();
    };
    for (const auto& [isolation, name] : std::vector<std::pair<TTransIsolation, const char*>>{
             {tiDirtyRead, "read uncommitted"},
             {tiReadCommitted, "read committed"},
             {tiRepeatableRead, "repeatable read"}}) {
        m_conn->beginTransaction(isolation);
        EXPECT_EQ(level(), QString::fromLatin1(name));
        m_conn->commitTransaction();
    }
}

TEST_F(PgStatement, CopyFromTheClientIsRefusedAndTheConnectionLives) {
    exec(QStringLiteral("CREATE TABLE t (id int)"));
    EXPECT_THROW(exec(QStringLiteral("COPY t FROM STDIN")), EDBEngineError);
    EXPECT_NO_THROW(exec(QStringLiteral("COPY t TO STDOUT")));
    exec(QStringLiteral("INSERT INTO t VALUES (1)"));
    EXPECT_EQ(count(*m_conn, "t"), 1);
}

// Only texts that are surely one change may go into a script run's pipeline.
TEST(PgStatementTextTest, TellsASingleChangeApart) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"/* at 14:03:09 */\r\nINSERT INTO t VALUES (1, 'a;b')\r\n", true},
        {"update t set a = 1;  -- done\r\n", true},
        {"DELETE FROM t WHERE \"x;\" = E'\\';'", true},
        {"INSERT INTO t VALUES (1);\r\nINSERT INTO t VALUES (2)", false},
        {"COMMIT;\r\n/* records 0 */\r\nINSERT INTO t VALUES (1)", false},
        {"INSERT INTO t VALUES ($$a;b$$)", false},
        {"SELECT 1", false},
        {"/* only a comment */", false},
        {"WITH x AS (SELECT 1) INSERT INTO t SELECT * FROM x", false},
    };
    for (const auto& [text, single] : cases)
        EXPECT_EQ(PgStatementText::isSingleChange(QByteArray(text)), single) << text;
}

}  // namespace
