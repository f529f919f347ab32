#pragma once

#include "data/Driver.h"
#include "data/RowCodec.h"
#include "data/sqlite/SqliteHandles.h"

#include <map>
#include <string>
#include <vector>

// An open SQLite table: rows in primary-key order (rowid order where there is none), read in
// windows through cached prepared statements.
class SqliteTable : public TableCursor {
public:
    SqliteTable(sqlite3* db, const QString& name, bool readOnly);

    const QVector<ColumnInfo>& columns() const override { return m_columns; }
    qint64 rowCount() override;
    std::vector<FetchedRow> fetchAt(qint64 offset, int limit) override;
    std::vector<FetchedRow> fetchFrom(const QByteArray& key, bool inclusive, int limit) override;
    std::vector<QByteArray> fetchKeysFrom(const QByteArray& key, bool inclusive,
                                          int limit) override;
    std::vector<FetchedRow> fetchKeys(const std::vector<QByteArray>& keys) override;
    qint64 positionOf(const QByteArray& key) override;
    QVector<int> keyColumns() const override { return m_keyColumns; }
    void applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode mode) override;
    bool writesPackedInserts() const override { return true; }
    void setOnDuplicate(OnDuplicate policy) override;
    qint64 duplicatesSkipped() const override { return m_duplicatesSkipped; }

private:
    sqlite3_stmt* cached(SqliteStmt& slot, const QString& sql);
    // The statement of fetchFrom() (`keysOnly`: of fetchKeysFrom()) with its key bound; the
    // LIMIT is the parameter after the key.
    sqlite3_stmt* fromStatement(const QByteArray& key, bool inclusive, bool keysOnly, int& next);
    QByteArray readKey(sqlite3_stmt* stmt);
    std::vector<FetchedRow> readRows(sqlite3_stmt* stmt, int limit);
    // Binds a key's values from parameter `first` on; returns the next free parameter.
    int bindKey(sqlite3_stmt* stmt, int first, const QByteArray& key);
    void step(sqlite3_stmt* stmt);
    void applyOne(const PendingChange& change, TUpdateMode mode);
    void applyInsert(const PendingChange& change);
    void applyModify(const PendingChange& change, TUpdateMode mode);
    void applyDelete(const PendingChange& change);
    QString keyMatch(int& parameter) const;
    // Compares a column with the value it had when read, from parameter `parameter` on, which
    // it moves past the parameters it takes.
    QString valueMatch(int column, int& parameter) const;

    sqlite3* m_db;
    QString m_table;  // quoted
    bool m_readOnly;
    QVector<ColumnInfo> m_columns;
    QStringList m_quoted;    // quoted column names
    QStringList m_keyExprs;  // quoted key columns, or the rowid
    QVector<int> m_keyColumns;
    QString m_select;      // "SELECT keys, columns FROM table"
    QString m_selectKeys;  // "SELECT keys FROM table"
    QString m_order;       // "k1 COLLATE BINARY, ..." (and DESC variant)
    QString m_orderDesc;
    QString m_keyTuple;    // "(k1, k2)" or "k1"
    QString m_paramTuple;  // "(?, ?)" or "?"
    qint64 m_knownCount = -1;

    SqliteStmt m_count, m_first, m_after, m_from, m_at, m_atDesc, m_position;
    SqliteStmt m_keysFirst, m_keysAfter, m_keysFrom;
    SqliteStmt m_keysIn;  // the rows of a list of keys (fetchKeys)
    // An insert statement for one set of columns, with the bytes its parameters were last bound
    // to (SQLite reads them in place).
    struct Insert {
        SqliteStmt stmt;
        std::vector<QByteArray> rooms;
    };
    std::map<std::string, Insert> m_inserts;  // by the mask of columns written
    std::string m_mask;                       // the mask of the row being inserted
    Insert* m_lastInsert = nullptr;
    std::string m_lastMask;
    std::vector<RowCodec::PackedValue> m_packedValues;  // of the row being inserted
    OnDuplicate m_onDuplicate = OnDuplicate::Fail;
    qint64 m_duplicatesSkipped = 0;
};
