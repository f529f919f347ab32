#pragma once

#include "data/Driver.h"
#include "data/postgres/PgRelation.h"

#include <memory>

class PgParams;
class PgSession;
struct pg_result;

// An open table: windows of rows in key order, read with keyset conditions so that the
// server walks the key's index instead of skipping rows.
class PgTableCursor : public TableCursor {
public:
    PgTableCursor(std::shared_ptr<PgSession> session, PgRelation relation, bool readOnly);

    const QVector<ColumnInfo>& columns() const override { return m_relation.infos; }
    qint64 rowCount() override;
    std::vector<FetchedRow> fetchAt(qint64 offset, int limit) override;
    std::vector<FetchedRow> fetchFrom(const QByteArray& key, bool inclusive, int limit) override;
    qint64 positionOf(const QByteArray& key) override;
    QVector<int> keyColumns() const override;
    void applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode mode) override;
    void setOnDuplicate(OnDuplicate policy) override;
    qint64 duplicatesSkipped() const override { return m_duplicatesSkipped; }

    const PgRelation& relation() const { return m_relation; }

private:
    // $first, $first+1, ... for the bound key values.
    QByteArray keyPlaceholders(int first) const;
    void appendRows(const pg_result* result, qint64 firstPosition, std::vector<FetchedRow>& rows);
    std::vector<FetchedRow> query(const QByteArray& sql, const PgParams& params,
                                  qint64 firstPosition = -1);
    std::vector<FetchedRow> readAt(qint64 offset, int limit);

    struct RowIdGeometry {
        qint64 blocks = 0;
        double perPage = 50;  // rows per block, as the statistics estimate it
    };
    RowIdGeometry rowIdGeometry();
    // From the start of the table when `key` is empty.
    std::vector<FetchedRow> fetchFromRowId(const QByteArray& key, bool inclusive, int limit);
    std::vector<FetchedRow> readRowIds(QByteArray from, bool inclusive, qint64 skip, int limit,
                                       const RowIdGeometry& geometry);
    std::vector<FetchedRow> readRowIdsAt(qint64 offset, int limit);

    // Reading at a position a little past the last row read starts from that row's key.
    static constexpr qint64 MaxAnchorGap = 2000;

    std::shared_ptr<PgSession> m_session;
    PgRelation m_relation;
    bool m_readOnly;
    QByteArray m_select;           // SELECT <columns> FROM <table>
    QByteArray m_orderBy;          // ORDER BY <key>
    QByteArray m_keyTuple;         // (<key>) for row comparisons
    qint64 m_anchorPosition = -1;  // position of the last row read by position, if any
    QByteArray m_anchorKey;
    // The keys of the window last read by position, from m_windowStart on, in key order.
    qint64 m_windowStart = 0;
    std::vector<QByteArray> m_windowKeys;
    OnDuplicate m_onDuplicate = OnDuplicate::Fail;
    qint64 m_duplicatesSkipped = 0;
};
