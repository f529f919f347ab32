#pragma once

#include "data/TDatabase.h"
#include "data/TTable.h"

#include <QTemporaryDir>
#include <memory>

// A small SQLite database in a temporary folder, reached through an alias of its own, with the
// tables opened the way the main window opens them.
class GridTestDatabase {
public:
    GridTestDatabase();
    ~GridTestDatabase();

    void exec(const QString& sql);
    // A table of one text column `name` (key `id`), with the given values in key order.
    void createNames(const QString& table, const QStringList& names);
    // A table (id, name, amount) with `count` rows: id i, name "Row i", amount i * 1.5.
    void createNumbered(const QString& table, int count);

    // Read-only, as the source side opens it.
    std::unique_ptr<TTable> openSource(const QString& table);
    // Cached updates with update mode upWhereChanged, as the target side opens it.
    std::unique_ptr<TTable> openTarget(const QString& table);

    TDatabase& database() { return m_database; }

private:
    QTemporaryDir m_dir;
    QString m_alias;
    TDatabase m_database;
};
