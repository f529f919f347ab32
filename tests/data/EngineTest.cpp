#include "data/AliasConfig.h"
#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "tests/data/EngineFixture.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/ValuePrint.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

QString loadError(const QString& path) {
    try {
        AliasConfig::load(path);
    } catch (const EDatabaseError& e) {
        return e.message();
    }
    return QString();
}

TEST(AliasConfig, KeepsFileOrderAndResolvesPaths) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, QStringLiteral("a.conf"),
                  "; comment\n[ZETA]\nDRIVER=SQLITE\nPATH=z.db\n\n"
                  "[alpha]\ndriver = postgres\nSERVER NAME = 127.0.0.1\nPORT=5432\n"
                  "DATABASE NAME=shop\nUSER NAME=clerk\n");
    const AliasConfig config = AliasConfig::load(path);
    ASSERT_EQ(config.aliases().size(), 2);
    EXPECT_EQ(config.aliases()[0].name, QStringLiteral("ZETA"));
    EXPECT_EQ(config.aliases()[0].params.value(QStringLiteral("PATH")),
              dir.filePath(QStringLiteral("z.db")));
    EXPECT_EQ(config.aliases()[1].params.value(QStringLiteral("SERVER NAME")),
              QStringLiteral("127.0.0.1"));
    EXPECT_EQ(config.find(QStringLiteral("ALPHA")), &config.aliases()[1]);
}

TEST(AliasConfig, MalformedFilesNameTheFileAndLine) {
    QTemporaryDir dir;
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"DRIVER=SQLITE\n", 1, "before the first [ALIAS]"},
        {"[A]\nDRIVER=SQLITE\n[A\n", 3, "closing ']'"},
        {"[A]\nDRIVER=SQLITE\njust words\n", 3, "expected [ALIAS] or KEY=value"},
        {"[A]\nDRIVER=SQLITE\n[a]\n", 3, "defined twice"},
        {"[A]\nPASSWORD=secret\n", 2, "passwords are not kept"},
        {"[THIS_ALIAS_NAME_IS_FAR_TOO_LONG_X]\n", 1, "longer than 31"},
    };
    for (const Case& c : cases) {
        const QString path = writeFile(dir, QStringLiteral("bad.conf"), c.text);
        const QString message = loadError(path);
        EXPECT_TRUE(message.contains(path) &&
                    message.contains(QStringLiteral("line %1").arg(c.line)) &&
                    message.contains(QLatin1String(c.says)))
            << message.toStdString();
    }
    // A huge or binary line is quoted short and readable.
    const QString huge =
        writeFile(dir, QStringLiteral("huge.conf"),
                  "[A]\nDRIVER=SQLITE\n\x01\x1b[2J" + QByteArray(1 << 20, 'x') + "\n");
    const QString hugeError = loadError(huge);
    EXPECT_TRUE(hugeError.contains(QStringLiteral("line 3")) &&
                hugeError.contains(QStringLiteral("'\\x01\\x1b[2Jxxx")) && hugeError.size() < 400)
        << hugeError.left(400).toStdString();
    const QString noDriver = writeFile(dir, QStringLiteral("nodriver.conf"), "[A]\nPATH=x.db\n");
    EXPECT_TRUE(loadError(noDriver).contains(QStringLiteral("DRIVER=SQLITE")))
        << loadError(noDriver).toStdString();
}

