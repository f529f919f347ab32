#include "data/Exceptions.h"
#include "tests/support/PgTestServer.h"
#include "tests/support/ValuePrint.h"

namespace {

using PgApply = PgTest;

const QString StaleMessage =
    QStringLiteral("Couldn't perform the edit because another user changed the record.");

Row item(qlonglong id, const QString& name, qlonglong qty) {
    return {QVariant(id), QVariant(name), QVariant(qty)};
}

class PgApplyItems : public PgTest {
protected:
    void SetUp() override {
        PgTest::SetUp();
        if (IsSkipped())
            return;
        exec(QStringLiteral("CREATE TABLE items (id int PRIMARY KEY, name text, qty int)"));
        exec(QStringLiteral(
            "INSERT INTO items SELECT g, 'item ' || g, g * 10 FROM generate_series(1, 5) g"));
        m_cursor = m_conn->openTable(QStringLiteral("items"), false);
    }

    std::vector<FetchedRow> rows() { return ReadAll(*m_conn, QStringLiteral("items")); }
    QStringList names() {
        QStringList list;
        for (const FetchedRow& row : rows())
            list << row.values[1].toString();
        return list;
    }
    void expectUntouched() {
        EXPECT_EQ(names(), QStringList({"item 1", "item 2", "item 3", "item 4", "item 5"}));
    }
    // Applies and returns the engine error it must throw.
    EDBEngineError failure(const std::vector<PendingChange>& changes,
                           TUpdateMode mode = upWhereChanged) {
        try {
            m_cursor->applyChanges(Pointers(changes), mode);
        } catch (const EDBEngineError& e) {
            return e;
        }
        ADD_FAILURE() << "the changes were applied";
        return EDBEngineError(QString(), QString());
    }

