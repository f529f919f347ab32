#include "data/sqlite/SqliteTable.h"

#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "data/sqlite/SqliteSchema.h"
#include "data/sqlite/SqliteTypes.h"

#include <algorithm>
#include <iterator>

namespace {

void bindVariant(sqlite3* db, sqlite3_stmt* stmt, int parameter, const QVariant& value) {
    int rc = SQLITE_OK;
    if (!value.isValid()) {
        rc = sqlite3_bind_null(stmt, parameter);
    } else if (value.typeId() == QMetaType::LongLong) {
        rc = sqlite3_bind_int64(stmt, parameter, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(stmt, parameter, value.toDouble());
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt, parameter, bytes.constData(),
                                 static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
    } else {
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text64(stmt, parameter, utf8.constData(),
                                 static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc);
}

void appendKeyValue(KeyCodec& codec, sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL:
            codec.appendNull();
            break;
        case SQLITE_INTEGER:
            codec.appendInt(sqlite3_column_int64(stmt, column));
            break;
        case SQLITE_FLOAT:
            codec.appendDouble(sqlite3_column_double(stmt, column));
            break;
        case SQLITE_TEXT:
            codec.appendText(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                  sqlite3_column_bytes(stmt, column)));
            break;
        default:
            codec.appendBytes(
                QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                           sqlite3_column_bytes(stmt, column)));
    }
}

}  // namespace

SqliteTable::SqliteTable(sqlite3* db, const QString& name, bool readOnly)
    : m_db(db), m_table(QuoteSqliteIdentifier(name)), m_readOnly(readOnly) {
    SqliteSchema::Columns read = SqliteSchema::ReadColumns(db, name);
    m_columns = std::move(read.columns);
    for (const ColumnInfo& column : m_columns)
        m_quoted.append(QuoteSqliteIdentifier(column.name));
    m_keyColumns = read.primaryKey;
    for (int c : m_keyColumns)
        m_keyExprs.append(m_quoted[c]);
    if (m_keyExprs.isEmpty()) {
        // No primary key: the rowid, under whichever of its names no column took.
        for (const char* alias : {"rowid", "_rowid_", "oid"}) {
            const QString name = QString::fromLatin1(alias);
            if (std::none_of(m_columns.begin(), m_columns.end(), [&](const ColumnInfo& c) {
                    return c.name.compare(name, Qt::CaseInsensitive) == 0;
                })) {
                m_keyExprs.append(name);
                break;
            }
        }
        if (m_keyExprs.isEmpty())
            throw EDBEngineError(QStringLiteral("Table %1 has no usable key").arg(name), QString());
    }
    QStringList order, orderDesc, params;
    for (const QString& key : m_keyExprs) {
        order.append(key + QStringLiteral(" COLLATE BINARY"));
        orderDesc.append(key + QStringLiteral(" COLLATE BINARY DESC"));
        params.append(QStringLiteral("?"));
    }
    m_order = order.join(QStringLiteral(", "));
    m_orderDesc = orderDesc.join(QStringLiteral(", "));
    if (m_keyExprs.size() == 1) {
        m_keyTuple = order.first();
        m_paramTuple = QStringLiteral("?");
    } else {
        m_keyTuple = QLatin1Char('(') + m_order + QLatin1Char(')');
        m_paramTuple = QLatin1Char('(') + params.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    m_select = QStringLiteral("SELECT %1, %2 FROM %3")
                   .arg(m_keyExprs.join(QStringLiteral(", ")), m_quoted.join(QStringLiteral(", ")),
                        m_table);
    m_selectKeys =
        QStringLiteral("SELECT %1 FROM %2").arg(m_keyExprs.join(QStringLiteral(", ")), m_table);
}

sqlite3_stmt* SqliteTable::cached(SqliteStmt& slot, const QString& sql) {
    if (!slot)
        slot = PrepareSqlite(m_db, sql);
    sqlite3_reset(slot.get());
    sqlite3_clear_bindings(slot.get());
    return slot.get();
}

void SqliteTable::step(sqlite3_stmt* stmt) {
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        ThrowSqliteError(m_db, rc);
}

QByteArray SqliteTable::readKey(sqlite3_stmt* stmt) {
    KeyCodec codec;
    for (int k = 0; k < m_keyExprs.size(); ++k)
        appendKeyValue(codec, stmt, k);
    return codec.bytes();
}

std::vector<FetchedRow> SqliteTable::readRows(sqlite3_stmt* stmt, int limit) {
    std::vector<FetchedRow> rows;
    rows.reserve(static_cast<size_t>(std::clamp(limit, 0, 4096)));
    const int keys = static_cast<int>(m_keyExprs.size());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        FetchedRow& row = rows.emplace_back();
        row.key = readKey(stmt);
        row.values.reserve(m_columns.size());
        for (int c = 0; c < m_columns.size(); ++c)
            row.values.append(SqliteTypes::ReadColumn(stmt, keys + c, m_columns[c].type));
    }
    if (rc != SQLITE_DONE)
        ThrowSqliteError(m_db, rc);
    sqlite3_reset(stmt);
    return rows;
}

int SqliteTable::bindKey(sqlite3_stmt* stmt, int first, const QByteArray& key) {
    const QVector<QVariant> values = KeyCodec::decode(key);
    if (values.size() != m_keyExprs.size())
        throw EDatabaseError(QStringLiteral("Invalid bookmark"));
    for (const QVariant& value : values)
        bindVariant(m_db, stmt, first++, value);
    return first;
}