TEST(AliasConfig, FirstStartCreatesTheDemoAliases) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rowcart/aliases.conf"));
    qputenv("ROWCART_ALIASES", path.toUtf8());
    TSession::ReloadAliases();
    QStringList aliases = {QStringLiteral("old")};
    TSession::Default().ReadAliasList(aliases);
    EXPECT_EQ(aliases, QStringList({"DEMO", "WORK"}));

    auto demo = MakeDatabase(QStringLiteral("dbFrom"), QStringLiteral("DEMO"));
    demo->SetReadOnly(true);
    QStringList tables;
    demo->ReadTableList(tables);
    EXPECT_EQ(tables, QStringList({"CUSTOMERS", "ORDERS", "PRODUCTS"}));
    auto work = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("WORK"));
    for (const QString& name : tables) {
        auto source = MakeTable(QStringLiteral("dbFrom"), name);
        source->SetReadOnly(true);
        source->SetCachedUpdates(false);
        source->OpenTable();
        EXPECT_GE(source->RecordCount(), 200) << name.toStdString();
        auto target = MakeTable(QStringLiteral("dbTo"), name);
        target->OpenTable();
        EXPECT_EQ(target->RecordCount(), 0);
        // The same columns on both sides, so a demo move needs no mapping work.
        ASSERT_EQ(source->NumberOfFields(), target->NumberOfFields());
        for (int i = 0; i < source->NumberOfFields(); ++i)
            EXPECT_EQ(source->FieldAt(i)->FieldType(), target->FieldAt(i)->FieldType());
    }
    // Some values are missing, some names carry apostrophes.
    auto customers = MakeTable(QStringLiteral("dbFrom"), QStringLiteral("CUSTOMERS"));
    customers->SetReadOnly(true);
    customers->OpenTable();
    int nulls = 0, apostrophes = 0;
    for (customers->MoveFirst(); !customers->AtEnd(); customers->MoveNext()) {
        nulls += customers->RequireField(QStringLiteral("CITY"))->IsNullValue();
        apostrophes +=
            customers->RequireField(QStringLiteral("NAME"))->ReadText().contains(QLatin1Char('\''));
    }
    EXPECT_GT(nulls, 0);
    EXPECT_GT(apostrophes, 0);
    demo->Disconnect();
    work->Disconnect();
    qunsetenv("ROWCART_ALIASES");
    TSession::ReloadAliases();
}