    std::unique_ptr<TableCursor> m_cursor;
};

TEST_F(PgApplyItems, AFailingInsertUndoesTheWholeCommitByCopyAndByPipeline) {
    const std::vector<FetchedRow> before = rows();
    for (const int batch : {3, 100}) {
        SCOPED_TRACE(batch);
        std::vector<PendingChange> changes;
        Row renamed = before[0].values;
        renamed[1] = QVariant(QStringLiteral("renamed"));
        changes.push_back(ModifyOf(before[0], renamed));
        changes.push_back(DeleteOf(before[1]));
        for (int i = 0; i < batch; ++i)
            changes.push_back(InsertOf(item(100 + i, QStringLiteral("new"), i)));
        // The last insert collides with a stored row.
        changes.push_back(InsertOf(item(5, QStringLiteral("again"), 0)));
        const EDBEngineError e = failure(changes);
        EXPECT_EQ(e.code(), QStringLiteral("23505"));
        EXPECT_TRUE(e.message().contains(QLatin1String("duplicate key")));
        EXPECT_TRUE(e.connectionUsable());
        expectUntouched();
        EXPECT_FALSE(m_conn->inTransaction());
    }
    // The connection is fine afterwards.
    std::vector<PendingChange> ok = {InsertOf(item(6, QStringLiteral("item 6"), 60))};
    m_cursor->applyChanges(Pointers(ok), upWhereChanged);
    EXPECT_EQ(rows().size(), 6u);
}

TEST_F(PgApplyItems, AValueTheColumnCannotTakeFailsTheCommit) {
    std::vector<PendingChange> changes;
    for (int i = 0; i < 50; ++i)
        changes.push_back(InsertOf(item(100 + i, QStringLiteral("n"), i)));
    changes[20].values[2] = QVariant(QStringLiteral("many"));
    const EDBEngineError e = failure(changes);
    EXPECT_EQ(e.code(), QStringLiteral("22P02"));
    expectUntouched();
}

TEST_F(PgApplyItems, AnEditOfARowAnotherUserChangedIsRefused) {
    const std::vector<FetchedRow> before = rows();
    auto other = connectAgain();
    other->executeStatement(QStringLiteral("UPDATE items SET qty = 999 WHERE id = 2"), {});
    other->executeStatement(QStringLiteral("DELETE FROM items WHERE id = 4"), {});

    // The same column another user changed: refused, and nothing else of the commit is kept.
    Row qty = before[1].values;
    qty[2] = QVariant(qlonglong(21));
    std::vector<PendingChange> changes = {InsertOf(item(7, QStringLiteral("seven"), 70)),
                                          ModifyOf(before[1], qty)};
    EDBEngineError e = failure(changes);
    EXPECT_EQ(e.message(), StaleMessage);
    EXPECT_TRUE(e.connectionUsable());
    EXPECT_EQ(rows().size(), 4u);

    // A deleted row cannot be deleted or changed again.
    e = failure({DeleteOf(before[3])});
    EXPECT_EQ(e.message(), StaleMessage);

    // Another column of the same row is no conflict where only changed columns are compared,
    Row name = before[1].values;
    name[1] = QVariant(QStringLiteral("second"));
    std::vector<PendingChange> rename = {ModifyOf(before[1], name)};
    EXPECT_EQ(failure(rename, upWhereAll).message(), StaleMessage);
    m_cursor->applyChanges(Pointers(rename), upWhereChanged);
    const std::vector<FetchedRow> after = rows();
    EXPECT_EQ(after[1].values, item(2, QStringLiteral("second"), 999));
    // and the key alone finds it whatever changed.
    std::vector<PendingChange> overwrite = {ModifyOf(before[1], qty)};
    m_cursor->applyChanges(Pointers(overwrite), upWhereKeyOnly);
    EXPECT_EQ(rows()[1].values[2], QVariant(qlonglong(21)));
}

TEST_F(PgApplyItems, ChangesApplyInTheirOrder) {
    const std::vector<FetchedRow> before = rows();
    Row moved = before[2].values;
    moved[0] = QVariant(qlonglong(30));
    // A key deleted and inserted again; a row moved to a new key.
    std::vector<PendingChange> changes = {DeleteOf(before[0]),
                                          InsertOf(item(1, QStringLiteral("reborn"), 1)),
                                          ModifyOf(before[2], moved)};
    m_cursor->applyChanges(Pointers(changes), upWhereChanged);
    EXPECT_EQ(names(), QStringList({"reborn", "item 2", "item 4", "item 5", "item 3"}));
}

TEST_F(PgApplyItems, ManyPipelinedChangesCommitTogether) {
    exec(QStringLiteral("INSERT INTO items SELECT g, 'bulk', g FROM generate_series(6, 7000) g"));
    const std::vector<FetchedRow> before = rows();
    std::vector<PendingChange> changes;
    for (const FetchedRow& row : before) {
        const qlonglong id = row.values[0].toLongLong();
        if (id % 2 == 0) {
            changes.push_back(DeleteOf(row));
        } else {
            Row values = row.values;
            values[2] = QVariant(-id);
            changes.push_back(ModifyOf(row, values));
        }
    }
    m_cursor->applyChanges(Pointers(changes), upWhereChanged);
    const std::vector<FetchedRow> after = rows();
    ASSERT_EQ(after.size(), 3500u);
    for (const FetchedRow& row : after)
        ASSERT_EQ(row.values[2].toLongLong(), -row.values[0].toLongLong());

    // One stale row among thousands still undoes them all.
    std::vector<PendingChange> again;
    for (const FetchedRow& row : after) {
        Row values = row.values;
        values[1] = QVariant(QStringLiteral("late"));
        again.push_back(ModifyOf(row, values));
    }
    connectAgain()->executeStatement(
        QStringLiteral("UPDATE items SET name = 'taken' WHERE id = 6001"), {});
    EXPECT_EQ(failure(again).message(), StaleMessage);
    int late = 0;
    for (const FetchedRow& row : rows())
        late += row.values[1].toString() == QLatin1String("late");
    EXPECT_EQ(late, 0);
}

TEST_F(PgApplyItems, InsideAnOpenTransactionOnlyTheCommitIsUndone) {
    m_conn->beginTransaction(tiReadCommitted);
    exec(QStringLiteral("INSERT INTO items VALUES (50, 'in transaction', 0)"));
    std::vector<PendingChange> ok = {InsertOf(item(51, QStringLiteral("applied"), 0))};
    m_cursor->applyChanges(Pointers(ok), upWhereChanged);
    EXPECT_TRUE(m_conn->inTransaction());
    std::vector<PendingChange> bad = {InsertOf(item(52, QStringLiteral("x"), 0)),
                                      InsertOf(item(1, QStringLiteral("dup"), 0))};
    failure(bad);
    EXPECT_TRUE(m_conn->inTransaction());
    // Nothing of it is visible to others yet.
    EXPECT_EQ(ReadAll(*connectAgain(), QStringLiteral("items")).size(), 5u);
    m_conn->commitTransaction();
    EXPECT_FALSE(m_conn->inTransaction());
    EXPECT_EQ(names(), QStringList({"item 1", "item 2", "item 3", "item 4", "item 5",
                                    "in transaction", "applied"}));

    m_conn->beginTransaction(tiReadCommitted);
    m_cursor->applyChanges(Pointers(ok = {InsertOf(item(60, QStringLiteral("gone"), 0))}),
                           upWhereChanged);
    m_conn->rollbackTransaction();
    EXPECT_EQ(rows().size(), 7u);
}

TEST_F(PgApplyItems, ReadOnlyTablesAndConnectionsWriteNothing) {
    std::vector<PendingChange> insert = {InsertOf(item(9, QStringLiteral("nine"), 9))};
    auto readOnlyTable = m_conn->openTable(QStringLiteral("items"), true);
    EXPECT_THROW(readOnlyTable->applyChanges(Pointers(insert), upWhereChanged), EDatabaseError);

    auto reader = connectAgain(true);
    auto table = reader->openTable(QStringLiteral("items"), false);
    EXPECT_THROW(table->applyChanges(Pointers(insert), upWhereChanged), EDatabaseError);
    try {
        reader->executeStatement(QStringLiteral("INSERT INTO items VALUES (9, 'nine', 9)"), {});
        FAIL() << "a read-only connection wrote";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.code(), QStringLiteral("25006"));
    }
    reader->beginTransaction(tiReadCommitted);
    EXPECT_THROW(reader->executeStatement(QStringLiteral("DELETE FROM items"), {}), EDBEngineError);
    reader->rollbackTransaction();
    expectUntouched();
}

