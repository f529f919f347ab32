#include "data/Exceptions.h"
#include "data/TField.h"
#include "tests/data/EngineFixture.h"

namespace {

void insertItem(TTable& t, int id, const QString& name) {
    t.StartInsert();
    t.FieldAt(0)->WriteNumber(id);
    t.FieldAt(1)->WriteText(name);
    t.PostRecord();
}

TEST_P(DriverContract, InsertPostAndCancelShapeThePendingStore) {
    createItems(QStringLiteral("ITEMS"), {1, 2, 3});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->StartInsert();
    EXPECT_EQ(t->State(), TableState::Insert);
    EXPECT_EQ(t->RecordCount(), 4);
    t->CancelRecord();
    EXPECT_EQ(t->State(), TableState::Browse);
    EXPECT_FALSE(t->HasPendingUpdates());
    EXPECT_EQ(t->RecordCount(), 3);

    insertItem(*t, 10, QStringLiteral("ten"));
    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(t->RecordCount(), 4);
    EXPECT_EQ(t->FieldAt(1)->ReadText(), QStringLiteral("ten"));

    // A move ends an unmodified insert by dropping it and a modified one by posting it.
    t->StartInsert();
    t->MoveFirst();
    EXPECT_EQ(t->RecordCount(), 4);
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(11);
    t->MoveFirst();
    EXPECT_EQ(t->RecordCount(), 5);

    // Cancel while a new row is being built drops that row as well.
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(12);
    t->CancelPendingUpdates();
    EXPECT_FALSE(t->HasPendingUpdates());
    EXPECT_EQ(t->State(), TableState::Browse);
    EXPECT_EQ(t->RecordCount(), 3);
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({"1", "2", "3"}));
}

TEST_P(DriverContract, BookmarksAreTheRowsAWalkVisits) {
    createItems(QStringLiteral("ITEMS"), {5, 1, 3, 2, 4});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveTo(2);
    t->DeleteRecord();
    insertItem(*t, 10, QStringLiteral("ten"));
    t->MoveTo(1);
    QVector<QByteArray> walked;
    for (qint64 row = 0; row < t->RecordCount(); ++row)
        walked.append(t->BookmarkAt(row));
    ASSERT_EQ(walked.size(), 5);
    EXPECT_EQ(t->Bookmarks(), walked);
    EXPECT_EQ(t->RecNo(), 1);
}

TEST_P(DriverContract, RequiredFieldWithoutValueKeepsTheRowInInsertState) {
    createTable(QStringLiteral("STRICT"),
                {{QStringLiteral("ID"), QStringLiteral("INTEGER")},
                 {QStringLiteral("NAME"), QStringLiteral("VARCHAR(10) NOT NULL")}},
                {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("STRICT"));
    t->OpenTable();
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(1);
    try {
        t->PostRecord();
        FAIL() << "a row without its required NAME was posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'NAME' must have a value"));
    }
    EXPECT_EQ(t->State(), TableState::Insert);
    t->FieldAt(1)->WriteText(QStringLiteral("given"));
    t->PostRecord();
    EXPECT_TRUE(t->HasPendingUpdates());
}

TEST_P(DriverContract, CommitWritesInsertsChangesAndDeletesOnce) {
    createItems(QStringLiteral("ITEMS"), {1, 2, 3, 4});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveTo(1);
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("two"));
    t->PostRecord();
    t->MoveTo(2);
    t->DeleteRecord();
    EXPECT_EQ(t->FieldAt(0)->ReadNumber(), 4);  // the next row became current
    insertItem(*t, 5, QStringLiteral("five"));
    // Delete a key and insert it again in the same store.
    t->MoveFirst();
    t->DeleteRecord();
    insertItem(*t, 1, QStringLiteral("one again"));
    EXPECT_EQ(t->RecordCount(), 4);

    t->CommitPendingUpdates();
    EXPECT_FALSE(t->HasPendingUpdates());
    EXPECT_EQ(t->RecordCount(), 4);
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({"1", "2", "4", "5"}));
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME")),
              QStringList({"one again", "two", "item 4", "five"}));

    // An empty store commits and re-reads.
    t->CommitPendingUpdates();
    EXPECT_EQ(t->RecordCount(), 4);
}

