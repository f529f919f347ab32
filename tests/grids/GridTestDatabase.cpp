#include "tests/grids/GridTestDatabase.h"

#include "data/TSession.h"

#include <QFile>
#include <QTextStream>

GridTestDatabase::GridTestDatabase() {
    static int serial = 0;
    m_alias = QStringLiteral("GRIDS%1").arg(++serial);
    const QString dbPath = m_dir.filePath(QStringLiteral("grids.db"));
    QFile(dbPath).open(QIODevice::WriteOnly);
    const QString aliasPath = m_dir.filePath(QStringLiteral("aliases.conf"));
    QFile aliases(aliasPath);
    aliases.open(QIODevice::WriteOnly | QIODevice::Text);
    QTextStream(&aliases) << "[" << m_alias << "]\nDRIVER=SQLITE\nPATH=" << dbPath << "\n";
    aliases.close();
    qputenv("ROWCART_ALIASES", aliasPath.toUtf8());
    TSession::ReloadAliases();

    m_database.SetDatabaseName(m_alias);
    m_database.SetSessionName(QStringLiteral("Default"));
    m_database.SetAliasName(m_alias);
    m_database.LoginPrompt = false;
    m_database.Connect();
}

GridTestDatabase::~GridTestDatabase() {
    m_database.Disconnect();
}

void GridTestDatabase::exec(const QString& sql) {
    m_database.ExecuteStatement(sql);
}

void GridTestDatabase::createNames(const QString& table, const QStringList& names) {
    exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(40))").arg(table));
    QString sql = QStringLiteral("BEGIN;");
    for (int i = 0; i < names.size(); ++i) {
        QString name = names[i];
        sql += QStringLiteral("INSERT INTO %1 VALUES (%2, '%3');")
                   .arg(table)
                   .arg(i + 1)
                   .arg(name.replace(QLatin1Char('\''), QStringLiteral("''")));
    }
    exec(sql + QStringLiteral("COMMIT;"));
}

void GridTestDatabase::createNumbered(const QString& table, int count) {
    exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE)")
             .arg(table));
    exec(QStringLiteral(
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
             "INSERT INTO %1 SELECT i, 'Row ' || i, i * 1.5 FROM n")
             .arg(table)
             .arg(count));
}

std::unique_ptr<TTable> GridTestDatabase::openSource(const QString& table) {
    auto result = std::make_unique<TTable>();
    result->SetDatabaseName(m_alias);
    result->SetTableName(table);
    result->SetReadOnly(true);
    result->OpenTable();
    return result;
}

std::unique_ptr<TTable> GridTestDatabase::openTarget(const QString& table) {
    auto result = std::make_unique<TTable>();
    result->SetDatabaseName(m_alias);
    result->SetTableName(table);
    result->SetCachedUpdates(true);
    result->SetUpdateMode(upWhereChanged);
    result->OpenTable();
    return result;
}
