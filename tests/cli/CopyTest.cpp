#include "tests/cli/CommandLineFixture.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/TableStructure.h"
#include "tests/data/odbc/OdbcTestSupport.h"
#include "tests/support/PgTestServer.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <csignal>

// `rowcart copy`: whole databases between engines, tables made with --create, duplicates
// skipped or updated, and a stopped copy run again to the end.
class CopyTest : public CommandLineTest {
protected:
    const QStringList Tables = {"PARENT", "CHILD", "GRANDCHILD"};

    void SetUp() override {
        CommandLineTest::SetUp();
        m_password = passwordFile();
        // A parent, a child with a key of two columns, a grandchild referencing both; every
        // type, '' beside NULL, fractions of a second.
        m_source = sqliteAlias(QStringLiteral("SRC"));
        m_source->executeStatement(
            QStringLiteral(
                "CREATE TABLE PARENT (ID INTEGER PRIMARY KEY, CODE VARCHAR(10) NOT NULL UNIQUE, "
                "NAME TEXT, AMOUNT NUMERIC(12,4), RATIO REAL, BORN DATE, AT TIME, STAMP DATETIME, "
                "FLAG BOOLEAN, DATA BLOB, NOTE CLOB, SMALL SMALLINT, BIG BIGINT, FIXED CHAR(3));"
                "CREATE TABLE CHILD (PARENT_ID INTEGER NOT NULL REFERENCES PARENT (ID), "
                "SEQ SMALLINT NOT NULL, LABEL VARCHAR(20), PRIMARY KEY (PARENT_ID, SEQ));"
                "CREATE TABLE GRANDCHILD (ID INTEGER PRIMARY KEY, PARENT_ID INTEGER, SEQ "
                "SMALLINT, OWNER INTEGER REFERENCES PARENT (ID), FOREIGN KEY (PARENT_ID, SEQ) "
                "REFERENCES CHILD (PARENT_ID, SEQ));"
                "INSERT INTO PARENT VALUES (1, 'A', 'Ann', 12.5, 0.1, '2024-02-29', "
                "'23:59:59.999999', '2024-02-29 12:34:56.123456', 1, x'00ff10', 'line1\n\nline3', "
                "-32768, -9223372036854775808, 'abc'), (2, 'B', '', NULL, NULL, NULL, NULL, NULL, "
                "0, x'', '', 32767, 9223372036854775807, '   '), (3, 'C', NULL, -99999999.9999, "
                "-1.5e-300, '1000-01-01', '00:00:00.000001', '9999-12-31 23:59:59.999999', NULL, "
                "NULL, NULL, NULL, NULL, NULL);"
                "INSERT INTO CHILD VALUES (1, 1, 'one'), (1, 2, 'two'), (2, 1, NULL);"
                "INSERT INTO GRANDCHILD VALUES (10, 1, 1, 2), (11, 1, 2, NULL), (12, NULL, NULL, "
                "3)"),
            {});
    }

    static std::unique_ptr<DriverConnection> connectTo(const QMap<QString, QString>& keys) {
        ConnectRequest request;
        request.aliasName = QStringLiteral("check");
        request.params = keys;
        return OpenDriverConnection(request);
    }

