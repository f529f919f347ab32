#include "data/odbc/OdbcCursor.h"

#include "data/DuplicateClause.h"
#include "data/Exceptions.h"
#include "data/odbc/OdbcChangeWriter.h"
#include "data/odbc/OdbcKey.h"
#include "data/odbc/OdbcParams.h"
#include "data/odbc/OdbcRead.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>

#include <algorithm>

OdbcCursor::OdbcCursor(std::shared_ptr<OdbcSession> session, OdbcRelation relation, bool readOnly)
    : m_session(std::move(session)),
      m_relation(std::move(relation)),
      m_readOnly(readOnly),
      m_block(m_relation) {
    QStringList names;
    for (const OdbcColumn& column : m_relation.columns) {
        m_columns.append(column.info);
        names.append(column.quoted);
    }
    m_select = QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) +
               QStringLiteral(" FROM ") + m_relation.quotedName;
    const OdbcDialect& dialect = m_session->dialect();
    if (keyed()) {
        for (int c : m_relation.key) {
            const OdbcColumn& column = m_relation.columns[c];
            const FieldKind kind = KindOf(column.info.type);
            m_keyExprs.append(kind == FieldKind::Text ? dialect.byteOrdered(column.quoted)
                                                      : column.quoted);
        }
    } else {
        for (const OdbcColumn& column : m_relation.columns) {
            if (column.comparable)
                m_keyExprs.append(column.quoted);
        }
    }
    if (!m_keyExprs.isEmpty())
        m_orderBy = QStringLiteral(" ORDER BY ") + m_keyExprs.join(QStringLiteral(", "));
}

SQLHSTMT OdbcCursor::prepared(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        OdbcStmt stmt(m_session->dbc());
        m_session->check(SQLPrepareW(stmt.get(), OdbcWide(sql), SQL_NTS), stmt.get());
        it = m_statements.emplace(sql, std::move(stmt)).first;
    } else {
        it->second.reset();
    }
    return it->second.get();
}

std::vector<FetchedRow> OdbcCursor::query(const QString& sql, OdbcParams& params, int limit,
                                          qint64 firstPosition) {
    SQLHSTMT stmt = prepared(sql);
    params.bind(*m_session, stmt);
    m_session->check(SQLExecute(stmt), stmt);
    // SQLite's driver reports a bound blob longer than its buffer as empty; it is local, and
    // reads value by value cheaply.
    if (!keyed() || m_session->dialect().engine == OdbcDialect::Engine::SQLite)
        return readEach(stmt, limit, firstPosition);
    // Keyed rows come a block at a time; a value too long for its buffer is read by its key.
    std::vector<OdbcBlockReader::Cut> cut;
    std::vector<Row> values = m_block.read(*m_session, stmt, limit, cut);
    SQLFreeStmt(stmt, SQL_CLOSE);
    const bool keyCut = std::any_of(cut.begin(), cut.end(), [&](const OdbcBlockReader::Cut& c) {
        return m_relation.key.contains(c.column);
    });
    if (keyCut) {
        stmt = prepared(sql);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        params.bind(*m_session, stmt);
        m_session->check(SQLExecute(stmt), stmt);
        return readEach(stmt, limit, firstPosition);
    }
    for (const OdbcBlockReader::Cut& c : cut)
        values[size_t(c.row)][c.column] = readValue(values[size_t(c.row)], c.column);
    std::vector<FetchedRow> rows;
    rows.reserve(values.size());
    for (Row& row : values) {
        FetchedRow fetched;
        fetched.key = OdbcKey::Encode(m_relation, row);
        fetched.values = std::move(row);
        rows.push_back(std::move(fetched));
    }
    return rows;
}

std::vector<FetchedRow> OdbcCursor::readEach(SQLHSTMT stmt, int limit, qint64 firstPosition) {
    std::vector<FetchedRow> rows;
    const int columnCount = int(m_relation.columns.size());
    SQLRETURN rc = SQL_SUCCESS;
    while (int(rows.size()) < limit && SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
        FetchedRow row;
        row.values.resize(columnCount);
        for (int c = 0; c < columnCount; ++c)
            row.values[c] =
                OdbcRead::Value(*m_session, stmt, SQLUSMALLINT(c + 1),
                                m_relation.columns[c].info.type, m_relation.columns[c].sqlType);
        row.key = keyed() ? OdbcKey::Encode(m_relation, row.values)
                          : OdbcKey::PositionKey(firstPosition + qint64(rows.size()));
        rows.push_back(std::move(row));
    }
    m_session->check(rc, stmt);
    SQLFreeStmt(stmt, SQL_CLOSE);
    return rows;
}

QVariant OdbcCursor::readValue(const Row& values, int column) {
    const OdbcColumn& wanted = m_relation.columns[column];
    QStringList conditions;
    OdbcParams params;
    for (int k : m_relation.key) {
        conditions.append(m_relation.columns[k].quoted + QStringLiteral(" = ?"));
        params.add(values[k], m_relation.columns[k]);
    }
    SQLHSTMT stmt = prepared(QStringLiteral("SELECT ") + wanted.quoted + QStringLiteral(" FROM ") +
                             m_relation.quotedName + QStringLiteral(" WHERE ") +
                             conditions.join(QStringLiteral(" AND ")));
    params.bind(*m_session, stmt);
    m_session->check(SQLExecute(stmt), stmt);
    QVariant value;
    const SQLRETURN rc = SQLFetch(stmt);
    m_session->check(rc, stmt);
    if (SQL_SUCCEEDED(rc))
        value = OdbcRead::Value(*m_session, stmt, 1, wanted.info.type, wanted.sqlType);
    SQLFreeStmt(stmt, SQL_CLOSE);
    return value;
}

