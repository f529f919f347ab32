#include "data/postgres/PgChangeWriter.h"

#include "data/DuplicateClause.h"
#include "data/Exceptions.h"
#include "data/postgres/PgCopyIn.h"
#include "data/postgres/PgError.h"
#include "data/postgres/PgKey.h"
#include "data/postgres/PgParams.h"
#include "data/postgres/PgPipeline.h"
#include "data/postgres/PgSession.h"
#include "data/postgres/PgValueText.h"

namespace {

// A run of inserts at least this long goes by COPY; shorter ones are not worth leaving the
// pipeline for.
constexpr size_t CopyThreshold = 32;

QByteArray mark(int number) {
    return "$" + QByteArray::number(number);
}

void rollbackQuietly(PGconn* conn, bool savepoint) {
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        return;
    PQclear(PQexec(conn, savepoint ? "ROLLBACK TO SAVEPOINT rowcart_apply; "
                                     "RELEASE SAVEPOINT rowcart_apply"
                                   : "ROLLBACK"));
}

}  // namespace

PgChangeWriter::PgChangeWriter(PgSession& session, const PgRelation& relation, TUpdateMode mode,
                               OnDuplicate onDuplicate)
    : m_session(session), m_relation(relation), m_mode(mode), m_onDuplicate(onDuplicate) {
    for (int c = 0; c < m_relation.columns.size(); ++c) {
        const PgColumn& column = m_relation.columns[c];
        if (column.hasDefault && !column.generatedStored)
            m_defaulted.push_back(c);
    }
}

void PgChangeWriter::apply(const std::vector<const PendingChange*>& changes) {
    const int columnCount = static_cast<int>(m_relation.columns.size());
    for (const PendingChange* change : changes) {
        if ((change->kind != PendingChange::Delete && change->values.size() != columnCount) ||
            (change->kind != PendingChange::Insert && change->original.size() != columnCount))
            throw EDatabaseError(
                QStringLiteral("A pending change does not fit table '%1'").arg(m_relation.name));
    }

    const bool nested = m_session.inTransaction();
    m_session.exec(nested ? "SAVEPOINT rowcart_apply" : "BEGIN");
    QByteArray xid;
    try {
        write(changes);
        if (nested)
            m_session.exec("RELEASE SAVEPOINT rowcart_apply");
        else
            xid = QByteArray(
                PQgetvalue(m_session.exec("SELECT pg_catalog.txid_current()").get(), 0, 0));
    } catch (const EDBEngineError& e) {
        rollbackQuietly(m_session.handle(), nested);
        if (e.connectionUsable())
            throw;
        // Without a commit the server has thrown the transaction away with the connection.
        throw EDBEngineError(QStringLiteral("The connection to the server was lost before the "
                                            "changes were committed; none of them were "
                                            "written.\n") +
                                 e.message(),
                             e.code(), false);
    } catch (...) {
        rollbackQuietly(m_session.handle(), nested);
        throw;
    }
    if (!nested)
        commit(xid);
}

void PgChangeWriter::commit(const QByteArray& xid) {
    try {
        const PgResultPtr r = m_session.exec("COMMIT");
        // A transaction that failed on the way answers COMMIT with ROLLBACK.
        if (qstrcmp(PQcmdStatus(r.get()), "COMMIT") != 0)
            throw EDBEngineError(QStringLiteral("The changes were rolled back"), QString(), true);
    } catch (const EDBEngineError& e) {
        if (e.connectionUsable()) {
            rollbackQuietly(m_session.handle(), false);
            throw;
        }
        settleLostCommit(xid, e);
    }
}

// The connection broke while the server was committing: the commit may or may not have been
// done. Asking the server afterwards tells which, so that a retry never writes a row twice.
void PgChangeWriter::settleLostCommit(const QByteArray& xid, const EDBEngineError& lost) {
    QString status;
    if (m_session.reconnect()) {
        try {
            PgParams params;
            params.addText(xid);
            const PgResultPtr r =
                m_session.execParams("SELECT pg_catalog.txid_status($1::bigint)", params);
            status = QString::fromLatin1(PQgetvalue(r.get(), 0, 0));
        } catch (const EDBEngineError&) {
            status.clear();
        }
    }
    if (status == QLatin1String("committed"))
        return;
    if (status == QLatin1String("aborted"))
        throw EDBEngineError(QStringLiteral("The connection to the server was lost before the "
                                            "changes were committed; none of them were "
                                            "written.\n") +
                                 lost.message(),
                             lost.code(), true);
    throw EDBEngineError(QStringLiteral("The connection to the server was lost while the changes "
                                        "were being committed; whether they were written is not "
                                        "known.\n") +
                             lost.message(),
                         lost.code(),
                         m_session.handle() && PQstatus(m_session.handle()) == CONNECTION_OK);
}

