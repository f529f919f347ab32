#include "tests/support/PgTestServer.h"

#include "data/KeyCodec.h"
#include "data/postgres/PgDriver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>

namespace PgTestServer {

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

std::unique_ptr<DriverConnection> admin() {
    return open(aliasKeys(QStringLiteral("postgres")));
}

class SharedDatabase : public ::testing::Environment {
public:
    void TearDown() override {
        if (name.isEmpty())
            return;
        try {
            admin()->executeStatement(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quoted(name)), {});
        } catch (const std::exception&) {
            // A cluster that is already gone takes the database with it.
        }
    }
    QString name;
};

SharedDatabase* shared() {
    static SharedDatabase* environment =
        static_cast<SharedDatabase*>(::testing::AddGlobalTestEnvironment(new SharedDatabase));
    return environment;
}

}  // namespace

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool available() {
    return !env("ROWCART_PG_PORT").isEmpty();
}

QMap<QString, QString> aliasKeys(const QString& database) {
    return {{QStringLiteral("DRIVER"), QStringLiteral("POSTGRES")},
            {QStringLiteral("SERVER NAME"), env("ROWCART_PG_HOST")},
            {QStringLiteral("PORT"), env("ROWCART_PG_PORT")},
            {QStringLiteral("DATABASE NAME"), database},
            {QStringLiteral("USER NAME"), env("ROWCART_PG_USER")}};
}

QMap<QString, QString> createDatabase(const QString& tag) {
    static int count = 0;
    const QString name = QStringLiteral("rowcart_%1_%2_%3")
                             .arg(tag.left(30))
                             .arg(QCoreApplication::applicationPid())
                             .arg(++count);
    admin()->executeStatement(QStringLiteral("CREATE DATABASE %1").arg(quoted(name)), {});
    return aliasKeys(name);
}

const QString& sharedDatabase() {
    SharedDatabase* environment = shared();
    if (environment->name.isEmpty())
        environment->name = createDatabase(QStringLiteral("pgtests")).value("DATABASE NAME");
    return environment->name;
}

std::unique_ptr<DriverConnection> open(const QMap<QString, QString>& keys, bool readOnly) {
    ConnectRequest request;
    request.aliasName = QStringLiteral("PGTEST");
    request.params = keys;
    request.userName = keys.value(QStringLiteral("USER NAME"));
    request.readOnly = readOnly;
    return OpenPostgresConnection(request);
}

}  // namespace PgTestServer

void PgTest::SetUp() {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL server (ROWCART_PG_PORT is not set)";
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Names longer than 63 bytes are cut by the server; a serial keeps cut names apart.
    static int serial = 0;
    m_schema =
        QStringLiteral("%1.%2")
            .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name()))
            .left(50) +
        QStringLiteral("#%1").arg(++serial);
    m_keys = PgTestServer::aliasKeys(PgTestServer::sharedDatabase());
    PgTestServer::open(m_keys)->executeStatement(
        QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
            .arg(PgTestServer::quoted(m_schema)),
        {});
    m_keys.insert(QStringLiteral("OPTIONS"),
                  QStringLiteral("-c search_path=%1").arg(PgTestServer::quoted(m_schema)));
    m_conn = connectAgain();
}

void PgTest::TearDown() {
    m_conn.reset();
}

std::unique_ptr<DriverConnection> PgTest::connectAgain(bool readOnly) const {
    return PgTestServer::open(m_keys, readOnly);
}

QString PgTest::serverText(const QString& table, const QString& expression, const QString& where) {
    // Read through a one-row view, so that the driver's own reading of text is all that is
    // involved.
    const QString view = QStringLiteral("probe_%1").arg(++m_probes);
    exec(QStringLiteral("CREATE VIEW %1 AS SELECT (%2)::text AS t FROM %3 WHERE %4")
             .arg(view, expression, PgTestServer::quoted(table), where));
    const std::vector<FetchedRow> rows = ReadAll(*m_conn, view);
    exec(QStringLiteral("DROP VIEW %1").arg(view));
    if (rows.size() != 1)
        throw std::runtime_error("serverText: expected exactly one row");
    return rows[0].values[0].toString();
}

std::vector<FetchedRow> ReadAll(DriverConnection& conn, const QString& table) {
    auto cursor = conn.openTable(table, true);
    std::vector<FetchedRow> all;
    QByteArray last;
    for (;;) {
        std::vector<FetchedRow> rows = cursor->fetchFrom(last, false, 500);
        if (rows.empty())
            return all;
        // A walk that does not advance would never end.
        if (!last.isEmpty() && KeyCodec::compare(rows.front().key, last) <= 0)
            throw std::runtime_error("ReadAll: the rows after a bookmark did not come after it");
        last = rows.back().key;
        for (FetchedRow& row : rows)
            all.push_back(std::move(row));
    }
}

PendingChange InsertOf(const Row& values) {
    PendingChange change;
    change.kind = PendingChange::Insert;
    change.values = values;
    return change;
}

PendingChange ModifyOf(const FetchedRow& row, const Row& values) {
    PendingChange change;
    change.kind = PendingChange::Modify;
    change.key = row.key;
    change.original = row.values;
    change.values = values;
    return change;
}

PendingChange DeleteOf(const FetchedRow& row) {
    PendingChange change;
    change.kind = PendingChange::Delete;
    change.key = row.key;
    change.original = row.values;
    return change;
}

std::vector<const PendingChange*> Pointers(const std::vector<PendingChange>& changes) {
    std::vector<const PendingChange*> pointers;
    for (const PendingChange& change : changes)
        pointers.push_back(&change);
    return pointers;
}
