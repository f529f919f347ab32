#include "data/odbc/OdbcCatalog.h"

#include "data/Exceptions.h"
#include "data/odbc/OdbcDialect.h"
#include "data/odbc/OdbcRead.h"
#include "data/odbc/OdbcSession.h"
#include "data/odbc/OdbcTypeMap.h"

#include <sqlext.h>
#include <QMap>
#include <algorithm>

namespace OdbcCatalog {

namespace {

// MariaDB's catalogs are its databases, and a null catalog reaches every database the login
// sees: a table of the same name elsewhere would pass for one of this database.
QString ownCatalog(OdbcSession& session) {
    if (OdbcSqlEngine(session.dialect()) != SqlEngine::MySQL)
        return QString();
    SQLWCHAR buffer[256];
    SQLINTEGER length = 0;
    if (!SQL_SUCCEEDED(SQLGetConnectAttrW(session.dbc(), SQL_ATTR_CURRENT_CATALOG, buffer,
                                          sizeof buffer - sizeof(SQLWCHAR), &length)) ||
        length <= 0)
        return QString();
    return OdbcString(buffer, length / SQLINTEGER(sizeof(SQLWCHAR)));
}

bool isSystemName(const OdbcDialect& dialect, const QString& name) {
    return dialect.engine == OdbcDialect::Engine::SQLite &&
           name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

bool isTemporal(SQLSMALLINT sqlType) {
    return sqlType == SQL_TYPE_TIME || sqlType == SQL_TIME || sqlType == SQL_TYPE_TIMESTAMP ||
           sqlType == SQL_TIMESTAMP;
}

// What a query's description says beyond SQLColumns: which columns the database fills in (what
// the driver describes as auto-unique), and the fraction digits of times where SQLColumns left
// them out (`digitsReported` false), as MariaDB's driver does.
void readDescription(OdbcSession& session, OdbcRelation& relation,
                     const QVector<bool>& digitsReported) {
    OdbcStmt stmt(session.dbc());
    QStringList names;
    for (const OdbcColumn& column : relation.columns)
        names.append(column.quoted);
    const QString sql = QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) +
                        QStringLiteral(" FROM ") + relation.quotedName +
                        QStringLiteral(" WHERE 1 = 0");
    session.check(SQLPrepareW(stmt.get(), OdbcWide(sql), SQL_NTS), stmt.get());
    for (int i = 0; i < relation.columns.size(); ++i) {
        OdbcColumn& column = relation.columns[i];
        SQLLEN autoUnique = SQL_FALSE;
        if (SQL_SUCCEEDED(SQLColAttributeW(stmt.get(), SQLUSMALLINT(i + 1),
                                           SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr,
                                           &autoUnique)) &&
            autoUnique == SQL_TRUE) {
            column.info.generated = true;
        }
        SQLSMALLINT digits = 0;
        if (!digitsReported[i] && isTemporal(column.sqlType) &&
            SQL_SUCCEEDED(SQLDescribeColW(stmt.get(), SQLUSMALLINT(i + 1), nullptr, 0, nullptr,
                                          nullptr, nullptr, &digits, nullptr))) {
            column.digits = digits;
            column.info.limits.fractionDigits = std::clamp<int>(digits, 0, 6);
        }
    }
}

// The type as a CREATE TABLE of the same engine reads it: the driver's name with the size,
// precision or fraction digits SQLColumns reports. SQLite's driver reports the declared text.
QString declaredType(const OdbcColumn& column, const QString& typeName,
                     OdbcDialect::Engine engine) {
    if (engine == OdbcDialect::Engine::SQLite || typeName.contains(QLatin1Char('(')))
        return typeName;
    const QString lower = typeName.toLower();
    QString arguments;
    switch (column.sqlType) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_BINARY:
        case SQL_VARBINARY:
            // Types that merely travel as text (intervals, JSON, ...) take no length.
            if (column.columnSize > 0 &&
                (lower.contains(QLatin1String("char")) || lower.contains(QLatin1String("binary"))))
                arguments = QString::number(column.columnSize);
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (column.columnSize > 0)
                arguments = QString::number(column.columnSize) + QLatin1Char(',') +
                            QString::number(std::max<int>(0, column.digits));
            break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            if (column.digits > 0)
                arguments = QString::number(column.digits);
            break;
        default:
            break;
    }
    if (arguments.isEmpty())
        return typeName;
    // MySQL names the sign after the arguments: DECIMAL(10,2) UNSIGNED.
    const qsizetype unsignedAt = lower.indexOf(QLatin1String(" unsigned"));
    const qsizetype at = unsignedAt >= 0 ? unsignedAt : typeName.size();
    return typeName.left(at) + QLatin1Char('(') + arguments + QLatin1Char(')') + typeName.mid(at);
}

QVector<int> indicesOf(const OdbcRelation& relation, const QStringList& names) {
    QVector<int> key;
    for (const QString& name : names) {
        int found = -1;
        for (int i = 0; i < relation.columns.size(); ++i) {
            if (relation.columns[i].info.name == name)
                found = i;
        }
        if (found < 0)
            return {};
        key.append(found);
    }
    return key;
}

// The first unique index whose columns are all NOT NULL and comparable.
QVector<int> uniqueIndex(OdbcSession& session, const OdbcRelation& relation,
                         const QMap<QString, bool>& notNull) {
    OdbcStmt stmt(session.dbc());
    session.check(
        SQLStatisticsW(stmt.get(), Arg(relation.catalog), ArgLength(relation.catalog),
                       Arg(relation.schema), ArgLength(relation.schema), OdbcWide(relation.name),
                       SQLSMALLINT(relation.name.size()), SQL_INDEX_UNIQUE, SQL_QUICK),
        stmt.get());
    QStringList order;
    QMap<QString, QMap<qint64, QString>> indexes;
    while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
        const qint64 nonUnique = OdbcRead::Integer(session, stmt.get(), 4, 1);
        const QString index = OdbcRead::Text(session, stmt.get(), 6);
        const qint64 type = OdbcRead::Integer(session, stmt.get(), 7, SQL_TABLE_STAT);
        const qint64 position = OdbcRead::Integer(session, stmt.get(), 8, 0);
        const QString column = OdbcRead::Text(session, stmt.get(), 9);
        if (type == SQL_TABLE_STAT || nonUnique != 0 || column.isNull())
            continue;
        if (!indexes.contains(index))
            order.append(index);
        indexes[index].insert(position, column);
    }
    for (const QString& index : order) {
        const QStringList columns = indexes[index].values();
        bool usable = true;
        for (const QString& column : columns)
            usable = usable && notNull.value(column, false);
        const QVector<int> key = usable ? indicesOf(relation, columns) : QVector<int>();
        bool comparable = !key.isEmpty();
        for (int c : key)
            comparable = comparable && relation.columns[c].comparable;
        if (comparable)
            return key;
    }
    return {};
}

}  // namespace

