#include "data/postgres/PgTableCursor.h"

#include "data/DuplicateClause.h"
#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "data/postgres/PgChangeWriter.h"
#include "data/postgres/PgKey.h"
#include "data/postgres/PgSession.h"
#include "data/postgres/PgValueText.h"

#include <algorithm>

namespace {

QByteArray mark(int number) {
    return "$" + QByteArray::number(number);
}

}  // namespace

PgTableCursor::PgTableCursor(std::shared_ptr<PgSession> session, PgRelation relation, bool readOnly)
    : m_session(std::move(session)), m_relation(std::move(relation)), m_readOnly(readOnly) {
    m_select = "SELECT ";
    for (int i = 0; i < m_relation.columns.size(); ++i) {
        const PgColumn& column = m_relation.columns[i];
        if (i > 0)
            m_select += ", ";
        m_select += column.quoted;
        // Money's own text depends on the locale; numeric text is exact.
        if (column.kind == PgKind::Money)
            m_select += "::pg_catalog.numeric";
    }
    if (m_relation.keyMode == PgKeyMode::RowId)
        m_select += m_relation.columns.isEmpty() ? "ctid" : ", ctid";
    else if (m_relation.columns.isEmpty())
        m_select += "NULL";
    m_select += " FROM " + m_relation.quotedName;

    QList<QByteArray> order;
    switch (m_relation.keyMode) {
        case PgKeyMode::Columns:
            for (const PgKeyPart& part : m_relation.key)
                order.append(part.expression);
            break;
        case PgKeyMode::RowId:
            order.append("ctid");
            break;
        case PgKeyMode::Position:
            for (const PgColumn& column : m_relation.columns)
                order.append(PgOutputText(column.quoted) + " COLLATE \"C\"");
            break;
    }
    if (!order.isEmpty()) {
        m_orderBy = " ORDER BY " + order.join(", ");
        m_keyTuple = "(" + order.join(", ") + ")";
    }
}

QByteArray PgTableCursor::keyPlaceholders(int first) const {
    QList<QByteArray> marks;
    for (size_t i = 0; i < m_relation.key.size(); ++i)
        marks.append("$" + QByteArray::number(first + static_cast<int>(i)));
    return "(" + marks.join(", ") + ")";
}

void PgTableCursor::appendRows(const pg_result* result, qint64 firstPosition,
                               std::vector<FetchedRow>& rows) {
    const PGresult* r = result;
    const int columnCount = static_cast<int>(m_relation.columns.size());
    const int n = PQntuples(r);
    rows.reserve(rows.size() + static_cast<size_t>(n));
    for (int row = 0; row < n; ++row) {
        FetchedRow fetched;
        fetched.values.resize(columnCount);
        for (int c = 0; c < columnCount; ++c) {
            if (PQgetisnull(r, row, c))
                continue;
            fetched.values[c] = PgValueText::fromServer(
                m_relation.columns[c].kind, PQgetvalue(r, row, c), PQgetlength(r, row, c));
        }
        switch (m_relation.keyMode) {
            case PgKeyMode::Columns: {
                KeyCodec codec;
                for (const PgKeyPart& part : m_relation.key)
                    PgKey::appendPart(codec, part.kind, PQgetvalue(r, row, part.column),
                                      PQgetlength(r, row, part.column));
                fetched.key = codec.bytes();
                break;
            }
            case PgKeyMode::RowId: {
                KeyCodec codec;
                PgKey::appendRowId(codec, PQgetvalue(r, row, columnCount),
                                   PQgetlength(r, row, columnCount));
                fetched.key = codec.bytes();
                break;
            }
            case PgKeyMode::Position:
                fetched.key = PgKey::positionKey(firstPosition + row);
                break;
        }
        rows.push_back(std::move(fetched));
    }
}

std::vector<FetchedRow> PgTableCursor::query(const QByteArray& sql, const PgParams& params,
                                             qint64 firstPosition) {
    const PgResultPtr result = m_session->execParams(sql, params);
    std::vector<FetchedRow> rows;
    appendRows(result.get(), firstPosition, rows);
    return rows;
}

qint64 PgTableCursor::rowCount() {
    const PgResultPtr r =
        m_session->execParams("SELECT count(*) FROM " + m_relation.quotedName, PgParams());
    return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
}

std::vector<FetchedRow> PgTableCursor::fetchAt(qint64 offset, int limit) {
    if (limit <= 0 || offset < 0)
        return {};
    std::vector<FetchedRow> rows = readAt(offset, limit);
    m_windowKeys.clear();
    m_windowStart = offset;
    for (const FetchedRow& row : rows)
        m_windowKeys.push_back(row.key);
    if (rows.empty()) {
        m_anchorPosition = -1;
    } else {
        m_anchorPosition = offset + static_cast<qint64>(rows.size()) - 1;
        m_anchorKey = rows.back().key;
    }
    return rows;
}

