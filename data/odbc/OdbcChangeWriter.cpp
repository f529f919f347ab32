#include "data/odbc/OdbcChangeWriter.h"

#include "data/DuplicateClause.h"
#include "data/Exceptions.h"
#include "data/odbc/OdbcError.h"
#include "data/odbc/OdbcKey.h"
#include "data/odbc/OdbcParams.h"
#include "data/odbc/OdbcRead.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>

namespace {

const QString ChangedByOther =
    QStringLiteral("Couldn't perform the edit because another user changed the record.");

// Rows a parameter array carries at most, so that its buffers stay small.
constexpr int ArrayRows = 500;

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isValid() != b.isValid())
        return false;
    return !a.isValid() || a == b;
}

// Columns a row's insert names: a NULL is left out where the database fills in a default or a
// generated value instead, and written where that is the same (so that runs stay long).
QVector<int> writtenColumns(const OdbcRelation& relation, const PendingChange& change) {
    QVector<int> columns;
    for (int c = 0; c < relation.columns.size(); ++c) {
        const OdbcColumn& column = relation.columns[c];
        if (change.values.value(c).isValid() || !(column.info.generated || column.hasDefault))
            columns.append(c);
    }
    return columns;
}

}  // namespace

OdbcChangeWriter::OdbcChangeWriter(OdbcSession& session, const OdbcRelation& relation,
                                   TUpdateMode mode, OnDuplicate onDuplicate)
    : m_session(session), m_relation(relation), m_mode(mode), m_onDuplicate(onDuplicate) {}

void OdbcChangeWriter::apply(const std::vector<const PendingChange*>& changes) {
    const bool nested = m_session.inTransaction();
    if (nested)
        m_session.exec(QStringLiteral("SAVEPOINT rowcart_apply"));
    else
        m_session.begin(tiReadCommitted);
    try {
        writeAll(changes);
        m_statements.clear();
        if (nested)
            m_session.exec(QStringLiteral("RELEASE SAVEPOINT rowcart_apply"));
        else
            m_session.commit();
    } catch (...) {
        m_statements.clear();
        try {
            if (nested)
                m_session.exec(QStringLiteral("ROLLBACK TO SAVEPOINT rowcart_apply"));
            else if (m_session.inTransaction())
                m_session.rollback();
        } catch (const Exception&) {
            // The first failure is the one to report; a lost connection rolls back by itself.
        }
        throw;
    }
}

void OdbcChangeWriter::writeAll(const std::vector<const PendingChange*>& changes) {
    size_t i = 0;
    while (i < changes.size()) {
        const PendingChange& change = *changes[i];
        if (change.kind != PendingChange::Insert) {
            if (change.kind == PendingChange::Modify)
                modify(change);
            else
                remove(change);
            ++i;
            continue;
        }
        const QVector<int> columns = writtenColumns(m_relation, change);
        std::vector<const PendingChange*> run;
        while (i < changes.size() && changes[i]->kind == PendingChange::Insert &&
               int(run.size()) < ArrayRows && writtenColumns(m_relation, *changes[i]) == columns)
            run.push_back(changes[i++]);
        insertRun(run, columns);
    }
}

SQLHSTMT OdbcChangeWriter::prepared(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        OdbcStmt stmt(m_session.dbc());
        m_session.check(SQLPrepareW(stmt.get(), OdbcWide(sql), SQL_NTS), stmt.get());
        it = m_statements.emplace(sql, std::move(stmt)).first;
    } else {
        it->second.reset();
    }
    return it->second.get();
}

void OdbcChangeWriter::insertRun(const std::vector<const PendingChange*>& run,
                                 const QVector<int>& columns) {
    QStringList names, markers, key, others;
    for (int c : columns) {
        names.append(m_relation.columns[c].quoted);
        markers.append(QStringLiteral("?"));
        if (!m_relation.key.contains(c))
            others.append(m_relation.columns[c].quoted);
    }
    for (int c : m_relation.key)
        key.append(m_relation.columns[c].quoted);
    const QString sql = columns.isEmpty()
                            ? QStringLiteral("INSERT INTO ") + m_relation.quotedName +
                                  QStringLiteral(" DEFAULT VALUES")
                            : QStringLiteral("INSERT INTO ") + m_relation.quotedName +
                                  QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                                  QStringLiteral(") VALUES (") +
                                  markers.join(QStringLiteral(", ")) + QLatin1Char(')') +
                                  DuplicateClause(OdbcSqlEngine(m_session.dialect()), m_onDuplicate,
                                                  m_relation.name, key, others);
    SQLHSTMT stmt = prepared(sql);
    if (m_onDuplicate == OnDuplicate::Skip)
        countDuplicates(run);
    if (run.size() > 1 && !columns.isEmpty() && m_session.dialect().paramArrays &&
        insertArray(stmt, run, columns))
        return;
    for (const PendingChange* change : run) {
        SQLHSTMT one = prepared(sql);
        OdbcParams params;
        for (int c : columns)
            params.add(change->values.value(c), m_relation.columns[c]);
        params.bind(m_session, one);
        m_session.check(SQLExecute(one), one);
    }
}

