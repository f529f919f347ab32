#include "data/Exceptions.h"
#include "data/TField.h"
#include "tests/data/EngineFixture.h"
#include "tests/data/odbc/LoopbackProxy.h"
#include "tests/data/odbc/OdbcTestSupport.h"

namespace {

// The connection to MariaDB goes down half way through writing a pending store: nothing of it
// is written, the store stays as it was, and the error says the connection is lost.
TEST(OdbcFault, ServerGoneInTheMiddleOfACommit) {
    const QString reason = OdbcTestSupport::mariadbUnavailable();
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    const QMap<QString, QString> direct = OdbcTestSupport::mariadbKeys(QStringLiteral("fault"));
    LoopbackProxy proxy(qEnvironmentVariable("ROWCART_MARIADB_PORT").toInt());
    QMap<QString, QString> relayed = direct;
    relayed[QStringLiteral("CONNECTION")].replace(
        QStringLiteral("Port=") + qEnvironmentVariable("ROWCART_MARIADB_PORT"),
        QStringLiteral("Port=") + QString::number(proxy.port()));
    AliasFile aliases;
    aliases.add(QStringLiteral("DIRECT"), direct);
    aliases.add(QStringLiteral("RELAYED"), relayed);
    aliases.write();

    auto check = MakeDatabase(QStringLiteral("check"), QStringLiteral("DIRECT"));
    check->Connect();
    check->ExecuteStatement(QStringLiteral(
        "CREATE TABLE \"ITEMS\" (\"ID\" INTEGER PRIMARY KEY, \"NAME\" VARCHAR(200))"));
    auto db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("RELAYED"));
    db->Connect();
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("ITEMS"));
    t->OpenTable();
    const int rows = 5000;
    for (int id = 1; id <= rows; ++id) {
        t->StartInsert();
        t->FieldAt(0)->WriteNumber(id);
        t->FieldAt(1)->WriteText(QStringLiteral("row %1 ").arg(id).repeated(8));
        t->PostRecord();
    }
    proxy.cutAfter(100000);
    try {
        t->CommitPendingUpdates();
        FAIL() << "the commit reported success over a cut connection";
    } catch (const EDBEngineError& e) {
        EXPECT_FALSE(e.connectionUsable()) << e.message().toStdString();
    }
    EXPECT_TRUE(proxy.hasCut());
    EXPECT_TRUE(t->HasPendingUpdates());

    auto count = MakeTable(QStringLiteral("check"), QStringLiteral("ITEMS"));
    count->OpenTable();
    EXPECT_EQ(count->RecordCount(), 0);
}

}  // namespace
