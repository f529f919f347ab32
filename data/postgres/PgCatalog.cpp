#include "data/postgres/PgCatalog.h"

#include "data/Exceptions.h"
#include "data/postgres/PgIdentifier.h"
#include "data/postgres/PgKey.h"
#include "data/postgres/PgSession.h"

namespace PgCatalog {

namespace {

constexpr unsigned DefaultCollationOid = 100;

const char* const RelationKinds = "('r','p','v','m','f')";

QString text(const PGresult* r, int row, int col) {
    return QString::fromUtf8(PQgetvalue(r, row, col), PQgetlength(r, row, col));
}

bool flag(const PGresult* r, int row, int col) {
    return PQgetvalue(r, row, col)[0] == 't';
}

unsigned oidValue(const PGresult* r, int row, int col) {
    return QByteArray(PQgetvalue(r, row, col)).toUInt();
}

// glibc's C.UTF-8 orders by code point, which UTF-8 bytes preserve.
bool isBytewiseLocale(QString locale) {
    locale = locale.toLower().remove(QLatin1Char('-'));
    return locale == QLatin1String("c") || locale == QLatin1String("posix") ||
           locale == QLatin1String("c.utf8");
}

bool databaseIsBytewise(PgSession& session) {
    const bool hasProvider = session.serverVersion() >= 150000;
    const QByteArray sql = hasProvider ? "SELECT datcollate, datlocprovider::text FROM "
                                         "pg_catalog.pg_database WHERE datname = current_database()"
                                       : "SELECT datcollate, 'c' FROM pg_catalog.pg_database "
                                         "WHERE datname = current_database()";
    const PgResultPtr r = session.execParams(sql, PgParams());
    if (PQntuples(r.get()) != 1)
        return false;
    return text(r.get(), 0, 1) == QLatin1String("c") && isBytewiseLocale(text(r.get(), 0, 0));
}

unsigned findRelation(PgSession& session, const QString& name) {
    const QByteArray visible =
        QByteArrayLiteral(
            "SELECT c.oid FROM pg_catalog.pg_class c WHERE c.relname = $1 AND "
            "c.relkind IN ") +
        RelationKinds + " AND pg_catalog.pg_table_is_visible(c.oid)";
    {
        // The name exactly as listed first, so that names holding dots or quotes need no
        // quoting.
        PgParams params;
        params.addText(name.toUtf8());
        const PgResultPtr r = session.execParams(visible, params);
        if (PQntuples(r.get()) > 0)
            return oidValue(r.get(), 0, 0);
    }
    QStringList parts = PgSplitQualifiedName(name);
    if (parts.size() == 3) {
        const PgResultPtr r = session.exec("SELECT current_database()");
        if (text(r.get(), 0, 0) != parts[0])
            return 0;
        parts.removeFirst();
    }
    PgParams params;
    for (const QString& part : parts)
        params.addText(part.toUtf8());
    if (parts.size() == 1) {
        const PgResultPtr r = session.execParams(visible, params);
        return PQntuples(r.get()) > 0 ? oidValue(r.get(), 0, 0) : 0;
    }
    if (parts.size() == 2) {
        const QByteArray sql = QByteArrayLiteral(
                                   "SELECT c.oid FROM pg_catalog.pg_class c JOIN "
                                   "pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE "
                                   "n.nspname = $1 AND c.relname = $2 AND c.relkind IN ") +
                               RelationKinds;
        const PgResultPtr r = session.execParams(sql, params);
        return PQntuples(r.get()) > 0 ? oidValue(r.get(), 0, 0) : 0;
    }
    return 0;
}

void loadColumns(PgSession& session, PgRelation& relation) {
    const bool hasGenerated = session.serverVersion() >= 120000;
    // Domains resolve to their base type; the innermost type modifier and any domain default
    // count.
    const QByteArray sql =
        QByteArrayLiteral(
            "WITH RECURSIVE chain AS ("
            " SELECT a.attnum, a.atttypid AS typ, a.atttypmod AS typmod, false AS domdef"
            " FROM pg_catalog.pg_attribute a"
            " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped"
            " UNION ALL"
            " SELECT ch.attnum, t.typbasetype,"
            "  CASE WHEN ch.typmod <> -1 THEN ch.typmod ELSE t.typtypmod END,"
            "  ch.domdef OR t.typdefaultbin IS NOT NULL OR t.typdefault IS NOT NULL"
            " FROM chain ch JOIN pg_catalog.pg_type t ON t.oid = ch.typ WHERE t.typtype = 'd')"
            " SELECT a.attname, b.typ, b.typmod, b.domdef, a.attnotnull, a.atthasdef,"
            "  a.attidentity::text, ") +
        (hasGenerated ? "a.attgenerated::text" : "''") +
        QByteArrayLiteral(
            ", pg_catalog.pg_get_expr(d.adbin, d.adrelid), a.attcollation,"
            "  coll.collprovider::text, coll.collcollate,"
            "  pg_catalog.format_type(a.atttypid, a.atttypmod)"
            " FROM pg_catalog.pg_attribute a"
            " JOIN chain b ON b.attnum = a.attnum"
            " JOIN pg_catalog.pg_type bt ON bt.oid = b.typ AND bt.typtype <> 'd'"
            " LEFT JOIN pg_catalog.pg_attrdef d"
            "  ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
            " LEFT JOIN pg_catalog.pg_collation coll ON coll.oid = a.attcollation"
            " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped"
            " ORDER BY a.attnum");
    PgParams params;
    params.addText(QByteArray::number(relation.oid));
    const PgResultPtr result = session.execParams(sql, params);
    const PGresult* r = result.get();

    int dbBytewise = -1;  // asked once, only when a column uses the default collation
    for (int row = 0; row < PQntuples(r); ++row) {
        PgColumn column;
        const QString name = text(r, row, 0);
        const unsigned type = oidValue(r, row, 1);
        const int typmod = QByteArray(PQgetvalue(r, row, 2)).toInt();
        const bool domainDefault = flag(r, row, 3);
        const bool notNull = flag(r, row, 4);
        const bool hasDef = flag(r, row, 5);
        const QString identity = text(r, row, 6);
        const QString generated = text(r, row, 7);
        const QString defaultExpr = text(r, row, 8);
        const unsigned collation = oidValue(r, row, 9);

        column.generatedStored = generated == QLatin1String("s");
        const bool serial =
            !column.generatedStored && hasDef && defaultExpr.startsWith(QLatin1String("nextval("));
        const bool autoIncrement = serial || !identity.isEmpty();
        column.identityAlways = identity == QLatin1String("a");
        column.notNull = notNull;
        column.hasDefault = (hasDef && !column.generatedStored) || domainDefault || autoIncrement;

        const PgTypeInfo type_ = PgMapType(type, typmod, autoIncrement);
        column.kind = type_.kind;
        column.quoted = PgQuoteIdentifier(name);
        column.info.name = name;
        column.info.type = type_.fieldType;
        column.info.size = type_.size;
        column.info.hasRange = type_.hasRange;
        column.info.limits = type_.limits;
        column.info.minValue = type_.minValue;
        column.info.maxValue = type_.maxValue;
        column.info.generated = autoIncrement || column.generatedStored;
        column.info.required = notNull && !column.hasDefault && !column.info.generated;
        column.info.declaredType = text(r, row, 12);
        column.info.notNull = notNull;
        column.info.textForm = column.kind == PgKind::Other;

        if (collation == DefaultCollationOid) {
            if (dbBytewise < 0)
                dbBytewise = databaseIsBytewise(session) ? 1 : 0;
            column.byteOrdered = dbBytewise == 1;
        } else if (collation != 0) {
            column.byteOrdered =
                text(r, row, 10) == QLatin1String("c") && isBytewiseLocale(text(r, row, 11));
        }
        relation.columns.append(column);
        relation.infos.append(column.info);
    }
}

QByteArray keyExpression(const PgColumn& column, PgKeyKind kind) {
    if (kind == PgKeyKind::TextForm)
        return PgOutputText(column.quoted) + " COLLATE \"C\"";
    if ((kind == PgKeyKind::Text || kind == PgKeyKind::FixedChar) && !column.byteOrdered &&
        column.kind != PgKind::Uuid)
        return column.quoted + " COLLATE \"C\"";
    return column.quoted;
}

void chooseKey(PgSession& session, PgRelation& relation) {
    const bool hasKeyAtts = session.serverVersion() >= 110000;
    const QByteArray sql = QByteArrayLiteral("SELECT ") +
                           (hasKeyAtts ? "i.indnkeyatts" : "i.indnatts") +
                           QByteArrayLiteral(
                               ", pg_catalog.array_to_string(i.indkey::pg_catalog.int2[], ' ')"
                               " FROM pg_catalog.pg_index i"
                               " WHERE i.indrelid = $1 AND i.indisunique AND i.indisvalid"
                               "  AND i.indpred IS NULL AND i.indexprs IS NULL"
                               " ORDER BY i.indisprimary DESC, 1, i.indexrelid");
    PgParams params;
    params.addText(QByteArray::number(relation.oid));
    const PgResultPtr result = session.execParams(sql, params);
    const PGresult* r = result.get();

    for (int row = 0; row < PQntuples(r); ++row) {
        const int keyCount = QByteArray(PQgetvalue(r, row, 0)).toInt();
        const QList<QByteArray> numbers = QByteArray(PQgetvalue(r, row, 1)).split(' ');
        std::vector<PgKeyPart> key;
        bool usable = keyCount > 0 && numbers.size() >= keyCount;
        for (int i = 0; usable && i < keyCount; ++i) {
            const int attnum = numbers[i].toInt();
            // A unique index admits several NULLs, which no bookmark can tell apart.
            usable = attnum >= 1 && attnum <= relation.columns.size() &&
                     relation.columns[attnum - 1].notNull;
            if (!usable)
                break;
            PgKeyPart part;
            part.column = attnum - 1;
            part.kind = PgKey::kindOf(relation.columns[part.column]);
            part.expression = keyExpression(relation.columns[part.column], part.kind);
            key.push_back(part);
        }
        if (usable) {
            relation.keyMode = PgKeyMode::Columns;
            relation.key = std::move(key);
            return;
        }
    }
    relation.keyMode = (relation.relkind == 'r' || relation.relkind == 'm') ? PgKeyMode::RowId
                                                                            : PgKeyMode::Position;
}

}  // namespace

QString listedName(const QString& schema, const QString& name, bool visible) {
    if (visible)
        return name;
    return PgDisplayIdentifier(schema) + QLatin1Char('.') + PgDisplayIdentifier(name);
}

QStringList tableNames(PgSession& session, bool systemTables) {
    const QByteArray sql = QByteArrayLiteral(
                               "SELECT n.nspname, c.relname, pg_catalog.pg_table_is_visible(c.oid)"
                               " FROM pg_catalog.pg_class c"
                               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
                               " WHERE c.relkind IN ") +
                           RelationKinds +
                           QByteArrayLiteral(
                               " AND NOT c.relispartition"
                               " AND NOT pg_catalog.pg_is_other_temp_schema(n.oid)"
                               " AND n.nspname <> 'pg_toast'"
                               " AND pg_catalog.has_table_privilege(c.oid, 'SELECT')"
                               " AND ($1 OR n.nspname NOT IN ('pg_catalog', 'information_schema'))"
                               " ORDER BY 3 DESC, 1, 2");
    PgParams params;
    params.addText(systemTables ? "t" : "f");
    const PgResultPtr result = session.execParams(sql, params);
    const PGresult* r = result.get();
    QStringList names;
    for (int row = 0; row < PQntuples(r); ++row) {
        names.append(listedName(text(r, row, 0), text(r, row, 1), flag(r, row, 2)));
    }
    return names;
}

PgRelation load(PgSession& session, const QString& name) {
    PgRelation relation;
    relation.oid = findRelation(session, name);
    if (relation.oid == 0)
        throw EDBEngineError(QStringLiteral("Table '%1' does not exist").arg(name),
                             QStringLiteral("42P01"), true);
    PgParams params;
    params.addText(QByteArray::number(relation.oid));
    const PgResultPtr r = session.execParams(
        "SELECT n.nspname, c.relname, c.relkind FROM pg_catalog.pg_class c"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE c.oid = $1",
        params);
    if (PQntuples(r.get()) != 1)
        throw EDBEngineError(QStringLiteral("Table '%1' does not exist").arg(name),
                             QStringLiteral("42P01"), true);
    relation.schema = text(r.get(), 0, 0);
    relation.name = text(r.get(), 0, 1);
    relation.relkind = PQgetvalue(r.get(), 0, 2)[0];
    relation.quotedName = PgQualifiedName(relation.schema, relation.name);
    loadColumns(session, relation);
    chooseKey(session, relation);
    return relation;
}

}  // namespace PgCatalog