void PgChangeWriter::write(const std::vector<const PendingChange*>& changes) {
    auto pipeline = std::make_unique<PgPipeline>(m_session);
    size_t i = 0;
    while (i < changes.size()) {
        const PendingChange& change = *changes[i];
        if (change.kind != PendingChange::Insert) {
            if (change.kind == PendingChange::Modify)
                sendModify(*pipeline, change);
            else
                sendDelete(*pipeline, change);
            ++i;
            continue;
        }
        const std::vector<int> columns = insertColumns(change.values);
        size_t end = i + 1;
        while (end < changes.size() && changes[end]->kind == PendingChange::Insert &&
               sameInsertColumns(change.values, changes[end]->values))
            ++end;
        const bool staged = m_onDuplicate != OnDuplicate::Fail;
        if ((end - i >= CopyThreshold || staged) && !columns.empty()) {
            // COPY cannot run inside a pipeline: settle what was sent first.
            pipeline->finish();
            pipeline = std::make_unique<PgPipeline>(m_session);
            if (staged)
                stageInserts(columns, changes, i, end);
            else
                copyInserts(columns, changes, i, end);
        } else {
            for (size_t k = i; k < end; ++k)
                sendInsert(*pipeline, columns, changes[k]->values);
        }
        i = end;
    }
    pipeline->finish();
}

std::vector<int> PgChangeWriter::insertColumns(const Row& values) const {
    std::vector<int> columns;
    columns.reserve(static_cast<size_t>(values.size()));
    for (int c = 0; c < m_relation.columns.size(); ++c) {
        const PgColumn& column = m_relation.columns[c];
        if (column.generatedStored)
            continue;
        const QVariant& value = values[c];
        if (!column.hasDefault || (value.isValid() && !value.isNull()))
            columns.push_back(c);
    }
    return columns;
}

bool PgChangeWriter::sameInsertColumns(const Row& a, const Row& b) const {
    for (const int c : m_defaulted) {
        const bool aNull = !a[c].isValid() || a[c].isNull();
        const bool bNull = !b[c].isValid() || b[c].isNull();
        if (aNull != bNull)
            return false;
    }
    return true;
}

void PgChangeWriter::copyInserts(const std::vector<int>& columns,
                                 const std::vector<const PendingChange*>& changes, size_t begin,
                                 size_t end) {
    copyRows(m_relation.quotedName, columns, changes, begin, end);
}

void PgChangeWriter::copyRows(const QByteArray& table, const std::vector<int>& columns,
                              const std::vector<const PendingChange*>& changes, size_t begin,
                              size_t end) {
    QByteArray sql = "COPY " + table + " (";
    for (size_t k = 0; k < columns.size(); ++k) {
        if (k > 0)
            sql += ", ";
        sql += m_relation.columns[columns[k]].quoted;
    }
    sql += ") FROM STDIN";

    PgCopyIn copy(m_session, sql);
    QByteArray& out = copy.buffer();
    for (size_t i = begin; i < end; ++i) {
        const Row& values = changes[i]->values;
        for (size_t k = 0; k < columns.size(); ++k) {
            if (k > 0)
                out.append('\t');
            const int c = columns[k];
            PgValueText::appendCopyField(m_relation.columns[c].kind, values[c], out);
        }
        out.append('\n');
        copy.rowDone();
    }
    copy.finish();
}

void PgChangeWriter::stageInserts(const std::vector<int>& columns,
                                  const std::vector<const PendingChange*>& changes, size_t begin,
                                  size_t end) {
    // One staging table per table and session, emptied by each commit and after each use.
    const QByteArray stage = "pg_temp.rowcart_stage_" + QByteArray::number(m_relation.oid);
    m_session.exec("CREATE TEMP TABLE IF NOT EXISTS " + stage + " (LIKE " + m_relation.quotedName +
                   ") ON COMMIT DELETE ROWS");
    copyRows(stage, columns, changes, begin, end);

    QStringList names, key, others;
    bool overriding = false;
    for (const int c : columns) {
        const QString name = QString::fromUtf8(m_relation.columns[c].quoted);
        names.append(name);
        overriding = overriding || m_relation.columns[c].identityAlways;
        bool inKey = false;
        for (const PgKeyPart& part : m_relation.key)
            inKey = inKey || part.column == c;
        if (!inKey)
            others.append(name);
    }
    for (const PgKeyPart& part : m_relation.key)
        key.append(QString::fromUtf8(m_relation.columns[part.column].quoted));
    const QString list = names.join(QStringLiteral(", "));
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2)%3 SELECT %2 FROM %4")
            .arg(QString::fromUtf8(m_relation.quotedName), list,
                 overriding ? QStringLiteral(" OVERRIDING SYSTEM VALUE") : QString(),
                 QString::fromUtf8(stage)) +
        DuplicateClause(SqlEngine::PostgreSQL, m_onDuplicate, m_relation.name, key, others);
    const PgResultPtr inserted = m_session.exec(sql.toUtf8());
    if (m_onDuplicate == OnDuplicate::Skip)
        m_skipped += qint64(end - begin) - QByteArray(PQcmdTuples(inserted.get())).toLongLong();
    m_session.exec("TRUNCATE " + stage);
}

