#include "data/postgres/PgTableCursor.h"

#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "data/postgres/PgChangeWriter.h"
#include "data/postgres/PgKey.h"
#include "data/postgres/PgSession.h"
#include "data/postgres/PgValueText.h"

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
    PgParams params;
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

// A condition on ctid alone is answered by sorting every row after it; bounding it above as
// well lets the server read just the blocks in between. The range widens until the window is
// full or the table ends.
std::vector<FetchedRow> PgTableCursor::fetchFromRowId(const QByteArray& key, bool inclusive,
                                                      int limit) {
    PgParams sizeParams;
    sizeParams.addText(QByteArray::number(m_relation.oid));
    const PgResultPtr size = m_session->execParams(
        "SELECT pg_catalog.pg_relation_size(c.oid) /"
        " pg_catalog.current_setting('block_size')::bigint, c.reltuples, c.relpages"
        " FROM pg_catalog.pg_class c WHERE c.oid = $1",
        sizeParams);
    const qint64 blocks = QByteArray(PQgetvalue(size.get(), 0, 0)).toLongLong();
    const double tuples = QByteArray(PQgetvalue(size.get(), 0, 1)).toDouble();
    const double pages = QByteArray(PQgetvalue(size.get(), 0, 2)).toDouble();
    const double perPage = tuples > 0 && pages > 0 ? tuples / pages : 50;

    std::vector<FetchedRow> rows;
    QByteArray from = key;
    bool fromInclusive = inclusive;
    qint64 block = PgKey::rowIdBlock(key);
    qint64 span = static_cast<qint64>(limit / perPage) + 1;
    for (;;) {
        PgParams params;
        PgKey::bind(m_relation, from, params);
        const QByteArray lower =
            QByteArray(" WHERE ctid ") + (fromInclusive ? ">=" : ">") + " $1::pg_catalog.tid";
        const qint64 upper = block + span;
        const int wanted = limit - static_cast<int>(rows.size());
        params.addText(QByteArray::number(wanted));
        if (upper >= blocks) {
            const PgResultPtr r =
                m_session->execParams(m_select + lower + m_orderBy + " LIMIT $2", params);
            appendRows(r.get(), -1, rows);
            return rows;
        }
        params.addText("(" + QByteArray::number(upper) + ",0)");
        const PgResultPtr r = m_session->execParams(
            m_select + lower + " AND ctid < $3::pg_catalog.tid" + m_orderBy + " LIMIT $2", params);
        appendRows(r.get(), -1, rows);
        if (static_cast<int>(rows.size()) >= limit)
            return rows;
        if (!rows.empty()) {
            from = rows.back().key;
            fromInclusive = false;
        } else {
            KeyCodec codec;
            codec.appendInt(upper);
            codec.appendInt(0);
            from = codec.bytes();
            fromInclusive = true;
        }
        block = upper;
        span *= 2;
    }
}

qint64 PgTableCursor::positionOf(const QByteArray& key) {
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
    if (changes.empty())
        return;
    PgChangeWriter writer(*m_session, m_relation, mode);
    writer.apply(changes);
}