    std::unique_ptr<DriverConnection> sqliteAlias(const QString& alias) {
        const QString path =
            QFileInfo(aliasFile()).dir().filePath(alias.toLower() + QStringLiteral(".db"));
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_close(db);
        const QMap<QString, QString> keys{{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                                          {QStringLiteral("PATH"), path}};
        addAlias(alias, keys);
        return connectTo(keys);
    }

    std::unique_ptr<DriverConnection> pgAlias(const QString& alias) {
        const QMap<QString, QString> keys = PgTestServer::createDatabase(alias.toLower());
        addAlias(alias, keys);
        return PgTestServer::open(keys);
    }

    Outcome copy(const QString& from, const QString& to, const QStringList& options) {
        return rowcart(QStringList{QStringLiteral("copy"), from, to, QStringLiteral("--quiet"),
                                   QStringLiteral("--password-file"), m_password} +
                       options);
    }

    // Each value of each table as the source holds it; decimals by number, since a declared
    // scale may pad them, and MariaDB's booleans are the numbers 1 and 0.
    void expectSameRows(const QString& from, const QString& to) {
        for (const QString& table : Tables) {
            const QStringList expected = tableRows(from, table);
            const QStringList got = tableRows(to, table);
            ASSERT_EQ(got.size(), expected.size()) << table.toStdString();
            for (int r = 0; r < got.size(); ++r) {
                const QStringList a = expected[r].split(QLatin1Char('|'));
                const QStringList b = got[r].split(QLatin1Char('|'));
                ASSERT_EQ(a.size(), b.size());
                for (int c = 0; c < a.size(); ++c) {
                    const bool boolean =
                        (a[c] == QLatin1String("True") && b[c] == QLatin1String("1")) ||
                        (a[c] == QLatin1String("False") && b[c] == QLatin1String("0"));
                    EXPECT_TRUE(a[c] == b[c] || boolean || Decimal::SameNumber(a[c], b[c]))
                        << table.toStdString() << " row " << r << ": " << a[c].toStdString()
                        << " became " << b[c].toStdString() << " in " << to.toStdString();
                }
            }
        }
    }

    // The key, the unique index and the foreign keys of one and two columns came along.
    static void expectKeys(DriverConnection& target) {
        const TableStructure parent = target.describeTable(QStringLiteral("PARENT"));
        EXPECT_EQ(parent.primaryKey, QStringList({"ID"}));
        ASSERT_EQ(parent.uniqueIndexes.size(), 1);
        EXPECT_EQ(parent.uniqueIndexes[0].columns, QStringList({"CODE"}));
        EXPECT_TRUE(parent.columns[1].notNull);
        const TableStructure child = target.describeTable(QStringLiteral("CHILD"));
        EXPECT_EQ(child.primaryKey, QStringList({"PARENT_ID", "SEQ"}));
        ASSERT_EQ(child.foreignKeys.size(), 1);
        EXPECT_EQ(child.foreignKeys[0].table, QStringLiteral("PARENT"));
        const TableStructure grandchild = target.describeTable(QStringLiteral("GRANDCHILD"));
        ASSERT_EQ(grandchild.foreignKeys.size(), 2);
    }

    std::unique_ptr<DriverConnection> m_source;
    QString m_password;
};

TEST_F(CopyTest, CreatesTablesWithKeysAndCarriesEveryValueBetweenEngines) {
    auto sqlite = sqliteAlias(QStringLiteral("LITE"));
    Outcome result = copy(QStringLiteral("SRC"), QStringLiteral("LITE"), {"--create"});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    expectSameRows(QStringLiteral("SRC"), QStringLiteral("LITE"));
    expectKeys(*sqlite);

    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    auto pg = pgAlias(QStringLiteral("PG"));
    result = copy(QStringLiteral("SRC"), QStringLiteral("PG"), {"--create"});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    expectSameRows(QStringLiteral("SRC"), QStringLiteral("PG"));
    expectKeys(*pg);

    const QString noMariadb = OdbcTestSupport::mariadbUnavailable();
    if (!noMariadb.isEmpty())
        GTEST_SKIP() << noMariadb.toStdString();
    const QMap<QString, QString> keys = OdbcTestSupport::mariadbKeys(QStringLiteral("copy"));
    addAlias(QStringLiteral("MARIA"), keys);
    result = copy(QStringLiteral("PG"), QStringLiteral("MARIA"), {"--create"});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    expectSameRows(QStringLiteral("SRC"), QStringLiteral("MARIA"));
    expectKeys(*connectTo(keys));
}

TEST_F(CopyTest, ASecondRunSkipsWhatIsThereAndUpdateTakesAChangedRow) {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    auto pg = pgAlias(QStringLiteral("PG"));
    ASSERT_EQ(copy(QStringLiteral("SRC"), QStringLiteral("PG"), {"--create"}).code, 0);
    Outcome again = copy(QStringLiteral("SRC"), QStringLiteral("PG"), {"--create"});
    EXPECT_EQ(again.code, 3) << "a duplicate key fails by default";

    m_source->executeStatement(QStringLiteral("UPDATE PARENT SET NAME = 'Anne' WHERE ID = 1; "
                                              "INSERT INTO CHILD VALUES (3, 1, 'new')"),
                               {});
    again = rowcart({QStringLiteral("copy"), QStringLiteral("SRC"), QStringLiteral("PG"),
                     QStringLiteral("--on-duplicate"), QStringLiteral("skip"),
                     QStringLiteral("--typed"), QStringLiteral("--password-file"), m_password});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains(QLatin1String("1 rows moved, 0 skipped, 9 already there")))
        << again.err.toStdString();
    EXPECT_TRUE(tableRows(QStringLiteral("PG"), QStringLiteral("PARENT"))[0].contains(
        QLatin1String("|Ann|")));

    again = copy(QStringLiteral("SRC"), QStringLiteral("PG"),
                 {"--tables", "PARENT", "--typed", "--on-duplicate", "update"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    expectSameRows(QStringLiteral("SRC"), QStringLiteral("PG"));

    // A table without a key cannot say which row is the same.
    pg->executeStatement(QStringLiteral("CREATE TABLE \"LOOSE\" (\"V\" integer)"), {});
    m_source->executeStatement(QStringLiteral("CREATE TABLE LOOSE (V INTEGER)"), {});
    again = copy(QStringLiteral("SRC"), QStringLiteral("PG"),
                 {"--tables", "LOOSE", "--on-duplicate", "skip"});
    EXPECT_EQ(again.code, 3);
    EXPECT_TRUE(again.err.contains(QLatin1String("LOOSE"))) << again.err.toStdString();
}

TEST_F(CopyTest, ACopyKilledHalfWayEndsWithEachSourceRowOnceWhenRunAgain) {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    m_source->executeStatement(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < 100000) INSERT INTO PARENT (ID, CODE, NAME) SELECT i, 'c' || i, "
                       "'row ' || i FROM n"),
        {});
    auto pg = pgAlias(QStringLiteral("PG"));
    QProcess process;
    start(process, {QStringLiteral("copy"), QStringLiteral("SRC"), QStringLiteral("PG"),
                    QStringLiteral("--create"), QStringLiteral("--commit-every"),
                    QStringLiteral("2000"), QStringLiteral("--password-file"), m_password});
    // Killed once some batches are committed, well before the end.
    qint64 there = 0;
    for (int i = 0; i < 600 && there < 10000; ++i) {
        QTest::qWait(50);
        try {
            there = lastId(QStringLiteral("PG"), QStringLiteral("PARENT"));
        } catch (const Exception&) {
            there = 0;  // not created yet
        }
    }
    ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished();
    ASSERT_GT(there, 0);
    ASSERT_LT(lastId(QStringLiteral("PG"), QStringLiteral("PARENT")), 100000);