TEST_P(DriverContract, FailedCommitLeavesDatabaseAndStoreAsTheyWere) {
    createItems(QStringLiteral("ITEMS"), {1, 2, 3});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveFirst();
    t->StartEdit();
    t->FieldAt(2)->WriteNumber(111);
    t->PostRecord();
    insertItem(*t, 10, QStringLiteral("ten"));
    insertItem(*t, 20, QStringLiteral("twenty"));
    insertItem(*t, 30, QStringLiteral("thirty"));

    // Another writer takes key 20 first: the commit fails half way.
    auto other = MakeDatabase(QStringLiteral("other"), QStringLiteral("T"));
    other->Connect();
    other->ExecuteStatement(
        QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\", \"NAME\") VALUES (20, 'theirs')"));
    EXPECT_THROW(t->CommitPendingUpdates(), EDBEngineError);

    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(t->RecordCount(), 4 + 3);
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({"1", "2", "3", "20"}));
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("QTY")).first(),
              QStringLiteral("10"));

    // Once the cause is gone the same store commits, every row exactly once.
    other->ExecuteStatement(QStringLiteral("DELETE FROM \"ITEMS\" WHERE \"ID\" = 20"));
    t->CommitPendingUpdates();
    EXPECT_FALSE(t->HasPendingUpdates());
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({"1", "2", "3", "10", "20", "30"}));
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("QTY")).first(),
              QStringLiteral("111"));
}

// Large stores go to the driver in parts; the commit stays whole, and a failure names its row.
TEST_P(DriverContract, CommitInPartsIsAllOrNothingAndNamesTheFailingRow) {
    constexpr int Rows = 40000;
    createItems(QStringLiteral("ITEMS"), {});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->SuspendControls();
    for (int id = 1; id <= Rows; ++id)
        insertItem(*t, id, QStringLiteral("n%1").arg(id));
    auto other = MakeDatabase(QStringLiteral("other"), QStringLiteral("T"));
    other->Connect();
    other->ExecuteStatement(
        QStringLiteral("INSERT INTO \"ITEMS\" (\"ID\", \"NAME\") VALUES (%1, 'theirs')").arg(Rows));
    try {
        t->CommitPendingUpdates();
        ADD_FAILURE() << "the commit should fail";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.message().endsWith(QStringLiteral("\n\rRow: ID = %1").arg(Rows)))
            << error.message().toStdString();
    }
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({QString::number(Rows)}));
    EXPECT_EQ(t->RecordCount(), 1 + Rows);

    other->ExecuteStatement(QStringLiteral("DELETE FROM \"ITEMS\""));
    t->CommitPendingUpdates();
    t->ResumeControls();
    EXPECT_FALSE(t->HasPendingUpdates());
    EXPECT_EQ(t->RecordCount(), Rows);
    t->MoveLast();
    EXPECT_EQ(t->FieldAt(1)->ReadText(), QStringLiteral("n%1").arg(Rows));
}

TEST_P(DriverContract, ChangedRowIsFoundByKeyAndChangedColumns) {
    createItems(QStringLiteral("ITEMS"), {1, 2});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveFirst();
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("mine"));
    t->PostRecord();

    auto other = MakeDatabase(QStringLiteral("other"), QStringLiteral("T"));
    other->Connect();
    // A column this store did not change may change meanwhile.
    other->ExecuteStatement(QStringLiteral("UPDATE \"ITEMS\" SET \"QTY\" = 99 WHERE \"ID\" = 1"));
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME")).first(),
              QStringLiteral("mine"));
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("QTY")).first(),
              QStringLiteral("99"));

    // A column it did change may not: the commit refuses to overwrite.
    t->MoveFirst();
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("mine again"));
    t->PostRecord();
    other->ExecuteStatement(
        QStringLiteral("UPDATE \"ITEMS\" SET \"NAME\" = 'theirs' WHERE \"ID\" = 1"));
    try {
        t->CommitPendingUpdates();
        FAIL() << "the commit overwrote another writer's change";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("another user")))
            << e.message().toStdString();
    }
    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME")).first(),
              QStringLiteral("theirs"));
}