qint64 SqliteTable::rowCount() {
    sqlite3_stmt* stmt = cached(m_count, QStringLiteral("SELECT count(*) FROM %1").arg(m_table));
    if (sqlite3_step(stmt) != SQLITE_ROW)
        ThrowSqliteError(m_db, sqlite3_errcode(m_db));
    m_knownCount = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    return m_knownCount;
}

std::vector<FetchedRow> SqliteTable::fetchAt(qint64 offset, int limit) {
    if (m_knownCount > 0 && offset > m_knownCount / 2) {
        // Near the end, skipping from the back is far shorter.
        const qint64 fromBack = std::max<qint64>(0, m_knownCount - offset - limit);
        const qint64 take = std::min<qint64>(limit, m_knownCount - offset);
        if (take <= 0)
            return {};
        sqlite3_stmt* stmt =
            cached(m_atDesc,
                   QStringLiteral("%1 ORDER BY %2 LIMIT ?1 OFFSET ?2").arg(m_select, m_orderDesc));
        sqlite3_bind_int64(stmt, 1, take);
        sqlite3_bind_int64(stmt, 2, fromBack);
        std::vector<FetchedRow> rows = readRows(stmt, static_cast<int>(take));
        std::reverse(rows.begin(), rows.end());
        return rows;
    }
    sqlite3_stmt* stmt =
        cached(m_at, QStringLiteral("%1 ORDER BY %2 LIMIT ?1 OFFSET ?2").arg(m_select, m_order));
    sqlite3_bind_int64(stmt, 1, limit);
    sqlite3_bind_int64(stmt, 2, offset);
    return readRows(stmt, limit);
}

sqlite3_stmt* SqliteTable::fromStatement(const QByteArray& key, bool inclusive, bool keysOnly,
                                         int& next) {
    // Jumps along a selection come here once per row: the text is built only once.
    const QString& select = keysOnly ? m_selectKeys : m_select;
    next = 1;
    if (key.isEmpty()) {
        SqliteStmt& slot = keysOnly ? m_keysFirst : m_first;
        return cached(
            slot, slot ? QString() : QStringLiteral("%1 ORDER BY %2 LIMIT ?").arg(select, m_order));
    }
    SqliteStmt& slot =
        keysOnly ? (inclusive ? m_keysFrom : m_keysAfter) : (inclusive ? m_from : m_after);
    sqlite3_stmt* stmt =
        cached(slot, slot ? QString()
                          : QStringLiteral("%1 WHERE %2 %3 %4 ORDER BY %5 LIMIT ?")
                                .arg(select, m_keyTuple,
                                     inclusive ? QStringLiteral(">=") : QStringLiteral(">"),
                                     m_paramTuple, m_order));
    next = bindKey(stmt, 1, key);
    return stmt;
}

std::vector<FetchedRow> SqliteTable::fetchFrom(const QByteArray& key, bool inclusive, int limit) {
    int next = 1;
    sqlite3_stmt* stmt = fromStatement(key, inclusive, false, next);
    sqlite3_bind_int(stmt, next, limit);
    return readRows(stmt, limit);
}

std::vector<QByteArray> SqliteTable::fetchKeysFrom(const QByteArray& key, bool inclusive,
                                                   int limit) {
    int next = 1;
    sqlite3_stmt* stmt = fromStatement(key, inclusive, true, next);
    sqlite3_bind_int(stmt, next, limit);
    std::vector<QByteArray> keys;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        keys.push_back(readKey(stmt));
    if (rc != SQLITE_DONE)
        ThrowSqliteError(m_db, rc);
    sqlite3_reset(stmt);
    return keys;
}

std::vector<FetchedRow> SqliteTable::fetchKeys(const std::vector<QByteArray>& keys) {
    // One statement for a fixed number of keys: a shorter list repeats its last key, which the
    // IN list takes once.
    constexpr size_t KeysInList = 64;
    if (keys.size() > KeysInList) {
        std::vector<FetchedRow> rows;
        for (size_t begin = 0; begin < keys.size(); begin += KeysInList) {
            const size_t end = std::min(keys.size(), begin + KeysInList);
            std::vector<FetchedRow> part =
                fetchKeys({keys.begin() + static_cast<std::ptrdiff_t>(begin),
                           keys.begin() + static_cast<std::ptrdiff_t>(end)});
            std::move(part.begin(), part.end(), std::back_inserter(rows));
        }
        return rows;
    }
    if (keys.empty())
        return {};
    QString list;
    if (!m_keysIn) {
        QStringList tuples;
        for (size_t i = 0; i < KeysInList; ++i)
            tuples.append(m_paramTuple);
        list =
            m_keyExprs.size() == 1
                ? QLatin1Char('(') + tuples.join(QStringLiteral(", ")) + QLatin1Char(')')
                : QStringLiteral("(VALUES ") + tuples.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    sqlite3_stmt* stmt =
        cached(m_keysIn, list.isEmpty() ? QString()
                                        : QStringLiteral("%1 WHERE %2 IN %3 ORDER BY %4")
                                              .arg(m_select, m_keyTuple, list, m_order));
    int parameter = 1;
    for (size_t i = 0; i < KeysInList; ++i)
        parameter = bindKey(stmt, parameter, keys[std::min(i, keys.size() - 1)]);
    return readRows(stmt, static_cast<int>(keys.size()));
}

qint64 SqliteTable::positionOf(const QByteArray& key) {
    sqlite3_stmt* stmt = cached(m_position, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 < %3")
                                                .arg(m_table, m_keyTuple, m_paramTuple));
    bindKey(stmt, 1, key);
    if (sqlite3_step(stmt) != SQLITE_ROW)
        ThrowSqliteError(m_db, sqlite3_errcode(m_db));
    const qint64 position = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    return position;
}