TEST_F(PgApply, LeftOutValuesTakeTheirDefaults) {
    exec(
        QStringLiteral("CREATE TABLE filled (id serial PRIMARY KEY, made text DEFAULT 'server',"
                       " num bigint GENERATED ALWAYS AS IDENTITY (START WITH 1000), plain text,"
                       " twice bigint GENERATED ALWAYS AS (num * 2) STORED)"));
    auto cursor = m_conn->openTable(QStringLiteral("filled"), false);
    std::vector<PendingChange> changes;
    // 40 rows of nulls go by COPY, then a few singly; one row brings its own values.
    for (int i = 0; i < 43; ++i)
        changes.push_back(InsertOf(Row(5)));
    changes.push_back(InsertOf({QVariant(qlonglong(500)), QVariant(QStringLiteral("own")),
                                QVariant(qlonglong(7)), QVariant(), QVariant(qlonglong(1))}));
    cursor->applyChanges(Pointers(changes), upWhereChanged);
    const std::vector<FetchedRow> rows = ReadAll(*m_conn, QStringLiteral("filled"));
    ASSERT_EQ(rows.size(), 44u);
    for (int i = 0; i < 43; ++i) {
        EXPECT_EQ(rows[i].values[0], QVariant(qlonglong(i + 1)));
        EXPECT_EQ(rows[i].values[1], QVariant(QStringLiteral("server")));
        EXPECT_EQ(rows[i].values[2], QVariant(qlonglong(1000 + i)));
        EXPECT_FALSE(rows[i].values[3].isValid());
        EXPECT_EQ(rows[i].values[4], QVariant(qlonglong(2 * (1000 + i))));
    }
    // A copied row keeps its identity; the generated column is the server's to fill.
    EXPECT_EQ(rows[43].values, Row({QVariant(qlonglong(500)), QVariant(QStringLiteral("own")),
                                    QVariant(qlonglong(7)), QVariant(), QVariant(qlonglong(14))}));
}

TEST_F(PgApply, RowsWithoutKeyAreFoundByRowIdOrByAllTheirValues) {
    exec(QStringLiteral("CREATE TABLE loose (n int, t text)"));
    exec(QStringLiteral("INSERT INTO loose VALUES (1, 'a'), (2, 'b'), (2, 'b'), (3, NULL)"));
    exec(QStringLiteral("CREATE VIEW loose_view AS SELECT n, t FROM loose"));

    auto cursor = m_conn->openTable(QStringLiteral("loose"), false);
    std::vector<FetchedRow> rows = cursor->fetchAt(0, 10);
    ASSERT_EQ(rows.size(), 4u);
    Row changed = rows[3].values;
    changed[1] = QVariant(QStringLiteral("c"));
    std::vector<PendingChange> changes = {ModifyOf(rows[3], changed), DeleteOf(rows[2])};
    cursor->applyChanges(Pointers(changes), upWhereChanged);
    // The changed row's id moved; another user's change of a row is still caught.
    connectAgain()->executeStatement(QStringLiteral("UPDATE loose SET t = 'z' WHERE n = 1"), {});
    std::vector<PendingChange> stale = {DeleteOf(rows[0])};
    EXPECT_THROW(cursor->applyChanges(Pointers(stale), upWhereChanged), EDBEngineError);

    // A view has no row id: its rows are found by their values, and must be unique.
    auto view = m_conn->openTable(QStringLiteral("loose_view"), false);
    exec(QStringLiteral("INSERT INTO loose VALUES (2, 'b')"));
    rows = view->fetchAt(0, 10);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(rows[1].values, rows[2].values);
    std::vector<PendingChange> ambiguous = {DeleteOf(rows[1])};
    try {
        view->applyChanges(Pointers(ambiguous), upWhereChanged);
        FAIL() << "a row that is not unique was deleted";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("not unique")));
    }
    std::vector<PendingChange> single = {DeleteOf(rows[3])};
    view->applyChanges(Pointers(single), upWhereChanged);
    EXPECT_EQ(view->rowCount(), 3);
}

}  // namespace