QStringList PrimaryKey(OdbcSession& session, const OdbcRelation& relation) {
    OdbcStmt stmt(session.dbc());
    session.check(SQLPrimaryKeysW(stmt.get(), Arg(relation.catalog), ArgLength(relation.catalog),
                                  Arg(relation.schema), ArgLength(relation.schema),
                                  OdbcWide(relation.name), SQLSMALLINT(relation.name.size())),
                  stmt.get());
    QMap<qint64, QString> bySequence;
    while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
        const QString column = OdbcRead::Text(session, stmt.get(), 4);
        bySequence.insert(OdbcRead::Integer(session, stmt.get(), 5, bySequence.size() + 1), column);
    }
    return bySequence.values();
}

QStringList TableNames(OdbcSession& session, bool systemTables) {
    OdbcStmt stmt(session.dbc());
    const QString types =
        systemTables ? QStringLiteral("'TABLE','SYSTEM TABLE'") : QStringLiteral("'TABLE'");
    const QString catalog = ownCatalog(session);
    session.check(SQLTablesW(stmt.get(), Arg(catalog), ArgLength(catalog), nullptr, 0, nullptr, 0,
                             OdbcWide(types), SQL_NTS),
                  stmt.get());
    QStringList names;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
        const QString name = OdbcRead::Text(session, stmt.get(), 3);
        if (!name.isEmpty() && (systemTables || !isSystemName(session.dialect(), name)) &&
            !names.contains(name))
            names.append(name);
    }
    session.check(rc, stmt.get());
    return names;
}

