#include "data/DuplicateClause.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/KeyCodec.h"
#include "data/sqlite/SqliteTable.h"
#include "data/sqlite/SqliteTypes.h"

namespace {

const QString ChangedByOther =
    QStringLiteral("Couldn't perform the edit because another user changed the record.");

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isValid() != b.isValid())
        return false;
    return !a.isValid() || a == b;
}

bool isDateKind(TFieldType type) {
    const FieldKind kind = KindOf(type);
    return kind == FieldKind::Date || kind == FieldKind::Time || kind == FieldKind::DateTime;
}

}  // namespace

void SqliteTable::applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode mode) {
    if (m_readOnly)
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    // Inside a transaction of the caller's, a savepoint keeps the all-or-nothing promise.
    const bool nested = sqlite3_get_autocommit(m_db) == 0;
    ExecSqlite(m_db, nested ? "SAVEPOINT rowcart_apply" : "BEGIN IMMEDIATE");
    try {
        for (const PendingChange* change : changes)
            applyOne(*change, mode);
        ExecSqlite(m_db, nested ? "RELEASE rowcart_apply" : "COMMIT");
    } catch (...) {
        if (nested) {
            sqlite3_exec(m_db, "ROLLBACK TO rowcart_apply", nullptr, nullptr, nullptr);
            sqlite3_exec(m_db, "RELEASE rowcart_apply", nullptr, nullptr, nullptr);
        } else if (sqlite3_get_autocommit(m_db) == 0) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        throw;
    }
    m_knownCount = -1;
}

void SqliteTable::applyOne(const PendingChange& change, TUpdateMode mode) {
    switch (change.kind) {
        case PendingChange::Insert:
            applyInsert(change);
            break;
        case PendingChange::Modify:
            applyModify(change, mode);
            break;
        case PendingChange::Delete:
            applyDelete(change);
            break;
    }
}

