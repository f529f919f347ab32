#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TMemoryStream.h"
#include "tests/data/EngineFixture.h"
#include "tests/support/ValuePrint.h"

namespace {

// Cases of the ODBC driver itself, over each engine the contract suite reaches through ODBC.
class OdbcTables : public DriverContract {
protected:
    void insertRow(TTable& t, const QVariantList& values) {
        t.StartInsert();
        for (int i = 0; i < values.size(); ++i)
            t.FieldAt(i)->WriteText(values[i].toString());
        t.PostRecord();
    }
};

std::vector<std::shared_ptr<DriverHarness>> OdbcHarnesses() {
    std::vector<std::shared_ptr<DriverHarness>> odbc;
    for (const auto& harness : DriverHarnesses()) {
        if (harness->name().startsWith(QLatin1String("Odbc")))
            odbc.push_back(harness);
    }
    return odbc;
}

// Catalog names are patterns to ODBC: '_' must not find another table's columns, and quotes,
// blanks and percent signs go through the driver's own identifier quotes.
TEST_P(OdbcTables, NamesWithQuotesBlanksAndPatternCharacters) {
    createTable(QStringLiteral("AXB"),
                {{QStringLiteral("Y"), QStringLiteral("INTEGER")},
                 {QStringLiteral("Z"), QStringLiteral("INTEGER")}},
                {QStringLiteral("Y")});
    createTable(QStringLiteral("A_B"), {{QStringLiteral("X"), QStringLiteral("INTEGER")}},
                {QStringLiteral("X")});
    auto ab = MakeTable(QStringLiteral("dbTo"), QStringLiteral("A_B"));
    ab->OpenTable();
    ASSERT_EQ(ab->NumberOfFields(), 1);
    EXPECT_EQ(ab->FieldAt(0)->FieldName(), QStringLiteral("X"));
    ab->CloseTable();

    const QString odd = QStringLiteral("it's \"odd\" 100% `x`");
    createTable(odd,
                {{QStringLiteral("first name"), QStringLiteral("VARCHAR(20)")},
                 {QStringLiteral("50% \"off\""), QStringLiteral("INTEGER")}},
                {QStringLiteral("first name")});
    QStringList tables;
    m_db->ReadTableList(tables);
    EXPECT_TRUE(tables.contains(odd));
    auto t = MakeTable(QStringLiteral("dbTo"), odd);
    t->OpenTable();
    ASSERT_EQ(t->NumberOfFields(), 2);
    EXPECT_EQ(t->FieldAt(1)->FieldName(), QStringLiteral("50% \"off\""));
    insertRow(*t, {QStringLiteral("Ann's"), 1});
    insertRow(*t, {QStringLiteral("Bob `b`"), 2});
    t->CommitPendingUpdates();
    t->MoveFirst();
    t->StartEdit();
    t->FieldAt(1)->WriteNumber(10);
    t->PostRecord();
    t->MoveLast();
    t->DeleteRecord();
    t->CommitPendingUpdates();
    EXPECT_EQ(columnTexts(odd, QStringLiteral("first name")), QStringList({"Ann's"}));
    EXPECT_EQ(columnTexts(odd, QStringLiteral("50% \"off\"")), QStringList({"10"}));
}

// Without a primary key, a unique index over NOT NULL columns orders the rows.
TEST_P(OdbcTables, UniqueIndexOrdersATableWithoutPrimaryKey) {
    createTable(QStringLiteral("CODES"),
                {{QStringLiteral("N"), QStringLiteral("INTEGER")},
                 {QStringLiteral("CODE"), QStringLiteral("INTEGER NOT NULL")}},
                {});
    m_db->ExecuteStatement(
        QStringLiteral("CREATE UNIQUE INDEX \"CODES_CODE\" ON \"CODES\" (\"CODE\")"));
    m_db->ExecuteStatement(QStringLiteral(
        "INSERT INTO \"CODES\" (\"N\", \"CODE\") VALUES (1, 30), (2, 10), (3, 20), (4, -5)"));
    EXPECT_EQ(columnTexts(QStringLiteral("CODES"), QStringLiteral("CODE")),
              QStringList({"-5", "10", "20", "30"}));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("CODES"));
    t->OpenTable();
    t->MoveTo(2);
    const QByteArray mark = t->CurrentBookmark();
    t->MoveFirst();
    t->MoveToBookmark(mark);
    EXPECT_EQ(t->FieldAt(0)->ReadText(), QStringLiteral("3"));
}

