#include "data/Exceptions.h"
#include "tests/data/postgres/PgPrivateCluster.h"
#include "tests/support/PgTestServer.h"

#include <thread>

namespace {

// Tests that stop, restart or cut off the server, on a cluster of their own.
class PgFault : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!PgTestServer::available())
            return;
        s_cluster = std::make_unique<PgPrivateCluster>();
        if (!s_cluster->create(s_reason))
            s_cluster.reset();
    }
    static void TearDownTestSuite() { s_cluster.reset(); }

    void SetUp() override {
        if (!PgTestServer::available())
            GTEST_SKIP() << "no PostgreSQL server (ROWCART_PG_PORT is not set)";
        if (!s_cluster)
            GTEST_SKIP() << s_reason.toStdString();
        static int count = 0;
        const QString database = QStringLiteral("fault_%1").arg(++count);
        connect(QStringLiteral("postgres"))
            ->executeStatement(QStringLiteral("CREATE DATABASE ") + database, {});
        m_database = database;
    }

    std::unique_ptr<DriverConnection> connect(
        const QString& database = QString(), const QString& password = PgPrivateCluster::Password) {
        ConnectRequest request;
        request.params = s_cluster->aliasKeys(database.isEmpty() ? m_database : database);
        request.userName = PgPrivateCluster::User;
        request.password = password;
        return OpenDriverConnection(request);
    }

    // Blocks (on the server) until some session sleeps in pg_sleep, for at most 30 seconds.
    void waitForSleeper(DriverConnection& conn) {
        conn.executeStatement(
            QStringLiteral(
                "DO $$ BEGIN FOR i IN 1..1500 LOOP"
                " PERFORM pg_stat_clear_snapshot();"
                " EXIT WHEN EXISTS (SELECT 1 FROM pg_stat_activity WHERE wait_event = 'PgSleep');"
                " PERFORM pg_sleep(0.02); END LOOP; END $$"),
            {});
    }

    static std::unique_ptr<PgPrivateCluster> s_cluster;
    static QString s_reason;
    QString m_database;
};

std::unique_ptr<PgPrivateCluster> PgFault::s_cluster;
QString PgFault::s_reason;

qint64 count(DriverConnection& conn, const QString& table) {
    return conn.openTable(table, true)->rowCount();
}

TEST_F(PgFault, AWrongPasswordIsRefusedWithTheServersMessage) {
    try {
        connect(QString(), QStringLiteral("wrong-guess-17"));
        FAIL() << "a wrong password was accepted";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(
            QLatin1String("password authentication failed for user \"rowcart\"")))
            << e.message().toStdString();
        EXPECT_FALSE(e.message().contains(QLatin1String("wrong-guess-17")));
        EXPECT_FALSE(e.connectionUsable());
    }
    EXPECT_THROW(connect(QString(), QString()), EDBEngineError);
    EXPECT_NO_THROW(connect());
}

enum class Phase { Copy, Pipeline, Commit };

class PgFaultMidCommit : public PgFault, public ::testing::WithParamInterface<Phase> {};

// The server stops while a commit of 2000 changes is under way: inside the COPY of the inserts,
// among the pipelined updates, or in the commit itself (a deferred trigger). Nothing may be
// written, and once the server is back the same changes commit, each row once.
TEST_P(PgFaultMidCommit, ServerStoppedWritesNothingAndARetryWritesEachRowOnce) {
    const Phase phase = GetParam();
    auto setup = connect();
    setup->executeStatement(
        QStringLiteral(
            "CREATE TABLE items (id int PRIMARY KEY, v text);"
            "CREATE TABLE gate (closed boolean);"
            "INSERT INTO gate VALUES (true);"
            "CREATE FUNCTION hold() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
            " IF NEW.id = 500 AND EXISTS (SELECT 1 FROM gate) THEN PERFORM pg_sleep(60); END IF;"
            " RETURN NEW; END $$"),
        {});
    std::vector<PendingChange> changes;
    if (phase == Phase::Pipeline) {
        setup->executeStatement(
            QStringLiteral("INSERT INTO items SELECT g, 'old' FROM generate_series(1, 2000) g;"
                           "CREATE TRIGGER hold BEFORE UPDATE ON items FOR EACH ROW "
                           "EXECUTE FUNCTION hold()"),
            {});
        for (const FetchedRow& row : ReadAll(*setup, QStringLiteral("items"))) {
            Row values = row.values;
            values[1] = QVariant(QStringLiteral("new"));
            changes.push_back(ModifyOf(row, values));
        }
    } else {
        setup->executeStatement(
            phase == Phase::Copy
                ? QStringLiteral("CREATE TRIGGER hold BEFORE INSERT ON items FOR EACH ROW "
                                 "EXECUTE FUNCTION hold()")
                : QStringLiteral("CREATE CONSTRAINT TRIGGER hold AFTER INSERT ON items "
                                 "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW "
                                 "EXECUTE FUNCTION hold()"),
            {});
        for (int id = 1; id <= 2000; ++id)
            changes.push_back(InsertOf({QVariant(qlonglong(id)), QVariant(QStringLiteral("new"))}));
    }
    setup.reset();

    auto conn = connect();
    auto cursor = conn->openTable(QStringLiteral("items"), false);
    auto watcher = connect();
    bool stopped = false;
    std::thread stopper([&] {
        try {
            waitForSleeper(*watcher);
        } catch (const std::exception&) {
        }
        stopped = s_cluster->stop(QStringLiteral("fast"));
    });
    try {
        cursor->applyChanges(Pointers(changes), upWhereChanged);
        ADD_FAILURE() << "the commit succeeded without a server";
    } catch (const EDBEngineError& e) {
        EXPECT_FALSE(e.connectionUsable());
        EXPECT_TRUE(e.message().startsWith(QLatin1String("The connection to the server was lost")))
            << e.message().toStdString();
    }
    stopper.join();
    ASSERT_TRUE(stopped);
    EXPECT_THROW(cursor->rowCount(), EDBEngineError);
    watcher.reset();
    conn.reset();

    ASSERT_TRUE(s_cluster->start());
    auto again = connect();
    const std::vector<FetchedRow> before = ReadAll(*again, QStringLiteral("items"));
    EXPECT_EQ(before.size(), phase == Phase::Pipeline ? 2000u : 0u);
    for (const FetchedRow& row : before)
        ASSERT_EQ(row.values[1], QVariant(QStringLiteral("old")));

    again->executeStatement(QStringLiteral("DELETE FROM gate"), {});
    again->openTable(QStringLiteral("items"), false)
        ->applyChanges(Pointers(changes), upWhereChanged);
    const std::vector<FetchedRow> after = ReadAll(*again, QStringLiteral("items"));
    ASSERT_EQ(after.size(), 2000u);
    for (size_t i = 0; i < after.size(); ++i) {
        ASSERT_EQ(after[i].values[0], QVariant(qlonglong(i + 1)));
        ASSERT_EQ(after[i].values[1], QVariant(QStringLiteral("new")));
    }
}