void SqliteTable::applyInsert(const PendingChange& change) {
    const bool packed = !change.packed.isEmpty();
    if (packed)
        RowCodec::Unpack(change.packed, m_packedValues);
    const auto given = [&](int c) {
        if (packed)
            return c < static_cast<int>(m_packedValues.size()) &&
                   m_packedValues[static_cast<size_t>(c)].kind != RowCodec::PackedValue::Null;
        return c < change.values.size() && change.values[c].isValid();
    };
    // Null columns are left out, so that defaults and generated keys apply.
    const int columns = static_cast<int>(m_columns.size());
    m_mask.resize(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        m_mask[static_cast<size_t>(c)] = given(c) ? '1' : '0';
    // Runs of rows mostly have the same columns set.
    if (!m_lastInsert || m_mask != m_lastMask) {
        m_lastInsert = &m_inserts[m_mask];
        m_lastMask = m_mask;
    }
    Insert& insert = *m_lastInsert;
    if (!insert.stmt) {
        QStringList names, params, others;
        for (int c = 0; c < columns; ++c) {
            if (m_mask[static_cast<size_t>(c)] == '1') {
                names.append(m_quoted[c]);
                params.append(QStringLiteral("?"));
                if (!m_keyColumns.contains(c))
                    others.append(m_quoted[c]);
            }
        }
        QStringList key;
        for (int c : m_keyColumns)
            key.append(m_quoted[c]);
        const QString sql =
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(m_table, names.join(QStringLiteral(", ")),
                               params.join(QStringLiteral(", "))) +
                      DuplicateClause(SqlEngine::SQLite, m_onDuplicate, m_table, key, others);
        insert.stmt = PrepareSqlite(m_db, sql);
        insert.rooms.resize(static_cast<size_t>(names.size()));
    }
    sqlite3_stmt* stmt = insert.stmt.get();
    // Every parameter is bound again below, so the old bindings need no clearing.
    sqlite3_reset(stmt);
    int parameter = 1;
    for (int c = 0; c < columns; ++c) {
        if (m_mask[static_cast<size_t>(c)] != '1')
            continue;
        const TFieldType type = m_columns[c].type;
        QByteArray& room = insert.rooms[static_cast<size_t>(parameter - 1)];
        const int rc =
            packed ? SqliteTypes::BindPacked(stmt, parameter,
                                             m_packedValues[static_cast<size_t>(c)], type, room)
                   : SqliteTypes::BindInPlace(stmt, parameter, change.values[c], type, room);
        ++parameter;
        if (rc != SQLITE_OK)
            ThrowSqliteError(m_db, rc);
    }
    step(stmt);
    if (m_onDuplicate == OnDuplicate::Skip && sqlite3_changes(m_db) == 0)
        ++m_duplicatesSkipped;
}

void SqliteTable::setOnDuplicate(OnDuplicate policy) {
    if (policy != OnDuplicate::Fail && m_keyColumns.isEmpty())
        ThrowNoKeyForDuplicates(m_table);
    // The inserts' statements say what a duplicate does.
    m_inserts.clear();
    m_lastInsert = nullptr;
    m_onDuplicate = policy;
}

QString SqliteTable::keyMatch(int& parameter) const {
    QStringList parts;
    for (const QString& key : m_keyExprs)
        parts.append(key + QStringLiteral(" IS ?") + QString::number(parameter++));
    return parts.join(QStringLiteral(" AND "));
}

// Tolerant of the column's own storage form (numbers in untyped columns, other spellings of a
// date, the user's own spelling of a date as a script writes it).
// A quoted name may hold "%1" itself: every statement is filled in by one pass of arg().
QString SqliteTable::valueMatch(int column, int& parameter) const {
    const QString col = m_quoted[column];
    const QString param = QStringLiteral("?") + QString::number(parameter++);
    switch (KindOf(m_columns[column].type)) {
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return QStringLiteral(
                       "(%1 IS %2 OR %1 IS %3 OR (julianday(%1) IS NOT NULL AND julianday(%1) = "
                       "julianday(%2)))")
                .arg(col, param, QStringLiteral("?") + QString::number(parameter++));
        case FieldKind::Text:
            return QStringLiteral("(%1 IS %2 OR CAST(%1 AS TEXT) IS %2)").arg(col, param);
        default:
            return col + QStringLiteral(" IS ") + param;
    }
}

void SqliteTable::applyModify(const PendingChange& change, TUpdateMode mode) {
    QList<int> changed;
    for (int c = 0; c < m_columns.size(); ++c) {
        if (!sameValue(change.values.value(c), change.original.value(c)))
            changed.append(c);
    }
    if (changed.isEmpty())
        return;
    QList<int> compared;
    if (mode == upWhereChanged) {
        compared = changed;
    } else if (mode == upWhereAll) {
        for (int c = 0; c < m_columns.size(); ++c) {
            if (!IsBlobType(m_columns[c].type))
                compared.append(c);
        }
    }
    int parameter = 1;
    QStringList sets;
    for (int c : changed)
        sets.append(m_quoted[c] + QStringLiteral(" = ?") + QString::number(parameter++));
    QString where = keyMatch(parameter);
    QList<QPair<int, int>> comparedParams;
    for (int c : compared) {
        comparedParams.append({c, parameter});
        where += QStringLiteral(" AND ") + valueMatch(c, parameter);
    }
    SqliteStmt stmt =
        PrepareSqlite(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(m_table, sets.join(QStringLiteral(", ")), where));
    parameter = 1;
    for (int c : changed) {
        const int rc =
            SqliteTypes::Bind(stmt.get(), parameter++, change.values[c], m_columns[c].type);
        if (rc != SQLITE_OK)
            ThrowSqliteError(m_db, rc);
    }
    parameter = bindKey(stmt.get(), parameter, change.key);
    for (const auto& [c, p] : comparedParams) {
        const QVariant original = change.original.value(c);
        int rc = SqliteTypes::Bind(stmt.get(), p, original, m_columns[c].type);
        if (rc == SQLITE_OK && isDateKind(m_columns[c].type)) {
            const QVariant spelled = original.isValid()
                                         ? QVariant(FieldConvert::ReadText(m_columns[c], original))
                                         : QVariant();
            rc = SqliteTypes::Bind(stmt.get(), p + 1, spelled, ftString);
        }
        if (rc != SQLITE_OK)
            ThrowSqliteError(m_db, rc);
    }
    step(stmt.get());
    if (sqlite3_changes(m_db) != 1)
        throw EDBEngineError(ChangedByOther, QStringLiteral("changed"), true, FailureCause::Values);
}

void SqliteTable::applyDelete(const PendingChange& change) {
    int parameter = 1;
    SqliteStmt stmt = PrepareSqlite(
        m_db, QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, keyMatch(parameter)));
    bindKey(stmt.get(), 1, change.key);
    step(stmt.get());
    if (sqlite3_changes(m_db) != 1)
        throw EDBEngineError(ChangedByOther, QStringLiteral("changed"), true, FailureCause::Values);
}
