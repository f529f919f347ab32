#pragma once

#include "data/Driver.h"

#include <QStringList>
#include <QVector>

// The engines whose statements differ where a copy creates tables and writes rows.
enum class SqlEngine { SQLite, PostgreSQL, MySQL, Other };

// A table's structure as its engine declares it: enough to create the table in another
// database. Columns carry their declared type and NOT NULL; keys and indexes name columns.
struct TableStructure {
    struct UniqueIndex {
        QString name;
        QStringList columns;
    };
    struct ForeignKey {
        QString name;
        QStringList columns;
        QString table;
        QStringList referencedColumns;
    };

    QString name;
    QVector<ColumnInfo> columns;
    QStringList primaryKey;
    QVector<UniqueIndex> uniqueIndexes;  // besides the primary key
    QVector<ForeignKey> foreignKeys;
};