void OdbcChangeWriter::countDuplicates(const std::vector<const PendingChange*>& run) {
    // The rows a skipping insert leaves out are those whose key is there before it: drivers
    // count the rows of an insert each in their own way (MariaDB's counts a row it found as
    // one it wrote), so they are counted first, in the same transaction.
    QStringList keyNames, tuples;
    for (int c : m_relation.key)
        keyNames.append(m_relation.columns[c].quoted);
    const QString one =
        QLatin1Char('(') +
        QStringList(keyNames.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
        QLatin1Char(')');
    OdbcParams params;
    for (const PendingChange* change : run) {
        tuples.append(one);
        for (int c : m_relation.key)
            params.add(change->values.value(c), m_relation.columns[c]);
    }
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE (%2) IN (%3)")
                            .arg(m_relation.quotedName, keyNames.join(QStringLiteral(", ")),
                                 tuples.join(QStringLiteral(", ")));
    OdbcStmt stmt(m_session.dbc());
    m_session.check(SQLPrepareW(stmt.get(), OdbcWide(sql), SQL_NTS), stmt.get());
    params.bind(m_session, stmt.get());
    m_session.check(SQLExecute(stmt.get()), stmt.get());
    m_session.check(SQLFetch(stmt.get()), stmt.get());
    m_skipped += OdbcRead::Integer(m_session, stmt.get(), 1, 0);
}

// Binds the run column by column (SQL_ATTR_PARAMSET_SIZE) and executes it once. False when the
// driver takes no arrays or the values do not fit one; nothing was executed then.
bool OdbcChangeWriter::insertArray(SQLHSTMT stmt, const std::vector<const PendingChange*>& run,
                                   const QVector<int>& columns) {
    const SQLULEN rows = run.size();
    struct Column {
        OdbcValue first;
        int width = 1;
        SQLULEN size = 1;
        QByteArray buffer;
        std::vector<SQLLEN> indicators;
    };
    std::vector<Column> bound(columns.size());
    for (int j = 0; j < columns.size(); ++j) {
        Column& column = bound[j];
        std::vector<OdbcValue> values;
        values.reserve(rows);
        const OdbcValue* typed = nullptr;  // the first value that is not NULL
        for (const PendingChange* change : run) {
            values.push_back(
                OdbcValue::of(change->values.value(columns[j]), m_relation.columns[columns[j]]));
            const OdbcValue& v = values.back();
            column.width = std::max(column.width, int(v.data.size()));
            column.size = std::max(column.size, v.size);
        }
        for (const OdbcValue& v : values) {
            if (v.isNull)
                continue;
            if (!typed)
                typed = &v;
            else if (v.cType != typed->cType || v.sqlType != typed->sqlType)
                return false;
        }
        column.first = typed ? *typed : values.front();
        column.buffer = QByteArray(qsizetype(rows) * column.width, '\0');
        column.indicators.resize(rows);
        for (SQLULEN r = 0; r < rows; ++r) {
            std::copy(values[r].data.begin(), values[r].data.end(),
                      column.buffer.begin() + qsizetype(r) * column.width);
            column.indicators[r] = values[r].isNull ? SQL_NULL_DATA : SQLLEN(values[r].data.size());
        }
    }
    if (!SQL_SUCCEEDED(
            SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0)))
        return false;
    SQLULEN taken = 0;
    SQLGetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, &taken, 0, nullptr);
    if (taken != rows) {
        SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        return false;
    }
    std::vector<SQLUSMALLINT> statuses(rows, SQL_PARAM_UNUSED);
    SQLULEN processed = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_BIND_TYPE, SQL_PARAM_BIND_BY_COLUMN, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
    for (int j = 0; j < columns.size(); ++j) {
        Column& c = bound[j];
        m_session.check(SQLBindParameter(stmt, SQLUSMALLINT(j + 1), SQL_PARAM_INPUT, c.first.cType,
                                         c.first.sqlType, c.size, c.first.digits, c.buffer.data(),
                                         c.width, c.indicators.data()),
                        stmt);
    }
    const SQLRETURN rc = SQLExecute(stmt);
    // The statement keeps the array settings; the buffers die with this call.
    const auto reset = [&] {
        SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
        SQLFreeStmt(stmt, SQL_RESET_PARAMS);
    };
    if (!SQL_SUCCEEDED(rc)) {
        const EDBEngineError error = OdbcEngineError(SQL_HANDLE_STMT, stmt, m_session.dbc());
        reset();
        throw error;
    }
    // SQL_SUCCESS means every row went in; a warning may hide rows that did not.
    bool failed = false;
    for (SQLUSMALLINT status : statuses)
        failed = failed || status == SQL_PARAM_ERROR;
    if (rc == SQL_SUCCESS_WITH_INFO && processed > 0 && processed < rows)
        failed = true;
    if (failed) {
        const EDBEngineError error = OdbcEngineError(SQL_HANDLE_STMT, stmt, m_session.dbc());
        reset();
        throw error;
    }
    reset();
    return true;
}

