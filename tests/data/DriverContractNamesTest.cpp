#include "data/Exceptions.h"
#include "data/TField.h"
#include "tests/data/EngineFixture.h"

namespace {

// Names that look like placeholders, quotes and statement ends to anything that scans SQL text.
const QString Table = QStringLiteral("Wörter; \"%1\" ?%2");
const QString Key = QStringLiteral("k%1");
const QString Decoy = QStringLiteral("k1");
const QString Text = QStringLiteral("v %2?\"; ä");
const QString Day = QStringLiteral("när;%1");

void insertRow(TTable& t, int key, int decoy, const QString& text) {
    t.StartInsert();
    t.RequireField(Key)->WriteNumber(key);
    t.RequireField(Decoy)->WriteNumber(decoy);
    t.RequireField(Text)->WriteText(text);
    t.RequireField(Day)->WriteText(QStringLiteral("2024-02-29"));
    t.PostRecord();
}

void moveToKey(TTable& t, int key) {
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
        if (t.RequireField(Key)->ReadNumber() == key)
            return;
    }
    FAIL() << "no row with key " << key;
}

TEST_P(DriverContract, PlaceholderLikeNamesTouchExactlyTheIntendedRows) {
    createTable(Table,
                {{Key, QStringLiteral("INTEGER")},
                 {Decoy, QStringLiteral("INTEGER")},
                 {Text, QStringLiteral("VARCHAR(40)")},
                 {Day, QStringLiteral("DATE")}},
                {Key});
    auto t = MakeTable(QStringLiteral("dbTo"), Table);
    t->SetUpdateMode(upWhereAll);
    t->OpenTable();
    insertRow(*t, 1, 0, QStringLiteral("one"));
    insertRow(*t, 2, 1, QStringLiteral("two"));
    insertRow(*t, 3, 0, QStringLiteral("three"));
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(Table, Text), QStringList({"one", "two", "three"}));

    moveToKey(*t, 3);
    t->DeleteRecord();
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(Table, Key), QStringList({"1", "2"}));
    moveToKey(*t, 1);
    t->StartEdit();
    t->RequireField(Text)->WriteText(QStringLiteral("uno"));
    t->PostRecord();
    insertRow(*t, 4, 1, QStringLiteral("four"));
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(Table, Key), QStringList({"1", "2", "4"}));
    EXPECT_EQ(columnTexts(Table, Text), QStringList({"uno", "two", "four"}));
    EXPECT_EQ(columnTexts(Table, Decoy), QStringList({"0", "1", "1"}));

    // The conflict check compares the intended row and column too.
    moveToKey(*t, 2);
    t->StartEdit();
    t->RequireField(Text)->WriteText(QStringLiteral("dos"));
    t->PostRecord();
    auto other = MakeDatabase(QStringLiteral("other"), QStringLiteral("T"));
    other->Connect();
    other->ExecuteStatement(QStringLiteral("UPDATE %1 SET %2 = 'theirs' WHERE %3 = 2")
                                .arg(quoted(Table), quoted(Text), quoted(Key)));
    try {
        t->CommitPendingUpdates();
        FAIL() << "the commit overwrote another writer's change";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("another user")))
            << e.message().toStdString();
    }
    EXPECT_EQ(columnTexts(Table, Text), QStringList({"uno", "theirs", "four"}));
}

}  // namespace
