#include "data/AliasConfig.h"
#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/odbc/OdbcConnectString.h"
#include "tests/data/EngineFixture.h"
#include "tests/data/odbc/OdbcTestSupport.h"
#include "tests/support/ScriptedPrompts.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using namespace OdbcTestSupport;

void writeText(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(text.toUtf8());
}

// The user's data sources come after the alias file's own; the file wins a name clash, and a
// data source alias connects like any other.
TEST(OdbcAliases, UserDataSourcesFollowTheFileAliases) {
    const QString reason = missingDriver(SqliteDriver);
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("dsn.db"));
    QFile(database).open(QIODevice::WriteOnly);
    writeText(dir.filePath(QStringLiteral("odbc.ini")),
              QStringLiteral("[RC_SALES]\nDriver=%1\nDatabase=%2\n\n[WORK]\nDriver=%1\n"
                             "Database=%2\n")
                  .arg(SqliteDriver, database));
    const QByteArray oldIni = qgetenv("ODBCINI");
    qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toUtf8());

    AliasFile aliases;
    aliases.add(QStringLiteral("WORK"), {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                                         {QStringLiteral("PATH"), database}});
    aliases.write();
    QStringList names;
    TSession::Default().ReadAliasList(names);
    ASSERT_GE(names.size(), 2);
    EXPECT_EQ(names.mid(0, 2), QStringList({"WORK", "RC_SALES"}));
    EXPECT_EQ(names.count(QStringLiteral("WORK")), 1);
    EXPECT_EQ(TSession::Aliases().find(QStringLiteral("WORK"))->params.value("DRIVER"),
              QStringLiteral("SQLITE"));

    auto db = MakeDatabase(QStringLiteral("dsnDb"), QStringLiteral("RC_SALES"));
    db->Connect();
    EXPECT_FALSE(db->IsSqlServer());
    db->ExecuteStatement(QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, V TEXT)"));
    db->ExecuteStatement(QStringLiteral("INSERT INTO T VALUES (1, 'via the DSN')"));
    auto t = MakeTable(QStringLiteral("dsnDb"), QStringLiteral("T"));
    t->OpenTable();
    EXPECT_EQ(t->FieldAt(1)->ReadText(), QStringLiteral("via the DSN"));
    t->CloseTable();
    db->Disconnect();

    if (oldIni.isNull())
        qunsetenv("ODBCINI");
    else
        qputenv("ODBCINI", oldIni);
}

// What an alias may say: a DSN or a connection string, never both, never a password.
TEST(OdbcAliases, ConnectionStringRules) {
    struct Case {
        QMap<QString, QString> params;
        QString user, password;
        QString expected;  // the string, or a part of the refusal
        bool refused;
    };
    const Case cases[] = {
        {{{"DSN", "Sales"}}, "", "", "DSN=Sales", false},
        {{{"DSN", "My;DSN"}}, "clerk", "p;w}d", "DSN={My;DSN};UID=clerk;PWD={p;w}}d};", false},
        {{{"CONNECTION", "Driver={X};Server=h"}}, "", "", "Driver={X};Server=h", false},
        {{{"CONNECTION", "Driver={X};Server=h;"}},
         "u",
         " pw",
         "Driver={X};Server=h;UID=u;PWD={ pw};",
         false},
        {{{"CONNECTION", "Driver={X};Pwd=secret"}}, "", "", "holds a password", true},
        {{{"CONNECTION", "Driver={a;PWD=x};Server=h"}}, "", "", "Driver={a;PWD=x};Server=h", false},
        {{{"CONNECTION", "Driver={X}"}, {"DSN", "Y"}}, "", "", "both a DSN and a CONNECTION", true},
        {{}, "", "", "neither a DSN nor a CONNECTION", true},
    };
    for (const Case& c : cases) {
        ConnectRequest request;
        request.aliasName = QStringLiteral("A");
        request.userName = c.user;
        request.password = c.password;
        for (auto it = c.params.begin(); it != c.params.end(); ++it)
            request.params.insert(it.key(), it.value());
        try {
            const QString text = OdbcConnectString(request);
            EXPECT_FALSE(c.refused) << text.toStdString();
            EXPECT_EQ(text, c.expected);
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(c.refused) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(c.expected)) << e.message().toStdString();
        }
    }
}

// USER NAME in the alias: the login dialog asks, and its password reaches the server for this
// connect only; a wrong one fails without the password showing anywhere.
TEST(OdbcAliases, LoginPasswordReachesTheServer) {
    const QString reason = mariadbUnavailable();
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    QMap<QString, QString> keys = mariadbKeys(QStringLiteral("login"));
    const QString password = QStringLiteral("p;a}s{s w0rd");
    {
        AliasFile admin;
        admin.add(QStringLiteral("ADMIN"), keys);
        admin.write();
        auto db = MakeDatabase(QStringLiteral("admin"), QStringLiteral("ADMIN"));
        db->Connect();
        db->ExecuteStatement(QStringLiteral("DROP USER IF EXISTS 'rc_clerk'@'%'"));
        db->ExecuteStatement(
            QStringLiteral("CREATE USER 'rc_clerk'@'%' IDENTIFIED BY 'p;a}s{s w0rd'"));
        db->ExecuteStatement(QStringLiteral("GRANT ALL ON *.* TO 'rc_clerk'@'%'"));
    }
    QString connection = keys.value(QStringLiteral("CONNECTION"));
    connection.replace(QRegularExpression(QStringLiteral("UID=[^;]*;?")), QString());
    keys.insert(QStringLiteral("CONNECTION"), connection);
    keys.insert(QStringLiteral("USER NAME"), QStringLiteral("rc_clerk"));
    AliasFile aliases;
    aliases.add(QStringLiteral("SECURE"), keys);
    aliases.write();

    ScriptedPrompts& prompts = ScriptedPrompts::instance();
    prompts.reset();
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("SECURE"));
    prompts.answerLogin(UserPrompts::Login{QStringLiteral("rc_clerk"), password + "x"});
    try {
        db->Connect();
        ADD_FAILURE() << "a wrong password connected";
    } catch (const EDBEngineError& e) {
        EXPECT_FALSE(e.message().contains(password)) << e.message().toStdString();
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_FALSE(db->Connected());
    prompts.answerLogin(UserPrompts::Login{QStringLiteral("rc_clerk"), password});
    db->Connect();
    EXPECT_TRUE(db->Connected());
    ASSERT_EQ(prompts.logins().size(), 2);
    EXPECT_EQ(prompts.logins().last().second, QStringLiteral("rc_clerk"));
    // The alias configuration never took the password in.
    EXPECT_FALSE(TSession::Aliases()
                     .find(QStringLiteral("SECURE"))
                     ->params.values()
                     .join(QString())
                     .contains(password));
    db->Disconnect();
    prompts.reset();
}

}  // namespace
