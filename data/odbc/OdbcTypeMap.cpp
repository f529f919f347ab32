#include "data/odbc/OdbcTypeMap.h"

#include "data/sqlite/SqliteTypes.h"

#include <sqlext.h>

#include <limits>

namespace OdbcTypeMap {

namespace {

void setRange(ColumnInfo& info, qint64 min, qint64 max) {
    info.hasRange = true;
    info.minValue = min;
    info.maxValue = max;
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
        column.comparable = !IsBlobType(info.type);
        return;
    }
    if (name == QLatin1String("bool") || name == QLatin1String("boolean")) {
        // Some drivers report booleans as one-character text.
        info.type = ftBoolean;
        column.comparable = true;
        return;
    }
    if (name.contains(QLatin1String("money"))) {
        info.type = ftCurrency;
        // Engines compare money with money only.
        column.comparable = false;
        return;
    }
    if (name == QLatin1String("bytea")) {
        info.type = ftBlob;
        column.comparable = false;
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
            info.type = ftMemo;
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
            break;
        default:
            info.type = ftString;  // carried as text
            break;
    }
}

}  // namespace OdbcTypeMap
