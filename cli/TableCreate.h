#pragma once

#include "cli/CommandLineJobs.h"
#include "data/TableStructure.h"

#include <QSet>

class TDatabase;

// Makes the target's tables from the source's structure for --create: every statement is made
// before any runs, so a type the target cannot hold stops the job before any row moves. Unique
// indexes follow each table's rows and foreign keys the rows of every table, so that tables
// referencing each other in a circle can be filled.
class TableCreate {
public:
    // Refuses a target whose engine it knows no types of, and a dry run on an engine whose
    // CREATE TABLE commits (MariaDB and MySQL), since the rollback would leave the tables.
    TableCreate(TDatabase& source, TDatabase& target, const JobOptions& options);

    // The source's table as it declares it, with the job's --map renames and left-out fields.
    TableStructure describe(const QString& name, const JobOptions& options) const;

    // The CREATE TABLE of a table the target lacks; throws naming a column it cannot hold.
    QString createStatement(const TableStructure& table) const;
    // Runs a statement of createStatement() and marks the table as the target's.
    void create(const TableStructure& table, const QString& statement);

    void addUniqueIndexes(const TableStructure& table);
    void addForeignKeys(const TableStructure& table);

private:
    void run(const QString& statement);
    TableStructure targetTable(const QString& name) const;

    TDatabase& m_source;
    TDatabase& m_target;
    bool m_quiet;
    QSet<QString> m_targetTables;  // folded to lower case: a reference may spell them so
};
