#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "data/Decimal.h"
#include "data/DemoDatabases.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "script/uSQL.h"
#include "tests/script/ScriptTestSupport.h"
#include "tests/support/PgTestServer.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>

namespace {

const QString ExecuteQuestion = QStringLiteral("Execute this script to database \"To\" ?");

class ScriptExecuteWindow : public ScriptWindowFixture {
protected:
    // Connects the target side to `alias` and opens `table` there.
    void openTarget(const QString& alias, const QString& table) {
        const MainLayout& c = window().controls();
        c.eToAlias->setEditText(alias);
        window().dbTo().LoginPrompt = false;
        window().actionList().aToConnect->trigger();
        c.eToTable->setEditText(table);
        window().actionList().aToReopen->trigger();
    }
    void setScript(const QString& text) {
        sql().ClearScript();
        sql().AddText(text);
    }
    qint64 storedRows(const QString& table) { return m_db->open(table)->RecordCount(); }
};

TEST_F(ScriptExecuteWindow, NoOrCancelAtTheCloseQuestionRunsNothing) {
    m_db->exec(QStringLiteral("CREATE TABLE T2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"));
    openTarget(QStringLiteral("SRC"), QStringLiteral("T2"));
    ASSERT_TRUE(window().tTo().Active());
    window().tTo().StartInsert();
    window().tTo().FieldAt(0)->WriteNumber(1);
    window().tTo().PostRecord();
    setScript(QStringLiteral("INSERT INTO T2 VALUES (9, 'nine')\n;\n"));

    prompts().answerMessage(UserPrompts::No);
    sql().aExeScript->trigger();
    prompts().answerMessage(UserPrompts::Yes);
    prompts().answerMessage(UserPrompts::Cancel);
    sql().aExeScript->trigger();

    ASSERT_EQ(prompts().messages().size(), 3);
    EXPECT_EQ(prompts().messages()[0].text, ExecuteQuestion);
    EXPECT_EQ(prompts().messages()[0].caption, QStringLiteral("Execute ?"));
    EXPECT_EQ(prompts().messages()[0].icon, UserPrompts::Icon::Question);
    EXPECT_EQ(prompts().messages()[2].caption, QStringLiteral("Commit update?"));
    EXPECT_TRUE(window().tTo().Active());
    EXPECT_TRUE(window().tTo().HasPendingUpdates());
    EXPECT_EQ(storedRows(QStringLiteral("T2")), 0);
}

TEST_F(ScriptExecuteWindow, AFailedRunLeavesTheTargetClosedAndSaysWhichStatement) {
    m_db->exec(QStringLiteral("CREATE TABLE T2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"));
    openTarget(QStringLiteral("SRC"), QStringLiteral("T2"));
    setScript(QStringLiteral(
        "INSERT INTO T2 VALUES (1, 'one')\n;\nINSERT INTO T2 VALUES (1, 'again')\n;\n"));
    prompts().answerMessage(UserPrompts::Yes);
    sql().aExeScript->trigger();

    ASSERT_EQ(prompts().messages().size(), 2);
    EXPECT_TRUE(prompts().messages()[1].text.contains(
        QStringLiteral("Statement 2: INSERT INTO T2 VALUES (1, 'again')")))
        << prompts().messages()[1].text.toStdString();
    EXPECT_FALSE(window().tTo().Active());
    EXPECT_EQ(storedRows(QStringLiteral("T2")), 0);
}

// The demo database's ORDERS table: a column of every kind the Ansi dialect writes out.
const char* const OrdersColumns =
    "(ORDER_ID INTEGER PRIMARY KEY, CUST_ID INTEGER NOT NULL, ORDER_DATE %1, SHIP_TIME TIME, "
    "AMOUNT NUMERIC(12,2), WEIGHT %2, PRIORITY SMALLINT, TRACKING BIGINT, STATUS CHAR(10), "
    "COMMENT TEXT)";

struct RoundTrip {
    const char* driver;
    bool commitMarkers;
};

class ScriptRoundTrip : public ScriptExecuteWindow,
                        public ::testing::WithParamInterface<RoundTrip> {
protected:
    void SetUp() override {
        const bool postgres = QLatin1String(GetParam().driver) == QLatin1String("PostgreSQL");
        if (postgres && !PgTestServer::available())
            GTEST_SKIP() << "no PostgreSQL server (ROWCART_PG_PORT is not set)";
        ScriptExecuteWindow::SetUp();
        const QString demo = m_db->folder() + QStringLiteral("/demo.db");
        ASSERT_TRUE(DemoDatabases::create(demo, true));
        m_db->exec(QStringLiteral("ATTACH '%1' AS demo").arg(demo));
        m_db->exec(QStringLiteral("CREATE TABLE ORDERS ") +
                   QString::fromLatin1(OrdersColumns)
                       .arg(QStringLiteral("DATETIME"), QStringLiteral("DOUBLE")));
        m_db->exec(QStringLiteral("INSERT INTO ORDERS SELECT * FROM demo.ORDERS"));
        m_db->exec(QStringLiteral("DETACH demo"));
        if (!postgres) {
            m_db->exec(QStringLiteral("CREATE TABLE ORDERS2 ") +
                       QString::fromLatin1(OrdersColumns)
                           .arg(QStringLiteral("DATETIME"), QStringLiteral("DOUBLE")));
            m_targetAlias = QStringLiteral("SRC");
            m_targetTable = QStringLiteral("ORDERS2");
            return;
        }
        static int serial = 0;
        const QString schema = QStringLiteral("roundtrip_%1").arg(++serial);
        QMap<QString, QString> keys = PgTestServer::aliasKeys(PgTestServer::sharedDatabase());
        PgTestServer::open(keys)->executeStatement(
            QStringLiteral(
                "DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1; CREATE TABLE %1.ORDERS2 ")
                    .arg(schema) +
                QString::fromLatin1(OrdersColumns)
                    .arg(QStringLiteral("TIMESTAMP"), QStringLiteral("DOUBLE PRECISION")),
            {});
        // The script writes dates day first.
        keys.insert(QStringLiteral("OPTIONS"), QStringLiteral("-c search_path=") + schema +
                                                   QStringLiteral(" -c datestyle=ISO,DMY"));
        QFile aliases(qEnvironmentVariable("ROWCART_ALIASES"));
        ASSERT_TRUE(aliases.open(QIODevice::Append | QIODevice::Text));
        QString section = QStringLiteral("\n[PGT]\n");
        for (auto it = keys.begin(); it != keys.end(); ++it)
            section += it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n');
        aliases.write(section.toUtf8());
        aliases.close();
        TSession::ReloadAliases();
        m_targetAlias = QStringLiteral("PGT");
        // Unquoted names are folded to lower case by the server.
        m_targetTable = QStringLiteral("orders2");
    }

    QString m_targetAlias;
    QString m_targetTable;
};

TEST_P(ScriptRoundTrip, AGeneratedScriptExecutesAndTheRowsArrive) {
    openSource(QStringLiteral("ORDERS"), m_targetTable);
    setDialect(0);
    setAutoCommit(GetParam().commitMarkers, 25);
    generate();
    openTarget(m_targetAlias, m_targetTable);
    ASSERT_TRUE(window().tTo().Active());
    prompts().answerMessage(UserPrompts::Yes);
    sql().aExeScript->trigger();
    ASSERT_EQ(prompts().messages().size(), 1) << prompts().messages().last().text.toStdString();

    TTable& source = window().tFrom();
    TTable& target = window().tTo();
    ASSERT_TRUE(target.Active());
    ASSERT_EQ(target.RecordCount(), source.RecordCount());
    ASSERT_EQ(target.NumberOfFields(), source.NumberOfFields());
    target.MoveFirst();
    int rows = 0;
    for (source.MoveFirst(); !source.AtEnd(); source.MoveNext(), target.MoveNext(), ++rows) {
        for (int f = 0; f < source.NumberOfFields(); ++f) {
            QString arrived = target.FieldAt(f)->ReadText();
            // A server pads fixed-length text to its length.
            if (target.FieldAt(f)->FieldType() == ftFixedChar)
                arrived.remove(QRegularExpression(QStringLiteral(" +$")));
            // A decimal column keeps the places it declares: "1457.10" for 1457.1.
            if (KindOf(target.FieldAt(f)->FieldType()) == FieldKind::Bcd)
                arrived = Decimal::WithoutTrailingZeros(target.FieldAt(f)->Value().toString());
            EXPECT_EQ(arrived, source.FieldAt(f)->ReadText())
                << "row " << rows << ", " << source.FieldAt(f)->FieldName().toStdString();
        }
    }
    EXPECT_GT(rows, 100);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ScriptRoundTrip,
                         ::testing::Values(RoundTrip{"SQLite", true}, RoundTrip{"SQLite", false},
                                           RoundTrip{"PostgreSQL", true},
                                           RoundTrip{"PostgreSQL", false}),
                         [](const auto& info) {
                             return std::string(info.param.driver) +
                                    (info.param.commitMarkers ? "WithCommitMarkers" : "");
                         });

}  // namespace