    const Outcome resumed = copy(QStringLiteral("SRC"), QStringLiteral("PG"),
                                 {"--create", "--commit-every", "2000", "--on-duplicate", "skip"});
    ASSERT_EQ(resumed.code, 0) << resumed.err.toStdString();
    expectSameRows(QStringLiteral("SRC"), QStringLiteral("PG"));
    // The indexes and keys the first run did not reach.
    expectKeys(*pg);
}

TEST_F(CopyTest, ATypeTheTargetCannotHoldStopsTheCopyBeforeAnyRow) {
    const QString noMariadb = OdbcTestSupport::mariadbUnavailable();
    if (!noMariadb.isEmpty())
        GTEST_SKIP() << noMariadb.toStdString();
    m_source->executeStatement(
        QStringLiteral("CREATE TABLE WIDE (ID INTEGER PRIMARY KEY, "
                       "TOTAL NUMERIC(80,2)); INSERT INTO WIDE VALUES (1, 2)"),
        {});
    const QMap<QString, QString> keys = OdbcTestSupport::mariadbKeys(QStringLiteral("wide"));
    addAlias(QStringLiteral("MARIA"), keys);
    const Outcome result = copy(QStringLiteral("SRC"), QStringLiteral("MARIA"), {"--create"});
    EXPECT_EQ(result.code, 3);
    EXPECT_TRUE(result.err.contains(QLatin1String("Table WIDE, column TOTAL: NUMERIC(80,2)")))
        << result.err.toStdString();
    EXPECT_TRUE(connectTo(keys)->tableNames(false).isEmpty()) << "no table made, no row moved";
}

TEST_F(CopyTest, TablesReferencingEachOtherInACircleAreCopiedOnlyIntoNewTables) {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    m_source->executeStatement(
        QStringLiteral("CREATE TABLE HEN (ID INTEGER PRIMARY KEY, EGG INTEGER REFERENCES EGG);"
                       "CREATE TABLE EGG (ID INTEGER PRIMARY KEY, HEN INTEGER REFERENCES HEN);"
                       "INSERT INTO HEN VALUES (1, 2); INSERT INTO EGG VALUES (2, 1)"),
        {});
    const QStringList both = {"--tables", "HEN,EGG"};
    auto made = pgAlias(QStringLiteral("MADE"));
    made->executeStatement(
        QStringLiteral("CREATE TABLE \"HEN\" (\"ID\" bigint PRIMARY KEY, \"EGG\" bigint);"
                       "CREATE TABLE \"EGG\" (\"ID\" bigint PRIMARY KEY, \"HEN\" bigint "
                       "REFERENCES \"HEN\");"
                       "ALTER TABLE \"HEN\" ADD FOREIGN KEY (\"EGG\") REFERENCES \"EGG\""),
        {});
    Outcome result =
        copy(QStringLiteral("SRC"), QStringLiteral("MADE"), both + QStringList{"--typed"});
    EXPECT_EQ(result.code, 3);
    EXPECT_TRUE(result.err.contains(QLatin1String("reference each other in a circle")))
        << result.err.toStdString();
    EXPECT_TRUE(tableRows(QStringLiteral("MADE"), QStringLiteral("HEN")).isEmpty());

    auto fresh = pgAlias(QStringLiteral("FRESH"));
    result = rowcart(QStringList{QStringLiteral("copy"), QStringLiteral("SRC"),
                                 QStringLiteral("FRESH"), QStringLiteral("--create"),
                                 QStringLiteral("--password-file"), m_password} +
                     both);
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QLatin1String("HEN -> EGG -> HEN")) ||
                result.err.contains(QLatin1String("EGG -> HEN -> EGG")))
        << result.err.toStdString();
    EXPECT_EQ(fresh->describeTable(QStringLiteral("HEN")).foreignKeys.size(), 1);
    EXPECT_EQ(fresh->describeTable(QStringLiteral("EGG")).foreignKeys.size(), 1);
    EXPECT_EQ(tableRows(QStringLiteral("FRESH"), QStringLiteral("EGG")), QStringList({"2|1"}));
}
