#include "tests/script/ScriptTarget.h"

#include "data/TSession.h"
#include "tests/support/PgTestServer.h"

#include <QFile>

QString ScriptTarget::unavailableReason(const QString& driver) {
    if (driver == QLatin1String("PostgreSQL") && !PgTestServer::available())
        return QStringLiteral("no PostgreSQL server (ROWCART_PG_PORT is not set)");
    return QString();
}

ScriptTarget::ScriptTarget(const QString& driver) {
    if (driver == QLatin1String("SQLite")) {
        const QString path = m_dir.filePath(QStringLiteral("target.db"));
        QFile(path).open(QIODevice::WriteOnly);
        m_keys = {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                  {QStringLiteral("PATH"), path}};
    } else {
        static int serial = 0;
        const QString schema = QStringLiteral("script_%1").arg(++serial);
        m_keys = PgTestServer::aliasKeys(PgTestServer::sharedDatabase());
        PgTestServer::open(m_keys)->executeStatement(
            QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema), {});
        m_keys.insert(QStringLiteral("OPTIONS"), QStringLiteral("-c search_path=") + schema +
                                                     QStringLiteral(" -c datestyle=ISO,DMY"));
    }
    QString text = QStringLiteral("[TARGET]\n");
    for (auto it = m_keys.begin(); it != m_keys.end(); ++it)
        text += it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n');
    QFile file(m_dir.filePath(QStringLiteral("aliases.conf")));
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    qputenv("ROWCART_ALIASES", file.fileName().toUtf8());
    TSession::ReloadAliases();

    m_db = std::make_unique<TDatabase>();
    m_db->SetDatabaseName(QStringLiteral("dbTo"));
    m_db->SetAliasName(QStringLiteral("TARGET"));
    // The test server trusts loopback connections: no login dialog.
    m_db->LoginPrompt = false;
}

ScriptTarget::~ScriptTarget() {
    m_db.reset();
    qunsetenv("ROWCART_ALIASES");
    TSession::ReloadAliases();
}

std::vector<FetchedRow> ScriptTarget::committedRows(const QString& table) {
    ConnectRequest request;
    request.aliasName = QStringLiteral("TARGET");
    request.params = m_keys;
    request.userName = m_keys.value(QStringLiteral("USER NAME"));
    return OpenDriverConnection(request)->openTable(table, true)->fetchAt(0, 1000000);
}

QStringList ScriptTarget::committedColumn(const QString& table, int column) {
    QStringList values;
    for (const FetchedRow& row : committedRows(table))
        values << row.values.at(column).toString();
    return values;
}

void ScriptDriverTest::SetUp() {
    const QString reason = ScriptTarget::unavailableReason(GetParam());
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    m_target = std::make_unique<ScriptTarget>(GetParam());
}
