#include "tests/data/EngineFixture.h"

#include "data/TField.h"
#include "data/TSession.h"

#include <QFile>
#include <QTextStream>

AliasFile::AliasFile() = default;

AliasFile::~AliasFile() {
    qunsetenv("ROWCART_ALIASES");
    TSession::ReloadAliases();
}

void AliasFile::add(const QString& alias, const QMap<QString, QString>& keys) {
    m_text += QStringLiteral("[%1]\n").arg(alias);
    for (auto it = keys.begin(); it != keys.end(); ++it)
        m_text += it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n');
    m_text += QLatin1Char('\n');
}

QString AliasFile::path() const {
    return m_dir.filePath(QStringLiteral("aliases.conf"));
}

void AliasFile::write() {
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw std::runtime_error("cannot write alias file");
    file.write(m_text.toUtf8());
    file.close();
    qputenv("ROWCART_ALIASES", path().toUtf8());
    TSession::ReloadAliases();
}

std::unique_ptr<TDatabase> MakeDatabase(const QString& databaseName, const QString& alias,
                                        const QString& session) {
    auto db = std::make_unique<TDatabase>();
    db->SetDatabaseName(databaseName);
    db->SetSessionName(session);
    db->SetAliasName(alias);
    return db;
}

std::unique_ptr<TTable> MakeTable(const QString& databaseName, const QString& tableName,
                                  const QString& session) {
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(databaseName);
    table->SetSessionName(session);
    table->SetTableName(tableName);
    table->SetCachedUpdates(true);
    table->SetUpdateMode(upWhereChanged);
    return table;
}

std::string HarnessName(const ::testing::TestParamInfo<std::shared_ptr<DriverHarness>>& info) {
    return info.param->name().toStdString();
}

void DriverContract::SetUp() {
    const QString reason = harness().unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_keys = harness().createDatabase(
        QString::fromLatin1(test->name()).section(QLatin1Char('/'), 0, 0).toLower());
    m_aliases.add(QStringLiteral("T"), m_keys);
    m_aliases.write();
    m_db = MakeDatabase(QStringLiteral("dbTo"), QStringLiteral("T"));
    m_db->Connect();
}

void DriverContract::TearDown() {
    if (m_db && m_db->Connected())
        m_db->Disconnect();
}

QString DriverContract::quoted(const QString& identifier) const {
    return QLatin1Char('"') +
           QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void DriverContract::createTable(const QString& table,
                                 const QList<QPair<QString, QString>>& columns,
                                 const QStringList& primaryKey) {
    QStringList parts;
    for (const auto& column : columns)
        parts.append(quoted(column.first) + QLatin1Char(' ') + harness().columnType(column.second));
    if (!primaryKey.isEmpty()) {
        QStringList keys;
        for (const QString& key : primaryKey)
            keys.append(quoted(key));
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", "))));
    }
    m_db->ExecuteStatement(QStringLiteral("CREATE TABLE %1 (%2)")
                               .arg(quoted(table), parts.join(QStringLiteral(", "))));
}

void DriverContract::createItems(const QString& table, const QList<int>& ids) {
    createTable(table,
                {{QStringLiteral("ID"), QStringLiteral("INTEGER")},
                 {QStringLiteral("NAME"), QStringLiteral("VARCHAR(40)")},
                 {QStringLiteral("QTY"), QStringLiteral("INTEGER")}},
                {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), table);
    t->OpenTable();
    for (int id : ids) {
        t->StartInsert();
        t->FieldAt(0)->WriteNumber(id);
        t->FieldAt(1)->WriteText(QStringLiteral("item %1").arg(id));
        t->FieldAt(2)->WriteNumber(id * 10);
        t->PostRecord();
    }
    t->CommitPendingUpdates();
    t->CloseTable();
}

QStringList DriverContract::columnTexts(const QString& table, const QString& column) {
    auto t = MakeTable(QStringLiteral("dbTo"), table);
    t->OpenTable();
    QStringList texts;
    TField* field = t->RequireField(column);
    for (t->MoveFirst(); !t->AtEnd(); t->MoveNext())
        texts.append(field->ReadText());
    t->CloseTable();
    return texts;
}
