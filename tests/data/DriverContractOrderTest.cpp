#include "data/Exceptions.h"
#include "data/TField.h"
#include "tests/data/EngineFixture.h"

namespace {

TEST_P(DriverContract, RecordOrderIsKeyOrderAndBookmarksFollowIt) {
    createItems(QStringLiteral("ITEMS"), {50, 7, 31, -4, 12});
    EXPECT_EQ(columnTexts(QStringLiteral("ITEMS"), QStringLiteral("ID")),
              QStringList({"-4", "7", "12", "31", "50"}));

    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    QList<QByteArray> marks;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext())
        marks.append(t->CurrentBookmark());
    ASSERT_EQ(marks.size(), 5);
    for (int i = 0; i + 1 < marks.size(); ++i) {
        EXPECT_EQ(t->CompareBookmarks(marks[i], marks[i + 1]), -1);
        EXPECT_EQ(t->CompareBookmarks(marks[i + 1], marks[i]), 1);
    }
    EXPECT_EQ(t->CompareBookmarks(marks[2], QByteArray(marks[2])), 0);

    t->MoveToBookmark(marks[3]);
    EXPECT_EQ(t->FieldAt(0)->ReadText(), QStringLiteral("31"));
    EXPECT_FALSE(t->AtEnd());
    t->MoveToBookmark(QByteArray());  // a null bookmark does nothing
    EXPECT_EQ(t->FieldAt(0)->ReadText(), QStringLiteral("31"));
    EXPECT_EQ(t->RecNo(), 3);

    // Another writer removes the row: its bookmark no longer leads anywhere.
    auto other = MakeDatabase(QStringLiteral("other"), QStringLiteral("T"));
    other->Connect();
    other->ExecuteStatement(QStringLiteral("DELETE FROM \"ITEMS\" WHERE \"ID\" = 7"));
    t->CloseTable();
    t->OpenTable();
    EXPECT_THROW(t->MoveToBookmark(marks[1]), EDatabaseError);
}

TEST_P(DriverContract, TextKeysOrderAsTheirBookmarks) {
    createTable(QStringLiteral("WORDS"),
                {{QStringLiteral("W"), QStringLiteral("VARCHAR(20)")},
                 {QStringLiteral("N"), QStringLiteral("INTEGER")}},
                {QStringLiteral("W")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("WORDS"));
    t->OpenTable();
    const QStringList words = {"b", "B", "a", "ab", "Zed", "é", "e", "a b", "A"};
    for (int i = 0; i < words.size(); ++i) {
        t->StartInsert();
        t->FieldAt(0)->WriteText(words[i]);
        t->FieldAt(1)->WriteNumber(i);
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    QByteArray previous;
    int seen = 0;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext(), ++seen) {
        const QByteArray mark = t->CurrentBookmark();
        if (!previous.isEmpty()) {
            EXPECT_EQ(t->CompareBookmarks(previous, mark), -1)
                << t->FieldAt(0)->ReadText().toStdString();
        }
        previous = mark;
    }
    EXPECT_EQ(seen, words.size());
}

TEST_P(DriverContract, WalksAndPositionsOverManyRows) {
    QList<int> ids;
    for (int i = 0; i < 2500; ++i)
        ids.append((i * 7919) % 2500);  // every id once, inserted out of order
    createItems(QStringLiteral("MANY"), ids);
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("MANY"));
    t->OpenTable();
    EXPECT_EQ(t->RecordCount(), 2500);

    QList<QByteArray> everyThird;
    int expected = 0;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext(), ++expected) {
        ASSERT_EQ(t->FieldAt(0)->ReadNumber(), expected);
        if (expected % 3 == 0)
            everyThird.append(t->CurrentBookmark());
    }
    EXPECT_EQ(expected, 2500);

    // Visiting bookmarks in ascending order, as a batch run does.
    int id = 0;
    for (const QByteArray& mark : everyThird) {
        t->MoveToBookmark(mark);
        ASSERT_EQ(t->FieldAt(0)->ReadNumber(), id);
        id += 3;
    }

    t->MoveTo(2499);
    EXPECT_EQ(t->FieldAt(0)->ReadText(), QStringLiteral("2499"));
    EXPECT_EQ(t->RowAt(1700).value(0).toLongLong(), 1700);
    t->MovePrior();
    EXPECT_EQ(t->RecNo(), 2498);
    t->MoveToBookmark(everyThird[100]);
    EXPECT_EQ(t->RecNo(), 300);
    t->MoveLast();
    EXPECT_EQ(t->FieldAt(0)->ReadNumber(), 2499);
    t->MoveFirst();
    EXPECT_TRUE(t->AtStart());
    EXPECT_EQ(t->FieldAt(0)->ReadNumber(), 0);
}

