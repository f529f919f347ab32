#include "data/Exceptions.h"
#include "tests/support/PgTestServer.h"

namespace {

using PgConnect = PgTest;

EDBEngineError connectFailure(const QMap<QString, QString>& keys,
                              const QString& password = QString()) {
    ConnectRequest request;
    request.params = keys;
    request.password = password;
    try {
        OpenDriverConnection(request);
    } catch (const EDBEngineError& e) {
        return e;
    }
    ADD_FAILURE() << "the connection was made";
    return EDBEngineError(QString(), QString());
}

TEST_F(PgConnect, RefusalsCarryTheServersOrLibpqsMessage) {
    EXPECT_TRUE(m_conn->isSqlServer());

    QMap<QString, QString> keys = m_keys;
    keys.insert(QStringLiteral("DATABASE NAME"), QStringLiteral("no_such_database"));
    EDBEngineError e = connectFailure(keys, QStringLiteral("s3cret-word"));
    EXPECT_TRUE(e.message().contains(QLatin1String("\"no_such_database\" does not exist")))
        << e.message().toStdString();
    EXPECT_FALSE(e.message().contains(QLatin1String("s3cret-word")));
    EXPECT_FALSE(e.connectionUsable());

    // A database name is only ever a name, never a connection string.
    keys.insert(QStringLiteral("DATABASE NAME"), QStringLiteral("dbname=postgres"));
    e = connectFailure(keys);
    EXPECT_TRUE(e.message().contains(QLatin1String("\"dbname=postgres\" does not exist")))
        << e.message().toStdString();

    // A port nobody listens on.
    const int port = PgTestServer::freeLoopbackPort();
    keys = m_keys;
    keys.insert(QStringLiteral("PORT"), QString::number(port));
    e = connectFailure(keys);
    EXPECT_TRUE(e.message().contains(QLatin1String("refused"))) << e.message().toStdString();
    EXPECT_FALSE(e.message().contains(QLatin1Char('\t')));
}

TEST_F(PgConnect, TheLoginsUserNameOverridesTheAliasOne) {
    ConnectRequest request;
    request.params = m_keys;
    request.params.insert(QStringLiteral("USER NAME"), QStringLiteral("nobody_here"));
    EXPECT_THROW(OpenDriverConnection(request), EDBEngineError);
    request.userName = m_keys.value(QStringLiteral("USER NAME"));
    EXPECT_NO_THROW(OpenDriverConnection(request));
}

}  // namespace
