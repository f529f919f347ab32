#include "data/odbc/OdbcSchema.h"

#include "data/odbc/OdbcCatalog.h"
#include "data/odbc/OdbcRead.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>
#include <QMap>
#include <algorithm>

namespace OdbcSchema {

namespace {

bool isColumn(const TableStructure& structure, const QString& name) {
    return std::any_of(structure.columns.begin(), structure.columns.end(),
                       [&](const ColumnInfo& c) { return c.name == name; });
}

void readUniqueIndexes(OdbcSession& session, const OdbcRelation& relation,
                       TableStructure& structure) {
    OdbcStmt stmt(session.dbc());
    session.check(
        SQLStatisticsW(stmt.get(), OdbcCatalog::Arg(relation.catalog),
                       OdbcCatalog::ArgLength(relation.catalog), OdbcCatalog::Arg(relation.schema),
                       OdbcCatalog::ArgLength(relation.schema), OdbcWide(relation.name),
                       SQLSMALLINT(relation.name.size()), SQL_INDEX_UNIQUE, SQL_QUICK),
        stmt.get());
    QStringList order;
    QMap<QString, QMap<qint64, QString>> indexes;
    QStringList skipped;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
        const qint64 nonUnique = OdbcRead::Integer(session, stmt.get(), 4, 1);
        const QString index = OdbcRead::Text(session, stmt.get(), 6);
        const qint64 type = OdbcRead::Integer(session, stmt.get(), 7, SQL_TABLE_STAT);
        const qint64 position = OdbcRead::Integer(session, stmt.get(), 8, 0);
        const QString column = OdbcRead::Text(session, stmt.get(), 9);
        const QString filter = OdbcRead::Text(session, stmt.get(), 13);
        if (type == SQL_TABLE_STAT || nonUnique != 0)
            continue;
        // An expression comes as no column, or as its text (PostgreSQL's driver).
        if (column.isNull() || !isColumn(structure, column) || !filter.isEmpty())
            skipped.append(index);
        if (!indexes.contains(index))
            order.append(index);
        indexes[index].insert(position, column);
    }
    session.check(rc, stmt.get());
    const bool sqlite = session.dialect().engine == OdbcDialect::Engine::SQLite;
    for (const QString& name : order) {
        const QStringList columns = indexes[name].values();
        if (skipped.contains(name) || columns == structure.primaryKey)
            continue;
        // SQLite names the index of a UNIQUE constraint itself, with a name no CREATE may take.
        const bool internal = sqlite && name.startsWith(QLatin1String("sqlite_autoindex_"));
        structure.uniqueIndexes.append({internal ? QString() : name, columns});
    }
}

void readForeignKeys(OdbcSession& session, const OdbcRelation& relation,
                     TableStructure& structure) {
    OdbcStmt stmt(session.dbc());
    session.check(SQLForeignKeysW(
                      stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0,
                      OdbcCatalog::Arg(relation.catalog), OdbcCatalog::ArgLength(relation.catalog),
                      OdbcCatalog::Arg(relation.schema), OdbcCatalog::ArgLength(relation.schema),
                      OdbcWide(relation.name), SQLSMALLINT(relation.name.size())),
                  stmt.get());
    struct Key {
        QString name;
        QMap<qint64, QStringList> parts;  // by sequence: table, referenced column, column
    };
    // By name where the driver names keys; SQLite's does not, and lists each key whole.
    QVector<Key> keys;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
        QStringList part;
        part << OdbcRead::Text(session, stmt.get(), 3) << OdbcRead::Text(session, stmt.get(), 4)
             << OdbcRead::Text(session, stmt.get(), 8);
        const qint64 sequence = OdbcRead::Integer(session, stmt.get(), 9, 1);
        const QString name = OdbcRead::Text(session, stmt.get(), 12);
        auto key = std::find_if(keys.begin(), keys.end(),
                                [&](const Key& k) { return !name.isEmpty() && k.name == name; });
        if (key == keys.end()) {
            if (!name.isEmpty() || sequence == 1 || keys.isEmpty())
                keys.append({name, {}});
            key = keys.end() - 1;
        }
        key->parts.insert(sequence, part);
    }
    session.check(rc, stmt.get());
    for (const Key& found : keys) {
        TableStructure::ForeignKey key;
        key.name = found.name;
        for (const QStringList& part : found.parts) {
            key.table = part[0];
            key.referencedColumns.append(part[1]);
            key.columns.append(part[2]);
        }
        structure.foreignKeys.append(key);
    }
}

}  // namespace

TableStructure Describe(OdbcSession& session, const QString& table) {
    const OdbcRelation relation = OdbcCatalog::Load(session, table);
    TableStructure structure;
    structure.name = table;
    structure.primaryKey = OdbcCatalog::PrimaryKey(session, relation);
    // Every engine but SQLite keeps a key's columns NOT NULL, whatever the driver says (MariaDB's
    // calls an AUTO_INCREMENT key nullable).
    const bool keyNotNull = session.dialect().engine != OdbcDialect::Engine::SQLite;
    for (const OdbcColumn& column : relation.columns) {
        structure.columns.append(column.info);
        if (keyNotNull && structure.primaryKey.contains(column.info.name))
            structure.columns.last().notNull = true;
    }
    readUniqueIndexes(session, relation, structure);
    readForeignKeys(session, relation, structure);
    return structure;
}

}  // namespace OdbcSchema
