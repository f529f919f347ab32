#pragma once

#include "data/Driver.h"
#include "data/TDatabase.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <memory>

// A target connection "dbTo" in the default session on an empty database of one driver
// ("SQLite", or "PostgreSQL" with a schema of the test's own and a day-month-year date style),
// named by an alias file of the test's own.
class ScriptTarget {
public:
    static QString unavailableReason(const QString& driver);

    explicit ScriptTarget(const QString& driver);
    ~ScriptTarget();

    TDatabase& db() { return *m_db; }
    // What another connection sees: committed rows only, in the table's record order.
    std::vector<FetchedRow> committedRows(const QString& table);
    QStringList committedColumn(const QString& table, int column);

private:
    QTemporaryDir m_dir;
    QMap<QString, QString> m_keys;
    std::unique_ptr<TDatabase> m_db;
};

// Runs each test on every driver the machine has.
class ScriptDriverTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override;
    void TearDown() override { m_target.reset(); }

    TDatabase& db() { return m_target->db(); }
    ScriptTarget& target() { return *m_target; }

    std::unique_ptr<ScriptTarget> m_target;
};