OdbcRelation Load(OdbcSession& session, const QString& table) {
    const OdbcDialect& dialect = session.dialect();
    OdbcRelation relation;
    relation.name = table;
    relation.quotedName = dialect.quoted(table);

    OdbcStmt stmt(session.dbc());
    const QString pattern = dialect.pattern(table);
    const QString catalog = ownCatalog(session);
    session.check(SQLColumnsW(stmt.get(), Arg(catalog), ArgLength(catalog), nullptr, 0,
                              Arg(pattern), ArgLength(pattern), nullptr, 0),
                  stmt.get());
    bool first = true;
    QMap<QString, bool> notNull;
    QStringList typeNames;
    QVector<bool> digitsReported;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
        const QString rowCatalog = OdbcRead::Text(session, stmt.get(), 1);
        const QString rowSchema = OdbcRead::Text(session, stmt.get(), 2);
        const QString rowTable = OdbcRead::Text(session, stmt.get(), 3);
        if (rowTable != table)
            continue;  // a pattern the driver did not escape
        if (first) {
            relation.catalog = rowCatalog;
            relation.schema = rowSchema;
            first = false;
        } else if (rowCatalog != relation.catalog || rowSchema != relation.schema) {
            continue;  // the same name in another schema
        }
        OdbcColumn column;
        column.info.name = OdbcRead::Text(session, stmt.get(), 4);
        column.quoted = dialect.quoted(column.info.name);
        column.utf8Text = dialect.utf8Text;
        column.sqlType = SQLSMALLINT(OdbcRead::Integer(session, stmt.get(), 5, SQL_VARCHAR));
        const QString typeName = OdbcRead::Text(session, stmt.get(), 6);
        column.columnSize =
            SQLULEN(std::max<qint64>(0, OdbcRead::Integer(session, stmt.get(), 7, 0)));
        const qint64 digits = OdbcRead::Integer(session, stmt.get(), 9, -1);
        column.digits = SQLSMALLINT(std::max<qint64>(0, digits));
        digitsReported.append(digits >= 0);
        typeNames.append(typeName);
        const bool nullable =
            OdbcRead::Integer(session, stmt.get(), 11, SQL_NULLABLE) != SQL_NO_NULLS;
        QString defaultValue = OdbcRead::Text(session, stmt.get(), 13);
        if (defaultValue.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
            defaultValue = QString();  // some drivers spell out the absent default
        OdbcTypeMap::MapColumn(column, typeName, dialect.engine);
        const QString lowerType = typeName.toLower();
        if (lowerType.contains(QLatin1String("identity")) ||
            lowerType.contains(QLatin1String("serial")) ||
            defaultValue.contains(QLatin1String("nextval("), Qt::CaseInsensitive))
            column.info.generated = true;
        column.hasDefault = !defaultValue.isNull();
        column.info.required = !nullable && defaultValue.isNull();
        column.info.notNull = !nullable;
        notNull.insert(column.info.name, !nullable);
        relation.columns.append(column);
    }
    session.check(rc, stmt.get());
    stmt = OdbcStmt();
    if (relation.columns.isEmpty())
        throw EDBEngineError(QStringLiteral("Table does not exist. Table: %1").arg(table),
                             QStringLiteral("42S02"));

    readDescription(session, relation, digitsReported);
    for (int i = 0; i < relation.columns.size(); ++i) {
        OdbcColumn& column = relation.columns[i];
        column.info.declaredType = declaredType(column, typeNames[i], dialect.engine);
        if (column.info.generated) {
            column.info.required = false;
            if (KindOf(column.info.type) == FieldKind::Integer)
                column.info.type = ftAutoInc;
        }
    }

    const QStringList key = PrimaryKey(session, relation);
    relation.key = indicesOf(relation, key);
    if (relation.key.isEmpty())
        relation.key = uniqueIndex(session, relation, notNull);
    if (relation.key.isEmpty()) {
        const bool anyComparable = std::any_of(relation.columns.begin(), relation.columns.end(),
                                               [](const OdbcColumn& c) { return c.comparable; });
        if (!anyComparable)
            relation.readOnlyReason =
                QStringLiteral(
                    "Table %1 has no key and no column that finds its rows: it can "
                    "only be read")
                    .arg(table);
    }
    return relation;
}

}  // namespace OdbcCatalog