TEST(AliasConfig, FirstStartLeavesExistingFilesAlone) {
    QTemporaryDir dir;
    const QByteArray mine("the user's own work.db");
    writeFile(dir, QStringLiteral("work.db"), mine);
    const QString demoLink = dir.filePath(QStringLiteral("demo.db"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere.db")), demoLink));
    const QString path = dir.filePath(QStringLiteral("aliases.conf"));
    qputenv("ROWCART_ALIASES", path.toUtf8());
    TSession::ReloadAliases();
    const AliasConfig& config = TSession::Aliases();
    ASSERT_EQ(config.aliases().size(), 2);
    EXPECT_EQ(config.find(QStringLiteral("DEMO"))->params.value(QStringLiteral("PATH")),
              dir.filePath(QStringLiteral("demo-2.db")));
    EXPECT_EQ(config.find(QStringLiteral("WORK"))->params.value(QStringLiteral("PATH")),
              dir.filePath(QStringLiteral("work-2.db")));
    QFile work(dir.filePath(QStringLiteral("work.db")));
    ASSERT_TRUE(work.open(QIODevice::ReadOnly));
    EXPECT_EQ(work.readAll(), mine);
    EXPECT_TRUE(QFileInfo(demoLink).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere.db"))));

    // An alias file that is a link to nowhere is reported, not replaced.
    const QString dangling = dir.filePath(QStringLiteral("dangling.conf"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone/aliases.conf")), dangling));
    qputenv("ROWCART_ALIASES", dangling.toUtf8());
    TSession::ReloadAliases();
    try {
        TSession::Aliases();
        ADD_FAILURE() << "a dangling link was taken for a missing alias file";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(dangling) &&
                    e.message().contains(QStringLiteral("symbolic link")))
            << e.message().toStdString();
    }
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
    qunsetenv("ROWCART_ALIASES");
    TSession::ReloadAliases();
}

class Login : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedPrompts::instance().reset();
        QFile(m_dir.filePath(QStringLiteral("x.db"))).open(QIODevice::WriteOnly);
        m_aliases.add(QStringLiteral("SECURE"),
                      {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                       {QStringLiteral("PATH"), m_dir.filePath(QStringLiteral("x.db"))},
                       {QStringLiteral("USER NAME"), QStringLiteral("clerk")}});
        m_aliases.write();
    }
    void TearDown() override { ScriptedPrompts::instance().reset(); }

    QTemporaryDir m_dir;
    AliasFile m_aliases;
};

TEST_F(Login, CancelNamesTheConnectionNotTheAlias) {
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("SECURE"));
    bool connected = false;
    db->AfterConnect = [&](TDatabase&) { connected = true; };
    ScriptedPrompts::instance().answerLogin(std::nullopt);
    try {
        db->Connect();
        FAIL() << "connected without a login";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot connect to database 'dbTo'"));
    }
    EXPECT_FALSE(db->Connected());
    EXPECT_FALSE(connected);
    ASSERT_EQ(ScriptedPrompts::instance().logins().size(), 1);
    EXPECT_EQ(ScriptedPrompts::instance().logins()[0],
              qMakePair(QStringLiteral("dbTo"), QStringLiteral("clerk")));
}

TEST_F(Login, TypedUserNameStaysAndPasswordDoesNot) {
    auto db = MakeDatabase(QStringLiteral("dbFrom"), QStringLiteral("SECURE"));
    ScriptedPrompts::instance().answerLogin(
        UserPrompts::Login{QStringLiteral("boss"), QStringLiteral("s3cret")});
    db->Connect();
    EXPECT_TRUE(db->Connected());
    EXPECT_EQ(db->ParamValue(QStringLiteral("USER NAME")), QStringLiteral("boss"));
    EXPECT_TRUE(db->ParamValue(QStringLiteral("PASSWORD")).isEmpty());
    EXPECT_FALSE(db->Params().join(QLatin1Char(' ')).contains(QStringLiteral("s3cret")));

    // Without the prompt the PASSWORD of Params is used and no dialog appears.
    auto quiet = MakeDatabase(QStringLiteral("quiet"), QStringLiteral("SECURE"));
    quiet->LoginPrompt = false;
    quiet->SetParamValue(QStringLiteral("PASSWORD"), QStringLiteral("pw"));
    quiet->Connect();
    EXPECT_TRUE(quiet->Connected());
    EXPECT_EQ(ScriptedPrompts::instance().logins().size(), 1);
}

TEST(Engine, UnknownAliasAndClosedObjectsFailClearly) {
    AliasFile aliases;
    aliases.add(QStringLiteral("ONLY"),
                {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                 {QStringLiteral("PATH"), QStringLiteral("/nonexistent/dir/x.db")}});
    aliases.write();
    auto db = MakeDatabase(QStringLiteral("dbFrom"), QStringLiteral("NOPE"));
    EXPECT_THROW(db->Connect(), EDBEngineError);
    EXPECT_FALSE(db->Connected());
    db->SetAliasName(QStringLiteral("ONLY"));
    try {
        db->Connect();
        FAIL() << "a missing database file was opened";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("/nonexistent/dir/x.db")))
            << e.message().toStdString();
    }
    // A table of a connection that never had an alias asks for a database named like it.
    auto never = MakeDatabase(QStringLiteral("dbTo"), QString());
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("X"));
    try {
        t->OpenTable();
        FAIL() << "opened a table without a database";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("'dbTo'"))) << e.message().toStdString();
    }
    EXPECT_FALSE(t->Active());
    EXPECT_THROW(t->CurrentBookmark(), EDatabaseError);
    EXPECT_THROW(t->CommitPendingUpdates(), EDatabaseError);
    t->CancelPendingUpdates();  // shows nothing on a closed table
}

TEST(Engine, APathThatIsNoRegularFileIsRefused) {
    QTemporaryDir dir;
    for (const QString& path :
         {QStringLiteral("/dev/null"), QStringLiteral("/dev/zero"), dir.path()}) {
        AliasFile aliases;
        aliases.add(QStringLiteral("ODD"), {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                                            {QStringLiteral("PATH"), path}});
        aliases.write();
        auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("ODD"));
        try {
            db->Connect();
            ADD_FAILURE() << path.toStdString() << " opened as a database";
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(e.message().contains(path) &&
                        e.message().contains(QStringLiteral("not a regular file")))
                << e.message().toStdString();
        }
        EXPECT_FALSE(db->Connected());
    }
}

