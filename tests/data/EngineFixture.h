#pragma once

#include "data/TDatabase.h"
#include "data/TTable.h"
#include "tests/data/DriverHarness.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QTemporaryDir>
#include <memory>

// Points the engine at an alias file of the test's own and builds connections and tables on it.
class AliasFile {
public:
    AliasFile();
    ~AliasFile();
    // Adds an alias section; call write() when done.
    void add(const QString& alias, const QMap<QString, QString>& keys);
    // Writes the file, points ROWCART_ALIASES at it and makes the engine read it again.
    void write();
    QString path() const;

private:
    QTemporaryDir m_dir;
    QString m_text;
};

std::unique_ptr<TDatabase> MakeDatabase(const QString& databaseName, const QString& alias,
                                        const QString& session = QStringLiteral("Default"));
// A table of the target kind: cached updates, located by key and changed columns.
std::unique_ptr<TTable> MakeTable(const QString& databaseName, const QString& tableName,
                                  const QString& session = QStringLiteral("Default"));

// The suite every driver runs: a fresh database with alias "T" per test.
class DriverContract : public ::testing::TestWithParam<std::shared_ptr<DriverHarness>> {
protected:
    void SetUp() override;
    void TearDown() override;

    DriverHarness& harness() const { return *GetParam(); }
    // CREATE TABLE with (name, generic type) columns and a primary key (empty: none).
    void createTable(const QString& table, const QList<QPair<QString, QString>>& columns,
                     const QStringList& primaryKey);
    // A table (ID INTEGER key, NAME VARCHAR(40), QTY INTEGER) holding `ids` in this insert order.
    void createItems(const QString& table, const QList<int>& ids);
    QString quoted(const QString& identifier) const;
    // Values of one column in record order, read through a fresh table.
    QStringList columnTexts(const QString& table, const QString& column);

    AliasFile m_aliases;
    QMap<QString, QString> m_keys;
    std::unique_ptr<TDatabase> m_db;
};

std::string HarnessName(const ::testing::TestParamInfo<std::shared_ptr<DriverHarness>>& info);