std::vector<FetchedRow> PgTableCursor::readAt(qint64 offset, int limit) {
    // Grids read page after page: the row before the page is usually the last one read, and
    // the key's index finds what follows it at once.
    const qint64 gap = offset - m_anchorPosition - 1;
    const bool anchored = m_anchorPosition >= 0 && gap >= 0 && gap <= MaxAnchorGap;
    PgParams params;
    switch (m_relation.keyMode) {
        case PgKeyMode::Columns:
            params.addText(QByteArray::number(limit));
            if (anchored) {
                params.addText(QByteArray::number(gap));
                PgKey::bind(m_relation, m_anchorKey, params);
                return query(m_select + " WHERE " + m_keyTuple + " > " + keyPlaceholders(3) +
                                 m_orderBy + " LIMIT $1 OFFSET $2",
                             params);
            }
            if (offset == 0)
                return query(m_select + m_orderBy + " LIMIT $1", params);
            // The skipped rows are counted in the key's index alone (an index-only scan)
            // rather than fetched from the table one by one.
            params.addText(QByteArray::number(offset));
            return query(m_select + " WHERE " + m_keyTuple + " >= (SELECT " +
                             m_keyTuple.mid(1, m_keyTuple.size() - 2) + " FROM " +
                             m_relation.quotedName + m_orderBy + " OFFSET $2 LIMIT 1)" + m_orderBy +
                             " LIMIT $1",
                         params);
        case PgKeyMode::RowId:
            if (anchored && gap == 0)
                return fetchFromRowId(m_anchorKey, false, limit);
            return readRowIdsAt(offset, limit);
        case PgKeyMode::Position:
            break;
    }
    params.addText(QByteArray::number(limit));
    params.addText(QByteArray::number(offset));
    return query(m_select + m_orderBy + " LIMIT $1 OFFSET $2", params, offset);
}

std::vector<FetchedRow> PgTableCursor::fetchFrom(const QByteArray& key, bool inclusive, int limit) {
    if (limit <= 0)
        return {};
    if (key.isEmpty())
        return fetchAt(0, limit);
    switch (m_relation.keyMode) {
        case PgKeyMode::Columns: {
            PgParams params;
            PgKey::bind(m_relation, key, params);
            params.addText(QByteArray::number(limit));
            const int limitMark = params.count();
            return query(m_select + " WHERE " + m_keyTuple + (inclusive ? " >= " : " > ") +
                             keyPlaceholders(1) + m_orderBy + " LIMIT $" +
                             QByteArray::number(limitMark),
                         params);
        }
        case PgKeyMode::RowId:
            return fetchFromRowId(key, inclusive, limit);
        case PgKeyMode::Position: {
            const qint64 position = PgKey::position(key);
            return fetchAt(inclusive ? position : position + 1, limit);
        }
    }
    return {};
}

PgTableCursor::RowIdGeometry PgTableCursor::rowIdGeometry() {
    PgParams params;
    params.addText(QByteArray::number(m_relation.oid));
    const PgResultPtr r = m_session->execParams(
        "SELECT pg_catalog.pg_relation_size(c.oid) /"
        " pg_catalog.current_setting('block_size')::bigint, c.reltuples, c.relpages"
        " FROM pg_catalog.pg_class c WHERE c.oid = $1",
        params);
    RowIdGeometry geometry;
    geometry.blocks = QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
    const double tuples = QByteArray(PQgetvalue(r.get(), 0, 1)).toDouble();
    const double pages = QByteArray(PQgetvalue(r.get(), 0, 2)).toDouble();
    if (tuples > 0 && pages > 0)
        geometry.perPage = tuples / pages;
    return geometry;
}

namespace {

QByteArray rowIdKey(qint64 block) {
    KeyCodec codec;
    codec.appendInt(block);
    codec.appendInt(0);
    return codec.bytes();
}

}  // namespace

std::vector<FetchedRow> PgTableCursor::fetchFromRowId(const QByteArray& key, bool inclusive,
                                                      int limit) {
    const RowIdGeometry geometry = rowIdGeometry();
    if (key.isEmpty())
        return readRowIds(rowIdKey(0), true, 0, limit, geometry);
    return readRowIds(key, inclusive, 0, limit, geometry);
}