QString OdbcChangeWriter::locate(const PendingChange& change, const QVector<int>& compared,
                                 OdbcParams& params) {
    QStringList conditions;
    QVector<int> columns = compared;
    if (!m_relation.key.isEmpty()) {
        const Row key = OdbcKey::Decode(m_relation, change.key);
        for (int i = 0; i < m_relation.key.size(); ++i) {
            const OdbcColumn& column = m_relation.columns[m_relation.key[i]];
            conditions.append(column.quoted + QStringLiteral(" = ?"));
            params.add(key[i], column);
            columns.removeAll(m_relation.key[i]);
        }
    } else {
        // Without a key the row is the one holding every value it was read with.
        columns.clear();
        for (int c = 0; c < m_relation.columns.size(); ++c) {
            if (m_relation.columns[c].comparable)
                columns.append(c);
        }
    }
    for (int c : columns) {
        const OdbcColumn& column = m_relation.columns[c];
        const QVariant& original = change.original.value(c);
        if (!original.isValid()) {
            conditions.append(column.quoted + QStringLiteral(" IS NULL"));
        } else {
            conditions.append(column.quoted + QStringLiteral(" = ?"));
            params.add(original, column);
        }
    }
    return QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

void OdbcChangeWriter::execute(const QString& sql, OdbcParams& params) {
    SQLHSTMT stmt = prepared(sql);
    params.bind(m_session, stmt);
    m_session.check(SQLExecute(stmt), stmt);
    SQLLEN affected = -1;
    m_session.check(SQLRowCount(stmt, &affected), stmt);
    if (affected == 0)
        throw EDBEngineError(ChangedByOther, QStringLiteral("changed"), true, FailureCause::Values);
    if (affected > 1)
        throw EDBEngineError(
            QStringLiteral("Table %1 has no key and several rows hold the same values: the "
                           "change would hit all of them")
                .arg(m_relation.name),
            QStringLiteral("ambiguous"));
}

void OdbcChangeWriter::modify(const PendingChange& change) {
    QVector<int> changed;
    for (int c = 0; c < m_relation.columns.size(); ++c) {
        if (!sameValue(change.values.value(c), change.original.value(c)))
            changed.append(c);
    }
    if (changed.isEmpty())
        return;
    QVector<int> compared;
    if (m_mode == upWhereChanged) {
        for (int c : changed) {
            if (m_relation.columns[c].comparable)
                compared.append(c);
        }
    } else if (m_mode == upWhereAll) {
        for (int c = 0; c < m_relation.columns.size(); ++c) {
            if (m_relation.columns[c].comparable)
                compared.append(c);
        }
    }
    OdbcParams params;
    QStringList sets;
    for (int c : changed) {
        sets.append(m_relation.columns[c].quoted + QStringLiteral(" = ?"));
        params.add(change.values.value(c), m_relation.columns[c]);
    }
    const QString where = locate(change, compared, params);
    execute(QStringLiteral("UPDATE ") + m_relation.quotedName + QStringLiteral(" SET ") +
                sets.join(QStringLiteral(", ")) + where,
            params);
}

void OdbcChangeWriter::remove(const PendingChange& change) {
    OdbcParams params;
    const QString where = locate(change, {}, params);
    execute(QStringLiteral("DELETE FROM ") + m_relation.quotedName + where, params);
}
