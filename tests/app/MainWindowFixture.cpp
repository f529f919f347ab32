#include "tests/app/MainWindowFixture.h"

#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTest>

void MainWindowFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    qputenv("ROWCART_ALIASES", aliasFile().toUtf8());
    TSession::ReloadAliases();
    TSession::Aliases();  // creates DEMO and WORK beside the alias file
    QFile file(aliasFile());
    ASSERT_TRUE(file.open(QIODevice::Append | QIODevice::Text));
    file.write("\n[SECURE]\nDRIVER=SQLITE\nPATH=work.db\nUSER NAME=someone\n");
    file.close();
    TSession::ReloadAliases();

    // Every test starts like a first run, without what an earlier window stored at its close.
    QDir(SettingsStore::configFolder() + QStringLiteral("/Quorvex")).removeRecursively();
    prompts().reset();
    m_window = std::make_unique<TfMain>();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
}

void MainWindowFixture::TearDown() {
    m_window.reset();
    EXPECT_TRUE(prompts().allAnswersUsed());
    prompts().reset();
    TSession::ReloadAliases();
}

QString MainWindowFixture::aliasFile() const {
    return m_dir.filePath(QStringLiteral("aliases.conf"));
}

void MainWindowFixture::connectSource(const QString& alias) {
    c().eFromAlias->setEditText(alias);
    a().aFromConnect->trigger();
}

void MainWindowFixture::connectTarget(const QString& alias) {
    c().eToAlias->setEditText(alias);
    a().aToConnect->trigger();
}

void MainWindowFixture::openSource(const QString& table) {
    c().eFromTable->setEditText(table);
    a().aFromReopen->trigger();
}

void MainWindowFixture::openTarget(const QString& table) {
    c().eToTable->setEditText(table);
    a().aToReopen->trigger();
}

void MainWindowFixture::openBoth() {
    connectSource(QStringLiteral("DEMO"));
    openSource(QStringLiteral("CUSTOMERS"));
    connectTarget(QStringLiteral("WORK"));
    openTarget(QStringLiteral("CUSTOMERS"));
    ASSERT_TRUE(window().tFrom().Active());
    ASSERT_TRUE(window().tTo().Active());
}

void MainWindowFixture::addPendingCustomer(const QString& name) {
    TTable& table = window().tTo();
    table.StartInsert();
    table.RequireField(QStringLiteral("NAME"))->WriteText(name);
    table.PostRecord();
    ASSERT_TRUE(table.HasPendingUpdates());
}

int MainWindowFixture::storedRows(const QString& alias, const QString& table) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("check"));
    db.SetAliasName(alias);
    TTable t;
    t.SetDatabaseName(QStringLiteral("check"));
    t.SetTableName(table);
    t.OpenTable();
    return static_cast<int>(t.RecordCount());
}
