#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/TField.h"
#include "data/TMemoryStream.h"
#include "tests/data/EngineFixture.h"

namespace {

const QList<QPair<QString, QString>> AllTypes = {
    {QStringLiteral("ID"), QStringLiteral("INTEGER")},
    {QStringLiteral("SMALL"), QStringLiteral("SMALLINT")},
    {QStringLiteral("BIG"), QStringLiteral("BIGINT")},
    {QStringLiteral("NAME"), QStringLiteral("VARCHAR(6)")},
    {QStringLiteral("CODE"), QStringLiteral("CHAR(4)")},
    {QStringLiteral("RATE"), QStringLiteral("DOUBLE")},
    {QStringLiteral("PRICE"), QStringLiteral("MONEY")},
    {QStringLiteral("AMOUNT"), QStringLiteral("NUMERIC(12,2)")},
    {QStringLiteral("DAY"), QStringLiteral("DATE")},
    {QStringLiteral("AT"), QStringLiteral("TIME")},
    {QStringLiteral("STAMP"), QStringLiteral("TIMESTAMP")},
    {QStringLiteral("FLAG"), QStringLiteral("BOOLEAN")},
    {QStringLiteral("PHOTO"), QStringLiteral("BLOB")},
    {QStringLiteral("NOTES"), QStringLiteral("CLOB")},
};

TEST_P(DriverContract, FieldsFollowColumnOrderAndTypes) {
    createTable(QStringLiteral("ALLTYPES"), AllTypes, {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ALLTYPES"));
    t->OpenTable();
    ASSERT_EQ(t->NumberOfFields(), AllTypes.size());
    for (int i = 0; i < AllTypes.size(); ++i) {
        EXPECT_EQ(t->FieldAt(i)->FieldName(), AllTypes[i].first);
        EXPECT_EQ(t->FieldAt(i)->FieldType(), harness().fieldType(AllTypes[i].second))
            << AllTypes[i].first.toStdString();
        EXPECT_EQ(t->FieldAt(i)->IsBlobField(),
                  IsBlobType(harness().fieldType(AllTypes[i].second)));
    }
    EXPECT_EQ(t->LookupField(QStringLiteral("price")), t->FieldAt(6));
    EXPECT_EQ(t->LookupField(QStringLiteral("nothing")), nullptr);
    try {
        t->RequireField(QStringLiteral("Nothing"));
        FAIL() << "RequireField accepted an unknown name";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'Nothing' not found"));
    }
}

TEST_P(DriverContract, ValuesSurviveACommitAndReread) {
    createTable(QStringLiteral("ALLTYPES"), AllTypes, {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ALLTYPES"));
    t->OpenTable();
    const QByteArray photo("\x89PNG\0\x01\xff binary", 14);
    t->StartInsert();
    t->RequireField(QStringLiteral("ID"))->WriteText(QStringLiteral("1"));
    t->RequireField(QStringLiteral("SMALL"))->WriteNumber(-32768);
    t->RequireField(QStringLiteral("BIG"))->WriteText(QStringLiteral("9007199254740993"));
    t->RequireField(QStringLiteral("NAME"))->WriteText(QStringLiteral("O'Brien & Co"));
    t->RequireField(QStringLiteral("CODE"))->WriteText(QStringLiteral("AB12"));
    t->RequireField(QStringLiteral("RATE"))->WriteNumber(0.1);
    t->RequireField(QStringLiteral("PRICE"))->WriteText(QStringLiteral("1234.5"));
    t->RequireField(QStringLiteral("AMOUNT"))->WriteText(QStringLiteral("-98765.43"));
    t->RequireField(QStringLiteral("DAY"))->WriteText(QStringLiteral("08/12/2026"));
    t->RequireField(QStringLiteral("AT"))->WriteText(QStringLiteral("23:59:58"));
    t->RequireField(QStringLiteral("STAMP"))->WriteText(QStringLiteral("29/02/2024 07:05:09"));
    t->RequireField(QStringLiteral("FLAG"))->WriteText(QStringLiteral("t"));
    TMemoryStream stream;
    stream.Write(photo);
    t->RequireField(QStringLiteral("PHOTO"))->LoadBlobFrom(stream);
    t->RequireField(QStringLiteral("NOTES"))
        ->WriteText(QString::fromUtf8("Zeile 1\nÄrger \"quoted\""));
    t->PostRecord();
    t->StartInsert();
    t->RequireField(QStringLiteral("ID"))->WriteNumber(2);
    t->PostRecord();
    t->CommitPendingUpdates();
    t->CloseTable();

    t->OpenTable();
    ASSERT_EQ(t->RecordCount(), 2);
    const auto text = [&](const char* name) {
        return t->RequireField(QLatin1String(name))->ReadText();
    };
    EXPECT_EQ(text("SMALL"), QStringLiteral("-32768"));
    EXPECT_EQ(text("BIG"), QStringLiteral("9007199254740993"));
    EXPECT_EQ(text("NAME"), QStringLiteral("O'Brie"));  // cut to the declared size
    EXPECT_EQ(text("CODE"), QStringLiteral("AB12"));
    EXPECT_EQ(t->RequireField(QStringLiteral("RATE"))->ReadNumber(), 0.1);
    // A decimal keeps the places its column declares (MariaDB's money is DECIMAL(19,4)).
    EXPECT_TRUE(Decimal::SameNumber(text("PRICE"), QStringLiteral("1234.5")))
        << text("PRICE").toStdString();
    EXPECT_EQ(text("AMOUNT"), QStringLiteral("-98765.43"));
    EXPECT_EQ(text("DAY"), QStringLiteral("08/12/2026"));
    EXPECT_EQ(text("AT"), QStringLiteral("23:59:58"));
    EXPECT_EQ(text("STAMP"), QStringLiteral("29/02/2024 07:05:09"));
    EXPECT_EQ(text("FLAG"), QStringLiteral("True"));
    EXPECT_EQ(t->RequireField(QStringLiteral("PHOTO"))->BlobByteSize(), photo.size());
    TMemoryStream back;
    t->RequireField(QStringLiteral("PHOTO"))->SaveBlobTo(back);
    EXPECT_EQ(back.Data(), photo);
    EXPECT_EQ(text("NOTES"), QString::fromUtf8("Zeile 1\nÄrger \"quoted\""));

    // The second row holds nothing but its key.
    t->MoveNext();
    for (int i = 1; i < t->NumberOfFields(); ++i) {
        TField* field = t->FieldAt(i);
        EXPECT_TRUE(field->IsNullValue()) << field->FieldName().toStdString();
        EXPECT_EQ(field->ReadText(), QString());
        if (KindOf(field->FieldType()) == FieldKind::Integer ||
            KindOf(field->FieldType()) == FieldKind::Float) {
            EXPECT_EQ(field->ReadNumber(), 0.0);
        }
    }
}

TEST_P(DriverContract, BlobStreamsAndTheirErrors) {
    createTable(QStringLiteral("DOCS"),
                {{QStringLiteral("ID"), QStringLiteral("INTEGER")},
                 {QStringLiteral("BODY"), QStringLiteral("BLOB")}},
                {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("DOCS"));
    t->OpenTable();
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(1);
    TMemoryStream stream;
    stream.Write(QByteArray("abcdef"));
    ASSERT_EQ(stream.Position(), stream.Size());
    t->FieldAt(1)->LoadBlobFrom(stream);  // the stream stands at its end: still all of it
    EXPECT_EQ(t->FieldAt(1)->BlobByteSize(), 6);

    TMemoryStream out;
    out.Write(QByteArray("XY"));
    t->FieldAt(1)->SaveBlobTo(out);  // written at the position, after what is there
    EXPECT_EQ(out.Data(), QByteArray("XYabcdef"));

    TMemoryStream empty;
    t->FieldAt(1)->LoadBlobFrom(empty);
    EXPECT_TRUE(t->FieldAt(1)->IsNullValue());

    for (auto call : {+[](TField* f) { f->BlobByteSize(); },
                      +[](TField* f) {
                          TMemoryStream s;
                          f->SaveBlobTo(s);
                      }}) {
        try {
            call(t->FieldAt(0));
            ADD_FAILURE() << "a blob operation on an integer field went through";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Invalid class typecast"));
        }
    }
    t->CancelRecord();
}

TEST_P(DriverContract, WritingOutsideEditModeFails) {
    createItems(QStringLiteral("ITEMS"), {1});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    EXPECT_THROW(t->FieldAt(1)->WriteText(QStringLiteral("x")), EDatabaseError);
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("renamed"));
    t->PostRecord();
    EXPECT_TRUE(t->HasPendingUpdates());
    EXPECT_EQ(t->FieldAt(1)->ReadText(), QStringLiteral("renamed"));
}

}  // namespace
