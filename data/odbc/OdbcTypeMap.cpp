#include "data/odbc/OdbcTypeMap.h"

#include "data/sqlite/SqliteTypes.h"

#include <sqlext.h>

#include <algorithm>
#include <limits>

namespace OdbcTypeMap {

namespace {

void setRange(ColumnInfo& info, qint64 min, qint64 max) {
    info.hasRange = true;
    info.minValue = min;
    info.maxValue = max;
}

// What the engine behind the driver stores beyond the column's type: MariaDB and MySQL keep no
// NaN or infinity, PostgreSQL no NUL in text; a column reports its decimal digits and the
// fraction digits of its times.
void setLimits(OdbcColumn& column, const QString& typeName, OdbcDialect::Engine engine) {
    ColumnLimits& limits = column.info.limits;
    const bool mysql = engine == OdbcDialect::Engine::MySQL;
    limits.holdsNaN = !mysql && engine != OdbcDialect::Engine::SqlServer;
    limits.holdsInfinity = limits.holdsNaN;
    limits.holdsNul = engine != OdbcDialect::Engine::PostgreSQL;
    switch (column.sqlType) {
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (column.columnSize > 0) {
                limits.precision = int(column.columnSize);
                limits.scale = std::max<int>(0, column.digits);
            }
            break;
        case SQL_REAL:
            limits.singleFloat = true;
            break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            limits.fractionDigits = std::clamp<int>(column.digits, 0, 6);
            break;
        default:
            break;
    }
    if (mysql) {
        // The ranges MariaDB and MySQL document for their date types.
        const bool stamp = typeName == QLatin1String("timestamp");
        limits.minDate = stamp ? QDate(1970, 1, 2) : QDate(1000, 1, 1);
        limits.maxDate = stamp ? QDate(2038, 1, 18) : QDate(9999, 12, 31);
    }
}

int textSize(const OdbcColumn& column) {
    // Drivers report huge or odd sizes for unbounded text.
    return column.columnSize > 0 && column.columnSize < 65536 ? int(column.columnSize) : 0;
}

}  // namespace

bool IsLongType(SQLSMALLINT sqlType) {
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR ||
           sqlType == SQL_LONGVARBINARY;
}

void MapColumn(OdbcColumn& column, const QString& typeName, OdbcDialect::Engine engine) {
    ColumnInfo& info = column.info;
    const QString name = typeName.toLower();
    column.comparable = !IsLongType(column.sqlType);
    if (engine == OdbcDialect::Engine::SQLite) {
        // SQLite keeps the declared type as written; its driver's SQL types are guesses.
        const ColumnInfo mapped = SqliteTypes::MapColumn(info.name, typeName, false);
        info.type = mapped.type;
        info.size = mapped.size;
        info.hasRange = mapped.hasRange;
        info.minValue = mapped.minValue;
        info.maxValue = mapped.maxValue;
        info.limits = mapped.limits;
        column.comparable = !IsBlobType(info.type);
        return;
    }
    setLimits(column, name, engine);
    if (name == QLatin1String("bool") || name == QLatin1String("boolean")) {
        // Some drivers report booleans as one-character text.
        info.type = ftBoolean;
        column.comparable = true;
        return;
    }
    if (name.contains(QLatin1String("money"))) {
        info.type = ftCurrency;
        // Money keeps cents (PostgreSQL) or four places (SQL Server), and rounds the rest away.
        info.limits.scale = engine == OdbcDialect::Engine::PostgreSQL ? 2 : 4;
        // Engines compare money with money only.
        column.comparable = false;
        return;
    }
    if (name == QLatin1String("bytea")) {
        info.type = ftBlob;
        column.comparable = false;
        return;
    }
    if (name == QLatin1String("uuid")) {
        // MariaDB's driver reports its UUID as long binary, but the value is the UUID's text.
        info.type = ftGuid;
        info.limits.uuidOnly = true;
        column.columnSize = 36;
        return;
    }
    switch (column.sqlType) {
        case SQL_TINYINT:
            info.type = ftSmallint;
            setRange(info, -128, 255);
            break;
        case SQL_SMALLINT:
            info.type = ftSmallint;
            setRange(info, -32768, 32767);
            break;
        case SQL_INTEGER:
            info.type = ftInteger;
            setRange(info, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
            break;
        case SQL_BIGINT:
            info.type = ftLargeint;
            break;
        case SQL_BIT:
            info.type = ftBoolean;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            info.type = ftFloat;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            info.type = column.columnSize > 0 && column.digits <= 4 ? ftBCD : ftFMTBcd;
            break;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            info.type = ftDate;
            break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            info.type = ftTime;
            break;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            info.type = ftDateTime;
            break;
        case SQL_CHAR:
        case SQL_WCHAR:
            info.type = ftFixedChar;
            info.size = textSize(column);
            break;
        case SQL_VARCHAR:
        case SQL_WVARCHAR:
            info.type = ftString;
            info.size = textSize(column);
            break;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            // A server's long text is text of its character set, not bytes as SQLite keeps.
            info.type = ftMemo;
            info.limits.holdsAnyBytes = false;
            break;
        case SQL_BINARY:
            info.type = ftBytes;
            info.size = textSize(column);
            break;
        case SQL_VARBINARY:
            info.type = ftVarBytes;
            info.size = textSize(column);
            break;
        case SQL_LONGVARBINARY:
            info.type = ftBlob;
            break;
        case SQL_GUID:
            info.type = ftGuid;
            info.limits.uuidOnly = true;
            break;
        default:
            info.type = ftString;  // carried as text
            info.textForm = true;
            break;
    }
}

}  // namespace OdbcTypeMap
