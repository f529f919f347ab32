#include "cli/TableCreate.h"

#include "cli/CommandLinePrompts.h"
#include "data/Exceptions.h"
#include "data/SchemaWriter.h"
#include "data/TDatabase.h"

namespace {

// The --map choices applied to a table's structure: renamed columns, and keys and indexes
// that name a left-out column dropped with it.
void applyMap(TableStructure& table, const JobOptions& options) {
    QMap<QString, QString> renamed;
    for (const ColumnInfo& column : table.columns)
        renamed.insert(column.name, column.name);
    for (const auto& [from, to] : options.maps) {
        for (auto it = renamed.begin(); it != renamed.end(); ++it) {
            if (it.key().compare(from, Qt::CaseInsensitive) == 0)
                it.value() = to;
        }
    }
    bool dropped = false;
    const auto rename = [&](QStringList& columns) {
        for (QString& column : columns) {
            column = renamed.value(column, column);
            dropped = dropped || column.isEmpty();
        }
    };
    QVector<ColumnInfo> columns;
    for (ColumnInfo column : table.columns) {
        column.name = renamed.value(column.name);
        if (!column.name.isEmpty())
            columns.append(column);
    }
    table.columns = columns;
    rename(table.primaryKey);
    if (dropped)
        table.primaryKey.clear();
    QVector<TableStructure::UniqueIndex> indexes;
    for (TableStructure::UniqueIndex index : table.uniqueIndexes) {
        dropped = false;
        rename(index.columns);
        if (!dropped)
            indexes.append(index);
    }
    table.uniqueIndexes = indexes;
    QVector<TableStructure::ForeignKey> keys;
    for (TableStructure::ForeignKey key : table.foreignKeys) {
        dropped = false;
        rename(key.columns);
        if (!dropped)
            keys.append(key);
    }
    table.foreignKeys = keys;
}

}  // namespace

TableCreate::TableCreate(TDatabase& source, TDatabase& target, const JobOptions& options)
    : m_source(source), m_target(target), m_quiet(options.quiet) {
    const SqlEngine engine = target.driver().engine();
    if (engine == SqlEngine::Other) {
        throw Exception(QStringLiteral("--create: %1 is an engine whose types Rowcart does not "
                                       "know; make its tables first")
                            .arg(options.toAlias));
    }
    if (engine == SqlEngine::MySQL && options.dryRun) {
        throw UsageError{QStringLiteral("--create with --dry-run: %1 commits a CREATE TABLE at "
                                        "once, so a dry run could not take it back")
                             .arg(options.toAlias)};
    }
    QStringList tables;
    m_target.ReadTableList(tables);
    for (const QString& name : tables)
        m_targetTables.insert(name.toLower());
}

TableStructure TableCreate::describe(const QString& name, const JobOptions& options) const {
    TableStructure table = m_source.driver().describeTable(name);
    if (!options.fromTable.isEmpty() && options.toTable != options.fromTable) {
        // Index and key names are the database's: beside the source's own table they would
        // clash, so the renamed table's are made from its name.
        table.name = options.toTable;
        for (TableStructure::UniqueIndex& index : table.uniqueIndexes)
            index.name.clear();
        for (TableStructure::ForeignKey& key : table.foreignKeys)
            key.name.clear();
    }
    applyMap(table, options);
    return table;
}

QString TableCreate::createStatement(const TableStructure& table) const {
    DriverConnection& target = m_target.driver();
    return SchemaWriter::CreateTable(
        table, m_source.driver().engine(), target.engine(),
        [&target](const QString& name) { return target.quoteIdentifier(name); });
}

void TableCreate::create(const TableStructure& table, const QString& statement) {
    run(statement);
    m_targetTables.insert(table.name.toLower());
}

void TableCreate::run(const QString& statement) {
    try {
        m_target.ExecuteStatement(statement);
    } catch (Exception& e) {
        e.setMessage(e.message() + QStringLiteral("\nStatement: ") + statement);
        throw;
    }
}

TableStructure TableCreate::targetTable(const QString& name) const {
    return m_target.driver().describeTable(name);
}

namespace {

SchemaWriter::AfterRows afterRows(const TableStructure& table, const TableStructure& existing,
                                  DriverConnection& target, const QSet<QString>& targetTables) {
    return SchemaWriter::StatementsAfterRows(
        table, existing, target.engine(),
        [&target](const QString& name) { return target.quoteIdentifier(name); },
        [&targetTables](const QString& name) { return targetTables.contains(name.toLower()); });
}

}  // namespace

void TableCreate::addUniqueIndexes(const TableStructure& table) {
    const auto after = afterRows(table, targetTable(table.name), m_target.driver(), m_targetTables);
    for (const QString& statement : after.uniqueIndexes)
        run(statement);
}

void TableCreate::addForeignKeys(const TableStructure& table) {
    const auto after = afterRows(table, targetTable(table.name), m_target.driver(), m_targetTables);
    for (const QString& statement : after.foreignKeys)
        run(statement);
    if (!m_quiet) {
        for (const QString& words : after.leftOut)
            PrintError(QStringLiteral("%1: %2 left out").arg(table.name, words));
    }
}