INSTANTIATE_TEST_SUITE_P(Phases, PgFaultMidCommit,
                         ::testing::Values(Phase::Copy, Phase::Pipeline, Phase::Commit),
                         [](const ::testing::TestParamInfo<Phase>& info) {
                             return info.param == Phase::Copy       ? std::string("Copy")
                                    : info.param == Phase::Pipeline ? std::string("Pipeline")
                                                                    : std::string("Commit");
                         });

TEST_F(PgFault, ACommitCutOffWhileTheServerLivesIsSettledOnTheSpot) {
    auto conn = connect();
    conn->executeStatement(
        QStringLiteral(
            "CREATE TABLE items (id int PRIMARY KEY, v text);"
            "CREATE TABLE gate (closed boolean);"
            "INSERT INTO gate VALUES (true);"
            "CREATE FUNCTION hold() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
            " IF NEW.id = 5 AND EXISTS (SELECT 1 FROM gate) THEN PERFORM pg_sleep(60); END IF;"
            " RETURN NEW; END $$;"
            "CREATE CONSTRAINT TRIGGER hold AFTER INSERT ON items DEFERRABLE INITIALLY DEFERRED"
            " FOR EACH ROW EXECUTE FUNCTION hold()"),
        {});
    std::vector<PendingChange> changes;
    for (int id = 1; id <= 10; ++id)
        changes.push_back(InsertOf({QVariant(qlonglong(id)), QVariant(QStringLiteral("v"))}));
    auto cursor = conn->openTable(QStringLiteral("items"), false);
    auto killer = connect();
    std::thread cut([&] {
        try {
            waitForSleeper(*killer);
            killer->executeStatement(
                QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                               " WHERE wait_event = 'PgSleep'"),
                {});
        } catch (const std::exception&) {
        }
    });
    try {
        cursor->applyChanges(Pointers(changes), upWhereChanged);
        ADD_FAILURE() << "the commit survived its connection";
    } catch (const EDBEngineError& e) {
        // The driver asked the server again: the commit did not happen.
        EXPECT_TRUE(e.message().contains(QLatin1String("none of them were written")))
            << e.message().toStdString();
        EXPECT_TRUE(e.connectionUsable());
    }
    cut.join();
    EXPECT_EQ(count(*conn, QStringLiteral("items")), 0);
    conn->executeStatement(QStringLiteral("DELETE FROM gate"), {});
    cursor->applyChanges(Pointers(changes), upWhereChanged);
    EXPECT_EQ(count(*conn, QStringLiteral("items")), 10);
}

TEST_F(PgFault, AConnectionDroppedWhileIdleFailsClearlyAndConnectingAgainWorks) {
    auto conn = connect();
    conn->executeStatement(QStringLiteral("CREATE TABLE items (id int PRIMARY KEY)"), {});
    auto cursor = conn->openTable(QStringLiteral("items"), false);
    connect()->executeStatement(
        QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                       " WHERE application_name = 'Rowcart' AND pid <> pg_backend_pid()"),
        {});
    try {
        cursor->rowCount();
        FAIL() << "a dropped connection still answered";
    } catch (const EDBEngineError& e) {
        EXPECT_FALSE(e.connectionUsable());
        EXPECT_FALSE(e.message().isEmpty());
    }
    // Every later use fails the same way instead of hanging or crashing.
    EXPECT_THROW(conn->tableNames(false), EDBEngineError);
    EXPECT_THROW(conn->beginTransaction(tiReadCommitted), EDBEngineError);
    EXPECT_FALSE(conn->inTransaction());

    // A server restarted in between: the same.
    auto second = connect();
    ASSERT_TRUE(s_cluster->stop());
    ASSERT_TRUE(s_cluster->start());
    EXPECT_THROW(second->tableNames(false), EDBEngineError);

    auto fresh = connect();
    EXPECT_EQ(count(*fresh, QStringLiteral("items")), 0);
}

}  // namespace
