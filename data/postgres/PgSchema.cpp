#include "data/postgres/PgSchema.h"

#include "data/postgres/PgCatalog.h"
#include "data/postgres/PgSession.h"

namespace PgSchema {

namespace {

QString text(const PGresult* r, int row, int col) {
    return QString::fromUtf8(PQgetvalue(r, row, col), PQgetlength(r, row, col));
}

bool flag(const PGresult* r, int row, int col) {
    return PQgetvalue(r, row, col)[0] == 't';
}

PgResultPtr query(PgSession& session, const QByteArray& sql, unsigned oid) {
    PgParams params;
    params.addText(QByteArray::number(oid));
    return session.execParams(sql, params);
}

QString listedName(PgSession& session, unsigned oid) {
    const PgResultPtr r = query(session,
                                "SELECT n.nspname, c.relname, pg_catalog.pg_table_is_visible(c.oid)"
                                " FROM pg_catalog.pg_class c"
                                " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
                                " WHERE c.oid = $1",
                                oid);
    return PgCatalog::listedName(text(r.get(), 0, 0), text(r.get(), 0, 1), flag(r.get(), 0, 2));
}

void readIndexes(PgSession& session, unsigned oid, TableStructure& structure) {
    const bool hasKeyAtts = session.serverVersion() >= 110000;
    const QByteArray sql =
        QByteArrayLiteral(
            "SELECT i.indexrelid, ic.relname, i.indisprimary, a.attname"
            " FROM pg_catalog.pg_index i"
            " JOIN pg_catalog.pg_class ic ON ic.oid = i.indexrelid"
            " CROSS JOIN LATERAL pg_catalog.unnest(i.indkey::pg_catalog.int2[])"
            "  WITH ORDINALITY AS k(attnum, n)"
            " JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.attnum"
            " WHERE i.indrelid = $1 AND i.indisunique AND i.indisvalid"
            "  AND i.indpred IS NULL AND i.indexprs IS NULL AND k.n <= ") +
        (hasKeyAtts ? "i.indnkeyatts" : "i.indnatts") +
        QByteArrayLiteral(" ORDER BY i.indisprimary DESC, ic.relname, i.indexrelid, k.n");
    const PgResultPtr result = query(session, sql, oid);
    const PGresult* r = result.get();
    QString current;
    for (int row = 0; row < PQntuples(r); ++row) {
        const QString index = text(r, row, 0);
        const QString column = text(r, row, 3);
        if (flag(r, row, 2)) {
            structure.primaryKey.append(column);
            continue;
        }
        if (index != current) {
            current = index;
            structure.uniqueIndexes.append({text(r, row, 1), {}});
        }
        structure.uniqueIndexes.last().columns.append(column);
    }
}

void readForeignKeys(PgSession& session, unsigned oid, TableStructure& structure) {
    const PgResultPtr result = query(
        session,
        "SELECT c.oid, c.conname, a.attname, fa.attname, fn.nspname, f.relname,"
        "  pg_catalog.pg_table_is_visible(f.oid)"
        " FROM pg_catalog.pg_constraint c"
        " CROSS JOIN LATERAL ROWS FROM (pg_catalog.unnest(c.conkey), pg_catalog.unnest(c.confkey))"
        "  WITH ORDINALITY AS k(attnum, fattnum, n)"
        " JOIN pg_catalog.pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = k.attnum"
        " JOIN pg_catalog.pg_attribute fa ON fa.attrelid = c.confrelid AND fa.attnum = k.fattnum"
        " JOIN pg_catalog.pg_class f ON f.oid = c.confrelid"
        " JOIN pg_catalog.pg_namespace fn ON fn.oid = f.relnamespace"
        " WHERE c.conrelid = $1 AND c.contype = 'f'"
        " ORDER BY c.conname, c.oid, k.n",
        oid);
    const PGresult* r = result.get();
    QString current;
    for (int row = 0; row < PQntuples(r); ++row) {
        if (text(r, row, 0) != current) {
            current = text(r, row, 0);
            TableStructure::ForeignKey key;
            key.name = text(r, row, 1);
            key.table = PgCatalog::listedName(text(r, row, 4), text(r, row, 5), flag(r, row, 6));
            structure.foreignKeys.append(key);
        }
        structure.foreignKeys.last().columns.append(text(r, row, 2));
        structure.foreignKeys.last().referencedColumns.append(text(r, row, 3));
    }
}

}  // namespace

TableStructure describe(PgSession& session, const QString& name) {
    const PgRelation relation = PgCatalog::load(session, name);
    TableStructure structure;
    structure.name = listedName(session, relation.oid);
    structure.columns = relation.infos;
    readIndexes(session, relation.oid, structure);
    readForeignKeys(session, relation.oid, structure);
    return structure;
}

}  // namespace PgSchema