// A keyless row is found by all its values: a change that would hit several identical rows
// fails whole, and the store keeps it.
TEST_P(OdbcTables, IdenticalKeylessRowsAreNotChangedBlindly) {
    createTable(QStringLiteral("LOG"),
                {{QStringLiteral("MSG"), QStringLiteral("VARCHAR(20)")},
                 {QStringLiteral("N"), QStringLiteral("INTEGER")}},
                {});
    m_db->ExecuteStatement(QStringLiteral(
        "INSERT INTO \"LOG\" (\"MSG\", \"N\") VALUES ('same', 1), ('same', 1), ('other', 2)"));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("LOG"));
    t->OpenTable();
    for (t->MoveFirst(); t->FieldAt(0)->ReadText() != QLatin1String("same"); t->MoveNext()) {
    }
    t->StartEdit();
    t->FieldAt(1)->WriteNumber(7);
    t->PostRecord();
    try {
        t->CommitPendingUpdates();
        FAIL() << "one of two identical rows was changed blindly";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("several rows")))
            << e.message().toStdString();
    }
    EXPECT_TRUE(t->HasPendingUpdates());
    QStringList numbers = columnTexts(QStringLiteral("LOG"), QStringLiteral("N"));
    numbers.sort();
    EXPECT_EQ(numbers, QStringList({"1", "1", "2"}));
}

// A table with neither key nor a column to find its rows by reads, and refuses changes with a
// message that says why.
TEST_P(OdbcTables, TableWithoutAnyUsableKeyIsReadOnly) {
    createTable(QStringLiteral("NOTES"), {{QStringLiteral("BODY"), QStringLiteral("CLOB")}}, {});
    m_db->ExecuteStatement(QStringLiteral("INSERT INTO \"NOTES\" (\"BODY\") VALUES ('kept')"));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("NOTES"));
    t->OpenTable();
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->FieldAt(0)->ReadText(), QStringLiteral("kept"));
    t->StartInsert();
    t->FieldAt(0)->WriteText(QStringLiteral("new"));
    t->PostRecord();
    try {
        t->CommitPendingUpdates();
        FAIL() << "a row went into a table whose rows cannot be found again";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("Table NOTES has no key and no column that finds its rows: it can "
                           "only be read")))
            << e.message().toStdString();
    }
    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(columnTexts(QStringLiteral("NOTES"), QStringLiteral("BODY")), QStringList({"kept"}));
}

// Rows come in blocks of fixed buffers; values longer than those arrive whole all the same.
TEST_P(OdbcTables, LongValuesArriveWhole) {
    createTable(QStringLiteral("DOCS"),
                {{QStringLiteral("ID"), QStringLiteral("INTEGER")},
                 {QStringLiteral("BODY"), QStringLiteral("CLOB")},
                 {QStringLiteral("DATA"), QStringLiteral("BLOB")}},
                {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("DOCS"));
    t->OpenTable();
    const auto body = [](int id) {
        return QString::fromUtf8("Zeile \u00c4 %1 ").arg(id).repeated(id * 700);
    };
    const auto data = [](int id) {
        QByteArray bytes(id * 5000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7 + id) % 256);
        return bytes;
    };
    for (int id = 0; id < 4; ++id) {
        t->StartInsert();
        t->FieldAt(0)->WriteNumber(id);
        t->FieldAt(1)->WriteText(body(id));
        TMemoryStream stream;
        stream.Write(data(id));
        t->FieldAt(2)->LoadBlobFrom(stream);
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    t->CloseTable();
    t->OpenTable();
    int id = 0;
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext(), ++id) {
        EXPECT_EQ(t->FieldAt(1)->ReadText(), body(id)) << id;
        TMemoryStream out;
        t->FieldAt(2)->SaveBlobTo(out);
        EXPECT_EQ(out.Data(), data(id)) << id;
    }
    EXPECT_EQ(id, 4);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Odbc, OdbcTables, ::testing::ValuesIn(OdbcHarnesses()), HarnessName);