TEST(Engine, ResumingControlsTellsWhatChanged) {
    QTemporaryDir dir;
    AliasFile aliases;
    QFile(dir.filePath(QStringLiteral("s.db"))).open(QIODevice::WriteOnly);
    aliases.add(QStringLiteral("S"),
                {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                 {QStringLiteral("PATH"), dir.filePath(QStringLiteral("s.db"))}});
    aliases.write();
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("S"));
    db->Connect();
    db->ExecuteStatement(QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY)"));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("T"));
    QStringList signals_;
    QObject::connect(t.get(), &TTable::activeChanged,
                     [&] { signals_ << QStringLiteral("active"); });
    QObject::connect(t.get(), &TTable::rowsChanged, [&] { signals_ << QStringLiteral("rows"); });
    QObject::connect(t.get(), &TTable::currentChanged,
                     [&] { signals_ << QStringLiteral("current"); });

    t->SuspendControls();
    t->SuspendControls();
    t->OpenTable();
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(1);
    t->PostRecord();
    t->ResumeControls();
    EXPECT_TRUE(signals_.isEmpty());
    t->ResumeControls();
    EXPECT_EQ(signals_, QStringList({"active"}));  // closed at suspension: no rows message
    t->ResumeControls();                           // at zero: nothing
    signals_.clear();

    t->SuspendControls();
    t->MoveFirst();
    t->ResumeControls();
    EXPECT_EQ(signals_, QStringList({"rows"}));
}

}  // namespace

TEST(Engine, SqliteDateTextInTheUsersFormatIsThatDateAndChangesAsOne) {
    QTemporaryDir dir;
    AliasFile aliases;
    aliases.add(QStringLiteral("D"),
                {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                 {QStringLiteral("PATH"), writeFile(dir, QStringLiteral("d.db"), QByteArray())}});
    aliases.write();
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("D"));
    db->Connect();
    // As a script in the Ansi dialect writes them: the user's short date and long time formats.
    db->ExecuteStatement(
        QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, DAY DATE, STAMP DATETIME)"));
    db->ExecuteStatement(
        QStringLiteral("INSERT INTO T VALUES (1, '29/02/2024', '31/12/1999 23:59:58')"));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("T"));
    t->OpenTable();
    EXPECT_EQ(t->FieldAt(1)->Value(), QVariant(QDate(2024, 2, 29)));
    EXPECT_EQ(t->FieldAt(2)->Value(),
              QVariant::fromValue(TimeStamp{QDate(1999, 12, 31), 86398 * UsecPerSecond, 0, false}));
    t->StartEdit();
    t->FieldAt(1)->WriteText(QStringLiteral("01/03/2024"));
    t->FieldAt(2)->WriteText(QStringLiteral("01/01/2000 00:00:01"));
    t->PostRecord();
    t->CommitPendingUpdates();
    t->CloseTable();
    t->OpenTable();
    EXPECT_EQ(t->FieldAt(1)->Value(), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(t->FieldAt(2)->Value(),
              QVariant::fromValue(TimeStamp{QDate(2000, 1, 1), UsecPerSecond, 0, false}));
}