// Rows without a key are read in ctid order. A condition on ctid alone is answered by sorting
// every row after it; bounding it above as well lets the server read just the blocks in
// between. The range widens until the window is full or the table ends. Rows to skip are
// counted range by range, without being fetched.
std::vector<FetchedRow> PgTableCursor::readRowIds(QByteArray from, bool inclusive, qint64 skip,
                                                  int limit, const RowIdGeometry& geometry) {
    std::vector<FetchedRow> rows;
    qint64 block = PgKey::rowIdBlock(from);
    qint64 span = static_cast<qint64>(static_cast<double>(skip + limit) / geometry.perPage) + 1;
    for (;;) {
        const qint64 upper = block + span;
        const bool last = upper >= geometry.blocks;
        PgParams params;
        PgKey::bind(m_relation, from, params);
        QByteArray where =
            QByteArray(" WHERE ctid ") + (inclusive ? ">=" : ">") + " $1::pg_catalog.tid";
        if (!last) {
            params.addText("(" + QByteArray::number(upper) + ",0)");
            where += " AND ctid < $2::pg_catalog.tid";
        }
        if (skip > 0 && !last) {
            const PgResultPtr counted = m_session->execParams(
                "SELECT count(*) FROM " + m_relation.quotedName + where, params);
            const qint64 inRange = QByteArray(PQgetvalue(counted.get(), 0, 0)).toLongLong();
            if (inRange <= skip) {
                skip -= inRange;
                from = rowIdKey(upper);
                inclusive = true;
                block = upper;
                span *= 2;
                continue;
            }
        }
        params.addText(QByteArray::number(limit - static_cast<int>(rows.size())));
        QByteArray sql = m_select + where + m_orderBy + " LIMIT " + mark(params.count());
        if (skip > 0) {
            params.addText(QByteArray::number(skip));
            sql += " OFFSET " + mark(params.count());
            skip = 0;
        }
        const PgResultPtr r = m_session->execParams(sql, params);
        appendRows(r.get(), -1, rows);
        if (last || static_cast<int>(rows.size()) >= limit)
            return rows;
        if (!rows.empty()) {
            from = rows.back().key;
            inclusive = false;
        } else {
            from = rowIdKey(upper);
            inclusive = true;
        }
        block = upper;
        span *= 2;
    }
}

// A position in a table without a key: the rows before an estimated block are counted (the
// server walks the row ids in range, without sorting), and the window is read from there.
std::vector<FetchedRow> PgTableCursor::readRowIdsAt(qint64 offset, int limit) {
    const RowIdGeometry geometry = rowIdGeometry();
    qint64 block = std::min(geometry.blocks,
                            static_cast<qint64>(static_cast<double>(offset) / geometry.perPage));
    qint64 before = 0;
    while (block > 0) {
        PgParams params;
        params.addText("(" + QByteArray::number(block) + ",0)");
        const PgResultPtr r = m_session->execParams(
            "SELECT count(*) FROM " + m_relation.quotedName + " WHERE ctid < $1::pg_catalog.tid",
            params);
        before = QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
        if (before <= offset)
            break;
        // Too far: step back by the surplus, and a block more.
        block = std::max<qint64>(
            0, block -
                   static_cast<qint64>(static_cast<double>(before - offset) / geometry.perPage) -
                   1);
        before = 0;
    }
    return readRowIds(rowIdKey(block), true, offset - before, limit, geometry);
}

qint64 PgTableCursor::positionOf(const QByteArray& key) {
    // The current row of a grid is usually in the window it last read.
    const auto found = std::lower_bound(
        m_windowKeys.begin(), m_windowKeys.end(), key,
        [](const QByteArray& a, const QByteArray& b) { return KeyCodec::compare(a, b) < 0; });
    if (found != m_windowKeys.end() && *found == key)
        return m_windowStart + (found - m_windowKeys.begin());
    switch (m_relation.keyMode) {
        case PgKeyMode::Columns: {
            PgParams params;
            PgKey::bind(m_relation, key, params);
            const PgResultPtr r =
                m_session->execParams("SELECT count(*) FROM " + m_relation.quotedName + " WHERE " +
                                          m_keyTuple + " < " + keyPlaceholders(1),
                                      params);
            return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
        }
        case PgKeyMode::RowId: {
            PgParams params;
            PgKey::bind(m_relation, key, params);
            const PgResultPtr r =
                m_session->execParams("SELECT count(*) FROM " + m_relation.quotedName +
                                          " WHERE ctid < $1::pg_catalog.tid",
                                      params);
            return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
        }
        case PgKeyMode::Position:
            return PgKey::position(key);
    }
    return 0;
}

void PgTableCursor::applyChanges(const std::vector<const PendingChange*>& changes,
                                 TUpdateMode mode) {
    if (m_readOnly)
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_anchorPosition = -1;
    m_windowKeys.clear();
    if (changes.empty())
        return;
    PgChangeWriter writer(*m_session, m_relation, mode, m_onDuplicate);
    writer.apply(changes);
    m_duplicatesSkipped += writer.skipped();
}

void PgTableCursor::setOnDuplicate(OnDuplicate policy) {
    if (policy != OnDuplicate::Fail && m_relation.keyMode != PgKeyMode::Columns)
        ThrowNoKeyForDuplicates(m_relation.name);
    m_onDuplicate = policy;
}

QVector<int> PgTableCursor::keyColumns() const {
    QVector<int> columns;
    if (m_relation.keyMode == PgKeyMode::Columns) {
        for (const PgKeyPart& part : m_relation.key)
            columns.append(part.column);
    }
    return columns;
}