TEST_P(DriverContract, WalkThatSaysWhereItGoesReadsSparseRowsInBatches) {
    // A key of two columns, so that a batch is looked up by key tuples.
    createTable(QStringLiteral("PAIRS"),
                {{QStringLiteral("A"), QStringLiteral("INTEGER")},
                 {QStringLiteral("B"), QStringLiteral("VARCHAR(10)")},
                 {QStringLiteral("V"), QStringLiteral("INTEGER")}},
                {QStringLiteral("A"), QStringLiteral("B")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("PAIRS"));
    t->OpenTable();
    const int rows = 1200;
    for (int v = 0; v < rows; ++v) {
        t->StartInsert();
        t->FieldAt(0)->WriteNumber(v / 2);
        t->FieldAt(1)->WriteText(v % 2 ? QStringLiteral("y") : QStringLiteral("x"));
        t->FieldAt(2)->WriteNumber(v);
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    const QVector<QByteArray> marks = t->Bookmarks();
    ASSERT_EQ(marks.size(), rows);
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(rows);
    t->FieldAt(1)->WriteText(QStringLiteral("x"));
    t->FieldAt(2)->WriteNumber(rows);
    t->PostRecord();
    const QByteArray pending = t->CurrentBookmark();

    QVector<QByteArray> walk;
    int at = 0;
    t->SetBookmarkLookahead([&](int count) {
        return std::vector<QByteArray>(walk.begin() + at,
                                       walk.begin() + std::min<int>(walk.size(), at + count));
    });
    // Sparse, a dense stretch, sparse again, and a row not committed yet.
    QList<int> expected;
    for (int v = 0; v < rows; ++v) {
        if (v % 9 == 0 || (v >= 600 && v < 700)) {
            walk.append(marks[v]);
            expected.append(v);
        }
    }
    walk.append(pending);
    expected.append(rows);
    for (at = 0; at < walk.size(); ++at) {
        t->MoveToBookmark(walk[at]);
        ASSERT_EQ(t->FieldAt(2)->ReadNumber(), expected[at]) << at;
    }

    // After a window of 512 rows of which one was used, the jump to 1150 reads a batch; the row
    // it reaches is a row like any other.
    walk = {marks[0], marks[600], marks[1150], marks[1160]};
    auto fresh = MakeTable(QStringLiteral("dbTo"), QStringLiteral("PAIRS"));
    fresh->OpenTable();
    fresh->SetBookmarkLookahead([&](int count) {
        return std::vector<QByteArray>(walk.begin() + at,
                                       walk.begin() + std::min<int>(walk.size(), at + count));
    });
    for (at = 0; at < 3; ++at)
        fresh->MoveToBookmark(walk[at]);
    EXPECT_EQ(fresh->FieldAt(2)->ReadNumber(), 1150);
    fresh->MoveNext();
    EXPECT_EQ(fresh->FieldAt(2)->ReadNumber(), 1151);
    EXPECT_EQ(fresh->RecNo(), 1151);
    fresh->MoveToBookmark(walk[3]);
    EXPECT_EQ(fresh->FieldAt(2)->ReadNumber(), 1160);
}

TEST_P(DriverContract, EmptyTableIsAtEndAtOnce) {
    createItems(QStringLiteral("NONE"), {});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("NONE"));
    t->OpenTable();
    EXPECT_TRUE(t->AtEnd());
    EXPECT_EQ(t->RecordCount(), 0);
    EXPECT_TRUE(t->CurrentBookmark().isEmpty());
    t->MoveNext();
    EXPECT_TRUE(t->AtEnd());
    EXPECT_TRUE(t->FieldAt(0)->IsNullValue());
}

TEST_P(DriverContract, TableWithoutPrimaryKeyHasAStableOrder) {
    createTable(QStringLiteral("LOG"),
                {{QStringLiteral("MSG"), QStringLiteral("VARCHAR(20)")},
                 {QStringLiteral("N"), QStringLiteral("INTEGER")}},
                {});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("LOG"));
    t->OpenTable();
    for (int i = 0; i < 5; ++i) {
        t->StartInsert();
        t->FieldAt(0)->WriteText(QStringLiteral("same"));
        t->FieldAt(1)->WriteNumber(i);
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    const QStringList first = columnTexts(QStringLiteral("LOG"), QStringLiteral("N"));
    EXPECT_EQ(first.size(), 5);
    EXPECT_EQ(columnTexts(QStringLiteral("LOG"), QStringLiteral("N")), first);

    // One of several identical rows can be changed and deleted on its own.
    t->MoveTo(2);
    t->StartEdit();
    t->FieldAt(0)->WriteText(QStringLiteral("changed"));
    t->PostRecord();
    t->MoveTo(4);
    t->DeleteRecord();
    t->CommitPendingUpdates();
    // Without a key the order may follow the values, so compare the rows as a set.
    const QStringList numbers = columnTexts(QStringLiteral("LOG"), QStringLiteral("N"));
    const QStringList messages = columnTexts(QStringLiteral("LOG"), QStringLiteral("MSG"));
    QStringList rows;
    for (int i = 0; i < numbers.size(); ++i)
        rows.append(numbers[i] + QLatin1Char(' ') + messages.value(i));
    rows.sort();
    EXPECT_EQ(rows, QStringList({"0 same", "1 same", "2 changed", "3 same"}));
}

}  // namespace
