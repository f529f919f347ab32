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
