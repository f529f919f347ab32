#pragma once

#include "data/Driver.h"
#include "data/odbc/OdbcBlockReader.h"
#include "data/odbc/OdbcHandles.h"
#include "data/odbc/OdbcRelation.h"

#include <map>
#include <memory>

class OdbcParams;
class OdbcSession;

// An open table over ODBC: rows in key order read in bounded windows through prepared
// statements; a table without a key in the order of its values, bookmarked by position.
class OdbcCursor : public TableCursor {
public:
    OdbcCursor(std::shared_ptr<OdbcSession> session, OdbcRelation relation, bool readOnly);

    const QVector<ColumnInfo>& columns() const override { return m_columns; }
    qint64 rowCount() override;
    std::vector<FetchedRow> fetchAt(qint64 offset, int limit) override;
    std::vector<FetchedRow> fetchFrom(const QByteArray& key, bool inclusive, int limit) override;
    qint64 positionOf(const QByteArray& key) override;
    QVector<int> keyColumns() const override { return m_relation.key; }
    void applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode mode) override;
    void setOnDuplicate(OnDuplicate policy) override;
    qint64 duplicatesSkipped() const override { return m_duplicatesSkipped; }

private:
    bool keyed() const { return !m_relation.key.isEmpty(); }
    SQLHSTMT prepared(const QString& sql);
    // Runs a prepared query and reads at most `limit` rows; keyless rows are numbered from
    // `firstPosition`.
    std::vector<FetchedRow> query(const QString& sql, OdbcParams& params, int limit,
                                  qint64 firstPosition);
    std::vector<FetchedRow> readEach(SQLHSTMT stmt, int limit, qint64 firstPosition);
    // One value of the row with these values' key, read on its own.
    QVariant readValue(const Row& values, int column);
    // "k1 > ? OR (k1 = ? AND k2 > ?) ..." with the key's values bound in that order.
    QString keyCondition(const QString& op, const QByteArray& key, OdbcParams& params) const;
    void addWindow(OdbcParams& params, qint64 offset, int limit) const;

    std::shared_ptr<OdbcSession> m_session;
    OdbcRelation m_relation;
    bool m_readOnly;
    QVector<ColumnInfo> m_columns;
    QStringList m_keyExprs;  // what the rows order by
    QString m_select;        // "SELECT columns FROM table"
    QString m_orderBy;       // " ORDER BY ..."
    std::map<QString, OdbcStmt> m_statements;
    OdbcBlockReader m_block;
    qint64 m_anchorPosition = -1;  // the last row a window read, to go on from there
    QByteArray m_anchorKey;
    OnDuplicate m_onDuplicate = OnDuplicate::Fail;
    qint64 m_duplicatesSkipped = 0;
};
