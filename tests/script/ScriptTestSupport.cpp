#include "tests/script/ScriptTestSupport.h"

#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "grids/RecordGrid.h"
#include "script/uSQL.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/SettingsStore.h"
#include "settings/uSetup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

ScriptTestDatabase::ScriptTestDatabase() {
    QFile(path()).open(QIODevice::WriteOnly);
    const QString aliases = m_dir.filePath(QStringLiteral("aliases.conf"));
    QFile file(aliases);
    file.open(QIODevice::WriteOnly | QIODevice::Text);
    file.write(QStringLiteral("[SRC]\nDRIVER=SQLITE\nPATH=%1\n").arg(path()).toUtf8());
    file.close();
    qputenv("ROWCART_ALIASES", aliases.toUtf8());
    TSession::ReloadAliases();
    m_database = std::make_unique<TDatabase>();
    m_database->SetDatabaseName(QStringLiteral("scriptdb"));
    m_database->SetAliasName(QStringLiteral("SRC"));
    m_database->LoginPrompt = false;
    m_database->Connect();
}

ScriptTestDatabase::~ScriptTestDatabase() {
    m_database->Disconnect();
    TSession::ReloadAliases();
}

QString ScriptTestDatabase::path() const {
    return m_dir.filePath(QStringLiteral("source.db"));
}

void ScriptTestDatabase::exec(const QString& sql) {
    m_database->ExecuteStatement(sql);
}

std::unique_ptr<TTable> ScriptTestDatabase::open(const QString& table) {
    auto result = std::make_unique<TTable>();
    result->SetDatabaseName(QStringLiteral("scriptdb"));
    result->SetTableName(table);
    result->SetReadOnly(true);
    result->OpenTable();
    return result;
}

void ScriptWindowFixture::SetUp() {
    m_locale = std::make_unique<ScopedLocale>(QLocale(QLocale::German, QLocale::Switzerland));
    m_db = std::make_unique<ScriptTestDatabase>();
    QDir(SettingsStore::configFolder() + QStringLiteral("/Quorvex")).removeRecursively();
    prompts().reset();
    m_window = std::make_unique<TfMain>();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
}

void ScriptWindowFixture::TearDown() {
    m_window.reset();
    EXPECT_TRUE(prompts().allAnswersUsed());
    prompts().reset();
    m_db.reset();
    m_locale.reset();
}

void ScriptWindowFixture::openSource(const QString& table, const QString& target) {
    const MainLayout& c = window().controls();
    c.eFromAlias->setEditText(QStringLiteral("SRC"));
    window().actionList().aFromConnect->trigger();
    c.eFromTable->setEditText(table);
    window().actionList().aFromReopen->trigger();
    ASSERT_TRUE(window().tFrom().Active());
    c.dbgFrom->selectAllRows();
    c.eToTable->setEditText(target);
}

void ScriptWindowFixture::setDialect(int index) {
    window()
        .fSetup()
        ->findChild<QComboBox*>(QStringLiteral("eSQLLanguage"))
        ->setCurrentIndex(index);
}

void ScriptWindowFixture::setDivider(const QString& divider) {
    window().fSetup()->findChild<QLineEdit*>(QStringLiteral("eScriptDevider"))->setText(divider);
}

void ScriptWindowFixture::setAutoCommit(bool on, int interval) {
    window().fSetup()->findChild<QCheckBox*>(QStringLiteral("cbAutoCommit"))->setChecked(on);
    window()
        .fSetup()
        ->findChild<IntegerSpinEdit*>(QStringLiteral("eAutoCommit"))
        ->setValue(interval);
}

void ScriptWindowFixture::generate() {
    prompts().answerDialog(1);
    window().actionList().aGenerateSQL->trigger();
}

QStringList ScriptWindowFixture::lines() {
    QStringList result;
    for (int i = 0; i < sql().LineCount(); ++i)
        result.append(sql().WholeLineAt(i));
    return result;
}