void PgChangeWriter::sendInsert(PgPipeline& pipeline, const std::vector<int>& columns,
                                const Row& values) {
    QByteArray sql = "INSERT INTO " + m_relation.quotedName;
    if (columns.empty()) {
        sql += " DEFAULT VALUES";
        pipeline.send(sql, PgParams(), false);
        return;
    }
    PgParams params;
    params.reserve(static_cast<int>(columns.size()));
    QByteArray names, marks;
    bool overriding = false;
    for (const int c : columns) {
        const PgColumn& column = m_relation.columns[c];
        if (!names.isEmpty()) {
            names += ", ";
            marks += ", ";
        }
        names += column.quoted;
        PgValueText::addParam(column.kind, values[c], params);
        marks += mark(params.count());
        overriding = overriding || column.identityAlways;
    }
    sql += " (" + names + ")";
    // A copied row keeps its identity value, as COPY keeps it.
    if (overriding)
        sql += " OVERRIDING SYSTEM VALUE";
    sql += " VALUES (" + marks + ")";
    pipeline.send(sql, params, false);
}

bool PgChangeWriter::changed(int column, const PendingChange& change) const {
    const PgKind kind = m_relation.columns[column].kind;
    QByteArray before, after;
    const bool hadValue = PgValueText::toServer(kind, change.original[column], before);
    const bool hasValue = PgValueText::toServer(kind, change.values[column], after);
    return hadValue != hasValue || before != after;
}

void PgChangeWriter::sendModify(PgPipeline& pipeline, const PendingChange& change) {
    std::vector<int> set;
    for (int c = 0; c < m_relation.columns.size(); ++c) {
        if (!m_relation.columns[c].generatedStored && changed(c, change))
            set.push_back(c);
    }
    if (set.empty())
        return;

    PgParams params;
    QByteArray sql = "UPDATE " + m_relation.quotedName + " SET ";
    for (size_t k = 0; k < set.size(); ++k) {
        const PgColumn& column = m_relation.columns[set[k]];
        PgValueText::addParam(column.kind, change.values[set[k]], params);
        if (k > 0)
            sql += ", ";
        sql += column.quoted + " = " + mark(params.count());
    }

    // Rows without a key are found by all their values.
    std::vector<int> compared;
    if (m_mode == upWhereAll || m_relation.keyMode == PgKeyMode::Position) {
        for (int c = 0; c < m_relation.columns.size(); ++c)
            compared.push_back(c);
    } else if (m_mode == upWhereChanged) {
        compared = set;
    }
    sql += rowCondition(change, compared, params);
    pipeline.send(sql, params, true);
}

void PgChangeWriter::sendDelete(PgPipeline& pipeline, const PendingChange& change) {
    std::vector<int> compared;
    if (m_mode == upWhereAll || m_relation.keyMode == PgKeyMode::Position) {
        for (int c = 0; c < m_relation.columns.size(); ++c)
            compared.push_back(c);
    }
    PgParams params;
    const QByteArray sql =
        "DELETE FROM " + m_relation.quotedName + rowCondition(change, compared, params);
    pipeline.send(sql, params, true);
}

QByteArray PgChangeWriter::rowCondition(const PendingChange& change,
                                        const std::vector<int>& compared, PgParams& params) const {
    QList<QByteArray> terms;
    switch (m_relation.keyMode) {
        case PgKeyMode::Columns: {
            const int first = params.count() + 1;
            PgKey::bind(m_relation, change.key, params);
            // Equality under the column's own collation, so that the key's index finds the row.
            for (size_t k = 0; k < m_relation.key.size(); ++k)
                terms.append(m_relation.columns[m_relation.key[k].column].quoted + " = " +
                             mark(first + static_cast<int>(k)));
            break;
        }
        case PgKeyMode::RowId:
            PgKey::bind(m_relation, change.key, params);
            terms.append("ctid = " + mark(params.count()) + "::pg_catalog.tid");
            break;
        case PgKeyMode::Position:
            break;
    }
    for (const int c : compared) {
        const PgColumn& column = m_relation.columns[c];
        PgValueText::addParam(column.kind, change.original[c], params);
        // Types without an equality operator (json, point, ...) compare by the text that was
        // read.
        if (column.kind == PgKind::Other)
            terms.append("(CASE WHEN " + column.quoted + " IS NOT NULL THEN " +
                         PgOutputText(column.quoted) + " END) IS NOT DISTINCT FROM " +
                         mark(params.count()) + "::pg_catalog.text");
        else
            terms.append(column.quoted + " IS NOT DISTINCT FROM " + mark(params.count()));
    }
    if (terms.isEmpty())
        return {};
    return " WHERE " + terms.join(" AND ");
}
