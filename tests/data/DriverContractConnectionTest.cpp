#include "data/Exceptions.h"
#include "data/TField.h"
#include "tests/data/EngineFixture.h"

namespace {

TEST_P(DriverContract, ConnectAndDisconnectRunTheirEventsOnce) {
    QStringList events;
    m_db->AfterConnect = [&](TDatabase&) { events << QStringLiteral("connect"); };
    m_db->AfterDisconnect = [&](TDatabase&) { events << QStringLiteral("disconnect"); };
    m_db->Connect();  // already connected
    EXPECT_TRUE(events.isEmpty());
    m_db->Disconnect();
    m_db->Disconnect();
    m_db->Connect();
    EXPECT_EQ(events, QStringList({"disconnect", "connect"}));
    m_db->AfterConnect = nullptr;
    m_db->AfterDisconnect = nullptr;
}

TEST_P(DriverContract, DisconnectClosesTablesAndARefusedCloseStopsIt) {
    createItems(QStringLiteral("A"), {1});
    createItems(QStringLiteral("B"), {1});
    auto a = MakeTable(QStringLiteral("dbTo"), QStringLiteral("A"));
    auto b = MakeTable(QStringLiteral("dbTo"), QStringLiteral("B"));
    QStringList events;
    a->SetAfterClose([&](TTable&) { events << QStringLiteral("A closed"); });
    b->SetBeforeClose([&](TTable&) { throw EAbort(); });
    bool disconnected = false;
    m_db->AfterDisconnect = [&](TDatabase&) { disconnected = true; };
    a->OpenTable();
    b->OpenTable();
    EXPECT_THROW(m_db->Disconnect(), EAbort);
    EXPECT_TRUE(m_db->Connected());
    EXPECT_TRUE(b->Active());
    EXPECT_FALSE(disconnected);

    b->SetBeforeClose(nullptr);
    a->OpenTable();
    m_db->Disconnect();
    EXPECT_FALSE(a->Active());
    EXPECT_FALSE(b->Active());
    EXPECT_TRUE(disconnected);
    EXPECT_EQ(events, QStringList({"A closed", "A closed"}));
    m_db->AfterDisconnect = nullptr;
}

TEST_P(DriverContract, ReadTableListConnectsAndLeavesSystemTablesOut) {
    createItems(QStringLiteral("FIRST"), {});
    createTable(
        QStringLiteral("Mixed Case; \"odd\""),
        {{QStringLiteral("ID"), QStringLiteral("SERIAL")},
         {QStringLiteral("V"), QStringLiteral("VARCHAR(5)")}},
        harness().columnType(QStringLiteral("SERIAL")).contains(QStringLiteral("PRIMARY KEY"))
            ? QStringList()
            : QStringList({QStringLiteral("ID")}));
    m_db->Disconnect();
    QStringList list = {QStringLiteral("stale")};
    m_db->ReadTableList(list);
    EXPECT_TRUE(m_db->Connected());
    EXPECT_TRUE(list.contains(QStringLiteral("FIRST")));
    EXPECT_TRUE(list.contains(QStringLiteral("Mixed Case; \"odd\"")));
    EXPECT_FALSE(list.contains(QStringLiteral("stale")));
    for (const QString& name : list)
        EXPECT_FALSE(name.startsWith(QStringLiteral("sqlite_")) ||
                     name.startsWith(QStringLiteral("pg_")));

    // A name with quotes and a semicolon opens like any other.
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("Mixed Case; \"odd\""));
    t->OpenTable();
    t->StartInsert();
    t->FieldAt(1)->WriteText(QStringLiteral("x'); DROP TABLE \"FIRST\"; --"));
    t->PostRecord();
    t->CommitPendingUpdates();
    EXPECT_EQ(t->RecordCount(), 1);
    m_db->ReadTableList(list);
    EXPECT_TRUE(list.contains(QStringLiteral("FIRST")));
}

TEST_P(DriverContract, ExecuteStatementRunsTheWholeTextOrFails) {
    createItems(QStringLiteral("ITEMS"), {});
    m_db->ExecuteStatement(
        QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\") VALUES (1);\r\n"
                       "INSERT INTO \"ITEMS\" (\"ID\") VALUES (2);"));
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")), QStringList({"1", "2"}));

    try {
        m_db->ExecuteStatement(QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\") VALUES (?)"),
                               {QStringLiteral("id")});
        FAIL() << "a statement with an unbound parameter ran";
    } catch (const EDBEngineError&) {
        FAIL() << "an unbound parameter is no engine error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("No value for parameter 'id'"));
    }
    EXPECT_THROW(m_db->ExecuteStatement(QStringLiteral("INSERT INTO \"NO_SUCH\" VALUES (1)"),
                                        {QStringLiteral("id")}),
                 EDBEngineError);
    EXPECT_THROW(m_db->ExecuteStatement(QStringLiteral("THIS IS NOT SQL")), EDBEngineError);
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")).size(), 2);
}

TEST_P(DriverContract, TransactionsCommitAndRollBack) {
    createItems(QStringLiteral("ITEMS"), {});
    EXPECT_FALSE(m_db->TransactionActive());
    m_db->BeginTransaction();
    EXPECT_TRUE(m_db->TransactionActive());
    m_db->ExecuteStatement(QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\") VALUES (1)"));
    m_db->RollbackTransaction();
    EXPECT_FALSE(m_db->TransactionActive());
    m_db->BeginTransaction();
    m_db->ExecuteStatement(QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\") VALUES (2)"));
    m_db->CommitTransaction();
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")), QStringList({"2"}));

    // A commit of pending updates inside an open transaction goes with that transaction.
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(3);
    t->PostRecord();
    m_db->BeginTransaction();
    t->CommitPendingUpdates();
    EXPECT_TRUE(m_db->TransactionActive());
    m_db->RollbackTransaction();
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")), QStringList({"2"}));
}

TEST_P(DriverContract, ReadOnlyConnectionRefusesWrites) {
    createItems(QStringLiteral("ITEMS"), {1});
    auto source = MakeDatabase(QStringLiteral("dbFrom"), QStringLiteral("T"));
    source->SetReadOnly(true);
    source->Connect();
    EXPECT_THROW(source->ExecuteStatement(QStringLiteral("DELETE FROM \"ITEMS\"")), EDBEngineError);
    auto t = MakeTable(QStringLiteral("dbFrom"), QStringLiteral("ITEMS"));
    t->SetReadOnly(true);
    t->SetCachedUpdates(false);
    t->OpenTable();
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_THROW(t->StartInsert(), EDatabaseError);
    EXPECT_THROW(t->CommitPendingUpdates(), EDatabaseError);
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")), QStringList({"1"}));
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Drivers, DriverContract, ::testing::ValuesIn(DriverHarnesses()),
                         HarnessName);