TEST(Engine, SqliteDecimalsReadAsTheShortestDigitsOfTheDoubleSqliteHolds) {
    QTemporaryDir dir;
    AliasFile aliases;
    aliases.add(QStringLiteral("D"),
                {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                 {QStringLiteral("PATH"), writeFile(dir, QStringLiteral("d.db"), QByteArray())}});
    aliases.write();
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("D"));
    db->Connect();
    db->ExecuteStatement(
        QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, AMOUNT NUMERIC(12,2))"));
    // Stored as REAL or INTEGER by the column's affinity; SQLite's own text of a REAL has 15
    // digits, which may stand for another double.
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("12345.67"), QStringLiteral("12345.67")},
        {QStringLiteral("-98765.43"), QStringLiteral("-98765.43")},
        {QStringLiteral("'7.50'"), QStringLiteral("7.5")},
        {QStringLiteral("5.0"), QStringLiteral("5")},
        {QStringLiteral("-0.0"), QStringLiteral("0")},
        {QStringLiteral("0.05"), QStringLiteral("0.05")},
        {QStringLiteral("0.000001"), QStringLiteral("0.000001")},
        {QStringLiteral("1.5e-7"), QStringLiteral("0.00000015")},
        {QStringLiteral("0.1 + 0.2"), QStringLiteral("0.30000000000000004")},
        {QStringLiteral("2 / 3.0"), QStringLiteral("0.6666666666666666")},
        {QStringLiteral("12345678901234.5678"), QStringLiteral("12345678901234.568")},
        {QStringLiteral("123456789012.34"), QStringLiteral("123456789012.34")},
        {QStringLiteral("1e20"), QStringLiteral("100000000000000000000")},
        {QStringLiteral("9007199254740993"), QStringLiteral("9007199254740993")},
    };
    for (int i = 0; i < cases.size(); ++i)
        db->ExecuteStatement(
            QStringLiteral("INSERT INTO T VALUES (%1, %2)").arg(i).arg(cases[i].first));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("T"));
    t->OpenTable();
    for (const auto& [stored, shown] : cases) {
        EXPECT_EQ(t->FieldAt(1)->Value(), QVariant(shown)) << stored.toStdString();
        t->MoveNext();
    }
}

QVariant stampOf(int i) {
    // Fractions of every width: none, milliseconds, microseconds.
    return QVariant::fromValue(
        TimeStamp{QDate(2026, 1, 1 + i), 10 * 3600 * UsecPerSecond + i * 250001, 0, false});
}

TEST(Engine, SqliteRowsOfOneCommitKeepTheirOwnValues) {
    // A commit binds each row's values in place of the row before's.
    QTemporaryDir dir;
    AliasFile aliases;
    aliases.add(QStringLiteral("D"),
                {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                 {QStringLiteral("PATH"), writeFile(dir, QStringLiteral("d.db"), QByteArray())}});
    aliases.write();
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("D"));
    db->Connect();
    db->ExecuteStatement(QStringLiteral(
        "CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), STAMP TIMESTAMP, NOTE CLOB, "
        "DATA BLOB)"));
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("T"));
    t->OpenTable();
    const QStringList names = {QStringLiteral("a longer name"), QStringLiteral("short"),
                               QString::fromUtf8("\u00c4rger"), QString()};
    const QList<QByteArray> notes = {"first note", QByteArray("\xc3\xa9t\xc3\xa9"), "n", "x"};
    for (int i = 0; i < names.size(); ++i) {
        t->StartInsert();
        t->FieldAt(0)->SetValue(QVariant(qlonglong(i)));
        t->FieldAt(1)->SetValue(names[i].isNull() ? QVariant() : QVariant(names[i]));
        t->FieldAt(2)->SetValue(stampOf(i));
        t->FieldAt(3)->SetValue(QVariant(notes[i]));
        t->FieldAt(4)->SetValue(QVariant(QByteArray(3 - i % 3, char('A' + i))));
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    t->CloseTable();
    t->OpenTable();
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(t->FieldAt(1)->Value(), names[i].isNull() ? QVariant() : QVariant(names[i])) << i;
        EXPECT_EQ(t->FieldAt(2)->Value(), stampOf(i)) << i;
        EXPECT_EQ(t->FieldAt(3)->Value(), QVariant(notes[i])) << i;
        EXPECT_EQ(t->FieldAt(4)->Value(), QVariant(QByteArray(3 - i % 3, char('A' + i)))) << i;
        t->MoveNext();
    }
}