QString OdbcCursor::keyCondition(const QString& op, const QByteArray& key,
                                 OdbcParams& params) const {
    const Row values = OdbcKey::Decode(m_relation, key);
    QStringList alternatives;
    for (int i = 0; i < m_keyExprs.size(); ++i) {
        QStringList parts;
        for (int j = 0; j < i; ++j) {
            parts.append(m_keyExprs[j] + QStringLiteral(" = ?"));
            params.add(values[j], m_relation.columns[m_relation.key[j]]);
        }
        const QString last = i + 1 == m_keyExprs.size() ? op : op.left(1);
        parts.append(m_keyExprs[i] + QLatin1Char(' ') + last + QStringLiteral(" ?"));
        params.add(values[i], m_relation.columns[m_relation.key[i]]);
        alternatives.append(parts.size() == 1
                                ? parts.first()
                                : QLatin1Char('(') + parts.join(QStringLiteral(" AND ")) +
                                      QLatin1Char(')'));
    }
    return QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

void OdbcCursor::addWindow(OdbcParams& params, qint64 offset, int limit) const {
    if (m_session->dialect().offsetFirst()) {
        params.addInteger(offset);
        params.addInteger(limit);
    } else {
        params.addInteger(limit);
        params.addInteger(offset);
    }
}

qint64 OdbcCursor::rowCount() {
    OdbcParams none;
    SQLHSTMT stmt = prepared(QStringLiteral("SELECT COUNT(*) FROM ") + m_relation.quotedName);
    m_session->check(SQLExecute(stmt), stmt);
    m_session->check(SQLFetch(stmt), stmt);
    const qint64 count = OdbcRead::Integer(*m_session, stmt, 1, 0);
    SQLFreeStmt(stmt, SQL_CLOSE);
    return count;
}

std::vector<FetchedRow> OdbcCursor::fetchAt(qint64 offset, int limit) {
    if (limit <= 0 || offset < 0)
        return {};
    std::vector<FetchedRow> rows;
    if (keyed() && m_anchorPosition >= 0 && offset == m_anchorPosition + 1) {
        // Page after page: the key's index finds what follows the last row at once.
        rows = fetchFrom(m_anchorKey, false, limit);
    } else {
        OdbcParams params;
        addWindow(params, offset, limit);
        rows = query(m_select + m_orderBy + m_session->dialect().window(), params, limit, offset);
    }
    if (keyed() && !rows.empty()) {
        m_anchorPosition = offset + qint64(rows.size()) - 1;
        m_anchorKey = rows.back().key;
    } else {
        m_anchorPosition = -1;
    }
    return rows;
}

std::vector<FetchedRow> OdbcCursor::fetchFrom(const QByteArray& key, bool inclusive, int limit) {
    if (limit <= 0)
        return {};
    if (!keyed()) {
        if (key.isEmpty())
            return fetchAt(0, limit);
        const qint64 position = OdbcKey::Position(key);
        return fetchAt(inclusive ? position : position + 1, limit);
    }
    m_anchorPosition = -1;
    OdbcParams params;
    QString sql = m_select;
    if (!key.isEmpty())
        sql += QStringLiteral(" WHERE ") +
               keyCondition(inclusive ? QStringLiteral(">=") : QStringLiteral(">"), key, params);
    addWindow(params, 0, limit);
    return query(sql + m_orderBy + m_session->dialect().window(), params, limit, 0);
}

qint64 OdbcCursor::positionOf(const QByteArray& key) {
    if (!keyed())
        return OdbcKey::Position(key);
    OdbcParams params;
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + m_relation.quotedName +
                        QStringLiteral(" WHERE ") + keyCondition(QStringLiteral("<"), key, params);
    SQLHSTMT stmt = prepared(sql);
    params.bind(*m_session, stmt);
    m_session->check(SQLExecute(stmt), stmt);
    m_session->check(SQLFetch(stmt), stmt);
    const qint64 count = OdbcRead::Integer(*m_session, stmt, 1, 0);
    SQLFreeStmt(stmt, SQL_CLOSE);
    return count;
}

void OdbcCursor::applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode mode) {
    if (m_readOnly || m_session->readOnly())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (!m_relation.readOnlyReason.isEmpty())
        throw EDatabaseError(m_relation.readOnlyReason);
    m_anchorPosition = -1;
    if (changes.empty())
        return;
    OdbcChangeWriter writer(*m_session, m_relation, mode, m_onDuplicate);
    writer.apply(changes);
    m_duplicatesSkipped += writer.skipped();
}

void OdbcCursor::setOnDuplicate(OnDuplicate policy) {
    if (policy != OnDuplicate::Fail && m_relation.key.isEmpty())
        ThrowNoKeyForDuplicates(m_relation.name);
    // The engine must have a statement for it; asking now refuses before any row is written.
    DuplicateClause(OdbcSqlEngine(m_session->dialect()), policy, m_relation.name,
                    {QStringLiteral("k")}, {});
    m_onDuplicate = policy;
}
