#include "data/sqlite/SqliteSchema.h"

#include "data/Exceptions.h"
#include "data/sqlite/SqliteHandles.h"
#include "data/sqlite/SqliteTypes.h"

#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace SqliteSchema {

namespace {

QString text(sqlite3_stmt* stmt, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

// Runs `sql` with `argument` bound to ?1 and hands each row to `row`.
void eachRow(sqlite3* db, const QString& sql, const QString& argument,
             const std::function<void(sqlite3_stmt*)>& row) {
    SqliteStmt stmt = PrepareSqlite(db, sql);
    const QByteArray utf8 = argument.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        row(stmt.get());
    if (rc != SQLITE_DONE)
        ThrowSqliteError(db, rc);
}

struct RawColumn {
    QString name;
    QString declared;
    bool notNull = false;
    bool hasDefault = false;
    int pk = 0;
};

QStringList keyNames(const Columns& read) {
    QStringList names;
    for (int c : read.primaryKey)
        names.append(read.columns[c].name);
    return names;
}

// The table's name as sqlite_schema holds it: a reference may spell it in other letter case.
QString storedName(sqlite3* db, const QString& name) {
    QString stored = name;
    eachRow(db,
            QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                           "COLLATE NOCASE"),
            name, [&](sqlite3_stmt* stmt) { stored = text(stmt, 0); });
    return stored;
}

// A foreign key that names no columns references the primary key.
QStringList primaryKeyOf(sqlite3* db, const QString& table) {
    QVector<QPair<int, QString>> key;
    eachRow(db, QStringLiteral("SELECT pk, name FROM pragma_table_info(?1) WHERE pk > 0"), table,
            [&](sqlite3_stmt* stmt) {
                key.append({sqlite3_column_int(stmt, 0), text(stmt, 1)});
            });
    std::sort(key.begin(), key.end());
    QStringList names;
    for (const auto& part : key)
        names.append(part.second);
    return names;
}

void readUniqueIndexes(sqlite3* db, TableStructure& structure) {
    struct Candidate {
        QString name;
        bool constraint;  // made by a UNIQUE constraint, named by SQLite itself
    };
    QVector<Candidate> candidates;
    eachRow(db,
            QStringLiteral("SELECT name, origin FROM pragma_index_list(?1) "
                           "WHERE \"unique\" AND origin <> 'pk' AND NOT partial ORDER BY seq DESC"),
            structure.name, [&](sqlite3_stmt* stmt) {
                candidates.append({text(stmt, 0), text(stmt, 1) == QLatin1String("u")});
            });
    for (const Candidate& candidate : candidates) {
        TableStructure::UniqueIndex index;
        bool plain = true;
        eachRow(db, QStringLiteral("SELECT cid, name FROM pragma_index_info(?1) ORDER BY seqno"),
                candidate.name, [&](sqlite3_stmt* stmt) {
                    // -1 is the rowid, -2 an expression.
                    plain = plain && sqlite3_column_int(stmt, 0) >= 0;
                    index.columns.append(text(stmt, 1));
                });
        if (!plain || index.columns.isEmpty())
            continue;
        if (!candidate.constraint)
            index.name = candidate.name;
        structure.uniqueIndexes.append(index);
    }
}

void readForeignKeys(sqlite3* db, TableStructure& structure) {
    int current = -1;
    eachRow(db,
            QStringLiteral("SELECT id, \"table\", \"from\", \"to\" FROM "
                           "pragma_foreign_key_list(?1) ORDER BY id DESC, seq"),
            structure.name, [&](sqlite3_stmt* stmt) {
                const int id = sqlite3_column_int(stmt, 0);
                if (id != current) {
                    current = id;
                    TableStructure::ForeignKey key;
                    key.table = text(stmt, 1);
                    structure.foreignKeys.append(key);
                }
                TableStructure::ForeignKey& key = structure.foreignKeys.last();
                key.columns.append(text(stmt, 2));
                if (sqlite3_column_type(stmt, 3) != SQLITE_NULL)
                    key.referencedColumns.append(text(stmt, 3));
            });
    for (TableStructure::ForeignKey& key : structure.foreignKeys) {
        key.table = storedName(db, key.table);
        if (key.referencedColumns.isEmpty())
            key.referencedColumns = primaryKeyOf(db, key.table);
    }
}

}  // namespace

Columns ReadColumns(sqlite3* db, const QString& table) {
    QString sql;
    bool found = false;
    eachRow(db, QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1"),
            table, [&](sqlite3_stmt* stmt) {
                sql = text(stmt, 0);
                found = true;
            });
    if (!found)
        throw EDBEngineError(QStringLiteral("Table does not exist. Table: %1").arg(table),
                             QString());
    static const QRegularExpression autoinc(QStringLiteral("\\bAUTOINCREMENT\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const bool autoIncrement = autoinc.match(sql).hasMatch();

    QVector<RawColumn> raw;
    int keyCount = 0;
    eachRow(db,
            QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk, hidden "
                           "FROM pragma_table_xinfo(?1)"),
            table, [&](sqlite3_stmt* stmt) {
                if (sqlite3_column_int(stmt, 5) != 0)
                    return;  // generated or hidden columns are derived, never written
                RawColumn column;
                column.name = text(stmt, 0);
                column.declared = text(stmt, 1);
                column.notNull = sqlite3_column_int(stmt, 2) != 0;
                column.hasDefault = sqlite3_column_type(stmt, 3) != SQLITE_NULL;
                column.pk = sqlite3_column_int(stmt, 4);
                keyCount += column.pk > 0 ? 1 : 0;
                raw.append(column);
            });
    // Only a rowid table's single INTEGER key is the rowid itself; a WITHOUT ROWID table, or a
    // key declared DESC, keeps its key in an index of its own.
    bool keyIndex = false;
    eachRow(db, QStringLiteral("SELECT 1 FROM pragma_index_list(?1) WHERE origin = 'pk'"), table,
            [&](sqlite3_stmt*) { keyIndex = true; });

    Columns read;
    QVector<QPair<int, int>> key;
    for (const RawColumn& column : raw) {
        const bool rowidAlias =
            column.pk == 1 && keyCount == 1 && !keyIndex &&
            column.declared.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        ColumnInfo info =
            SqliteTypes::MapColumn(column.name, column.declared, autoIncrement && rowidAlias);
        info.required = column.notNull && !column.hasDefault && !rowidAlias;
        info.generated = info.generated || rowidAlias;
        info.declaredType = column.declared;
        info.notNull = column.notNull;
        if (column.pk > 0)
            key.append({column.pk, static_cast<int>(read.columns.size())});
        read.columns.append(info);
    }
    std::sort(key.begin(), key.end());
    for (const auto& part : key)
        read.primaryKey.append(part.second);
    return read;
}

TableStructure Describe(sqlite3* db, const QString& table) {
    const Columns read = ReadColumns(db, table);
    TableStructure structure;
    structure.name = table;
    structure.columns = read.columns;
    structure.primaryKey = keyNames(read);
    readUniqueIndexes(db, structure);
    readForeignKeys(db, structure);
    return structure;
}

}  // namespace SqliteSchema