TEST_P(DriverContract, PendingChangesShowInPositions) {
    QList<int> ids;
    for (int i = 0; i < 10; ++i)
        ids.append(i);
    createItems(QStringLiteral("ITEMS"), ids);
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveTo(5);
    t->DeleteRecord();
    t->MoveTo(2);
    t->DeleteRecord();
    EXPECT_EQ(t->RecordCount(), 8);
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_EQ(t->FieldAt(0)->ReadNumber(), 3);
    QStringList visible;
    for (int p = 0; p < 8; ++p)
        visible.append(t->RowAt(p).value(0).toString());
    EXPECT_EQ(visible, QStringList({"0", "1", "3", "4", "6", "7", "8", "9"}));

    insertItem(*t, 42, QStringLiteral("new"));
    EXPECT_EQ(t->RecordCount(), 9);
    EXPECT_EQ(t->RecNo(), 8);
    EXPECT_EQ(t->RowAt(8).value(0).toLongLong(), 42);
    t->MoveTo(1);
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("edited"));
    t->PostRecord();
    EXPECT_EQ(t->RowAt(1).value(1).toString(), QStringLiteral("edited"));

    int walked = 0;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext())
        ++walked;
    EXPECT_EQ(walked, 9);

    t->CancelPendingUpdates();
    EXPECT_EQ(t->RecordCount(), 10);
    EXPECT_EQ(t->RowAt(1).value(1).toString(), QStringLiteral("item 1"));
}

TEST_P(DriverContract, DeletingEveryRowStaysPendingUntilCancelled) {
    QList<int> ids;
    for (int i = 0; i < 700; ++i)
        ids.append(i);
    createItems(QStringLiteral("ITEMS"), ids);
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    t->MoveFirst();
    while (t->RecordCount() > 0)
        t->DeleteRecord();
    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")).size(), 700);
    t->CancelPendingUpdates();
    EXPECT_EQ(t->RecordCount(), 700);
}

}  // namespace

namespace {

TEST_P(DriverContract, WithoutCachedUpdatesEachPostIsWrittenAtOnce) {
    createItems(QStringLiteral("ITEMS"), {1, 2});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->SetCachedUpdates(false);
    t->OpenTable();
    insertItem(*t, 3, QStringLiteral("three"));
    EXPECT_FALSE(t->HasPendingUpdates());
    t->MoveFirst();
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("first"));
    t->PostRecord();
    t->MoveTo(1);
    t->DeleteRecord();
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME")),
              QStringList({"first", "three"}));
    try {
        t->CommitPendingUpdates();
        FAIL() << "committed without cached updates";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Not in cached update mode"));
    }
}

}  // namespace

namespace {

TEST_P(DriverContract, DuplicateKeysAreSkippedOrUpdatedByTheEnginesOwnStatement) {
    createItems(QStringLiteral("ITEMS"), {1, 2, 3});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    const QStringList before = columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME"));
    t->SetOnDuplicate(OnDuplicate::Skip);
    // Enough rows for the engines' paths of many rows (parameter arrays, COPY) too.
    for (int id = 2; id <= 60; ++id)
        insertItem(*t, id, QStringLiteral("new %1").arg(id));
    t->CommitPendingUpdates();
    EXPECT_EQ(t->DuplicatesSkipped(), 2);
    EXPECT_EQ(t->CommittedInsertions(), 57);
    QStringList names = columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME"));
    ASSERT_EQ(names.size(), 60);
    EXPECT_EQ(names.mid(0, 3), before);

    t->SetOnDuplicate(OnDuplicate::Update);
    insertItem(*t, 3, QStringLiteral("changed"));
    insertItem(*t, 61, QStringLiteral("sixty-one"));
    t->CommitPendingUpdates();
    names = columnTexts(QStringLiteral("ITEMS"), QStringLiteral("NAME"));
    ASSERT_EQ(names.size(), 61);
    EXPECT_EQ(names[2], QStringLiteral("changed"));
    EXPECT_EQ(t->DuplicatesSkipped(), 2);

    // Without a key a row that is there already cannot be told from a new one.
    createTable(QStringLiteral("LOOSE"), {{QStringLiteral("V"), QStringLiteral("VARCHAR(10)")}},
                {});
    auto loose = MakeTable(QStringLiteral("dbTo"), QStringLiteral("LOOSE"));
    loose->OpenTable();
    EXPECT_THROW(loose->SetOnDuplicate(OnDuplicate::Skip), EDatabaseError);
}

}  // namespace
