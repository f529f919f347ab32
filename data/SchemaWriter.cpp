#include "data/SchemaWriter.h"

#include <limits>

namespace SchemaWriter {
namespace {

// MariaDB's widest decimal, and the longest VARCHAR of four-byte characters one row can hold.
constexpr int MySqlMaxPrecision = 65;
constexpr int MySqlMaxScale = 30;
constexpr int MySqlMaxVarchar = 16383;

[[noreturn]] void refuse(const TableStructure& table, const ColumnInfo& column, SqlEngine to,
                         const QString& why) {
    const QString type =
        column.declaredType.isEmpty() ? FieldTypeName(column.type) : column.declaredType;
    throw UnmappableType(QStringLiteral("Table %1, column %2: %3 %4 in %5")
                             .arg(table.name, column.name, type, why, EngineName(to)));
}

bool inPrimaryKey(const TableStructure& table, const ColumnInfo& column) {
    return table.primaryKey.contains(column.name);
}

// Integers by the range the source declares; SQLite's are 64 bits whatever their type says.
QString integerType(const ColumnInfo& column, SqlEngine to) {
    if (to == SqlEngine::SQLite)
        return QStringLiteral("INTEGER");
    const bool smallRange =
        column.hasRange && column.minValue >= -32768 && column.maxValue <= 32767;
    const bool intRange = column.hasRange &&
                          column.minValue >= std::numeric_limits<qint32>::min() &&
                          column.maxValue <= std::numeric_limits<qint32>::max();
    if (smallRange)
        return QStringLiteral("SMALLINT");
    if (intRange)
        return to == SqlEngine::MySQL ? QStringLiteral("INT") : QStringLiteral("INTEGER");
    return QStringLiteral("BIGINT");
}

QString decimalType(const TableStructure& table, const ColumnInfo& column, SqlEngine to) {
    const int precision = column.limits.precision;
    const int scale = qMax(column.limits.scale, 0);
    if (to == SqlEngine::MySQL) {
        if (precision <= 0) {
            refuse(table, column, to, QStringLiteral("has no precision; the widest decimal of"));
        }
        if (precision > MySqlMaxPrecision || scale > MySqlMaxScale)
            refuse(table, column, to, QStringLiteral("is wider than any decimal of"));
    }
    if (precision <= 0)
        return QStringLiteral("NUMERIC");
    return QStringLiteral("NUMERIC(%1,%2)").arg(precision).arg(scale);
}

QString fraction(const QString& type, const ColumnInfo& column, SqlEngine to) {
    if (to == SqlEngine::SQLite)
        return type;
    return QStringLiteral("%1(%2)").arg(type).arg(qBound(0, column.limits.fractionDigits, 6));
}

QString textType(const TableStructure& table, const ColumnInfo& column, SqlEngine to, bool fixed) {
    const int size = column.size;
    if (to == SqlEngine::MySQL) {
        // MariaDB's CHAR drops trailing blanks on reading: VARCHAR keeps them.
        if (size > 0 && size <= MySqlMaxVarchar)
            return QStringLiteral("VARCHAR(%1)").arg(size);
        if (inPrimaryKey(table, column))
            refuse(table, column, to, QStringLiteral("without a length cannot be a key"));
        return QStringLiteral("LONGTEXT");
    }
    if (size <= 0)
        return to == SqlEngine::SQLite ? QStringLiteral("TEXT") : QStringLiteral("text");
    return QStringLiteral("%1(%2)")
        .arg(fixed ? QStringLiteral("CHAR") : QStringLiteral("VARCHAR"))
        .arg(size);
}

QString bytesType(const TableStructure& table, const ColumnInfo& column, SqlEngine to) {
    switch (to) {
        case SqlEngine::SQLite:
            return QStringLiteral("BLOB");
        case SqlEngine::PostgreSQL:
            return QStringLiteral("bytea");
        default:
            if (column.size > 0 && column.size <= 65535 && column.type != ftBlob)
                return QStringLiteral("VARBINARY(%1)").arg(column.size);
            if (inPrimaryKey(table, column))
                refuse(table, column, to, QStringLiteral("without a length cannot be a key"));
            return QStringLiteral("LONGBLOB");
    }
}

}  // namespace

QString EngineName(SqlEngine engine) {
    switch (engine) {
        case SqlEngine::SQLite:
            return QStringLiteral("SQLite");
        case SqlEngine::PostgreSQL:
            return QStringLiteral("PostgreSQL");
        case SqlEngine::MySQL:
            return QStringLiteral("MariaDB/MySQL");
        default:
            return QStringLiteral("this engine");
    }
}

QString TargetType(const TableStructure& table, const ColumnInfo& column, SqlEngine from,
                   SqlEngine to) {
    if (to == SqlEngine::Other)
        refuse(table, column, to, QStringLiteral("has no known type"));
    if (from == to && !column.declaredType.isEmpty())
        return column.declaredType;
    if (column.textForm) {
        // Text keeps every value of a type SQLite has no name for; the servers' types differ.
        if (to == SqlEngine::SQLite)
            return QStringLiteral("TEXT");
        refuse(table, column, to, QStringLiteral("has no equal"));
    }
    switch (column.type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            if (column.type == ftLargeint && from != SqlEngine::SQLite && column.hasRange &&
                column.minValue >= 0 &&
                column.declaredType.contains(QLatin1String("unsigned"), Qt::CaseInsensitive)) {
                // Unsigned 64 bits reach past BIGINT.
                return to == SqlEngine::MySQL ? QStringLiteral("BIGINT UNSIGNED")
                                              : QStringLiteral("NUMERIC(20,0)");
            }
            return integerType(column, to);
        case ftBoolean:
            return QStringLiteral("BOOLEAN");
        case ftFloat:
            if (to == SqlEngine::SQLite)
                return QStringLiteral("REAL");
            if (column.limits.singleFloat)
                return to == SqlEngine::MySQL ? QStringLiteral("FLOAT") : QStringLiteral("real");
            return to == SqlEngine::MySQL ? QStringLiteral("DOUBLE")
                                          : QStringLiteral("double precision");
        case ftCurrency:
            // Money of two or four places, up to 17 digits before the point.
            return QStringLiteral("NUMERIC(21,4)");
        case ftBCD:
        case ftFMTBcd:
            return decimalType(table, column, to);
        case ftDate:
            return QStringLiteral("DATE");
        case ftTime:
            return fraction(QStringLiteral("TIME"), column, to);
        case ftDateTime:
            return fraction(to == SqlEngine::PostgreSQL ? QStringLiteral("timestamp")
                                                        : QStringLiteral("DATETIME"),
                            column, to);
        case ftTimeStamp:
            // Where no type keeps a zone, the instant goes in as its UTC time.
            return fraction(to == SqlEngine::PostgreSQL ? QStringLiteral("timestamptz")
                                                        : QStringLiteral("DATETIME"),
                            column, to);
        case ftFixedChar:
            return textType(table, column, to, true);
        case ftString:
        case ftWideString:
            return textType(table, column, to, false);
        case ftMemo:
        case ftFmtMemo:
        case ftOraClob:
            return to == SqlEngine::MySQL ? QStringLiteral("LONGTEXT") : QStringLiteral("TEXT");
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
        case ftGraphic:
        case ftTypedBinary:
        case ftOraBlob:
            return bytesType(table, column, to);
        case ftGuid:
            return to == SqlEngine::PostgreSQL ? QStringLiteral("uuid") : QStringLiteral("UUID");
        default:
            refuse(table, column, to, QStringLiteral("has no equal"));
    }
}

namespace {

QString columnList(const QStringList& columns, const Quote& quote) {
    QStringList quoted;
    for (const QString& column : columns)
        quoted.append(quote(column));
    return quoted.join(QStringLiteral(", "));
}

QString foreignKeyClause(const TableStructure::ForeignKey& key, const Quote& quote) {
    return QStringLiteral("FOREIGN KEY (%1) REFERENCES %2 (%3)")
        .arg(columnList(key.columns, quote), quote(key.table),
             columnList(key.referencedColumns, quote));
}

// SQLite names the indexes of UNIQUE constraints itself and keeps no names of foreign keys;
// such names are made of the table's and the columns'.
QString nameOf(const QString& given, const QString& table, const QStringList& columns,
               const char* suffix) {
    if (!given.isEmpty() && !given.startsWith(QLatin1String("sqlite_")))
        return given;
    return QStringLiteral("%1_%2_%3")
        .arg(table, columns.join(QLatin1Char('_')), QLatin1String(suffix));
}

}  // namespace

QString CreateTable(const TableStructure& table, SqlEngine from, SqlEngine to, const Quote& quote) {
    QStringList parts;
    for (const ColumnInfo& column : table.columns) {
        QString part = quote(column.name) + QLatin1Char(' ') + TargetType(table, column, from, to);
        if (column.notNull || inPrimaryKey(table, column))
            part += QStringLiteral(" NOT NULL");
        parts.append(part);
    }
    if (!table.primaryKey.isEmpty())
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(columnList(table.primaryKey, quote)));
    if (to == SqlEngine::SQLite) {
        for (const TableStructure::ForeignKey& key : table.foreignKeys)
            parts.append(foreignKeyClause(key, quote));
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quote(table.name), parts.join(QStringLiteral(", ")));
}

AfterRows StatementsAfterRows(const TableStructure& table, const TableStructure& existing,
                              SqlEngine to, const Quote& quote,
                              const std::function<bool(const QString&)>& targetHas) {
    AfterRows after;
    const auto hasUnique = [&](const QStringList& columns) {
        if (existing.primaryKey == columns)
            return true;
        for (const TableStructure::UniqueIndex& index : existing.uniqueIndexes) {
            if (index.columns == columns)
                return true;
        }
        return false;
    };
    for (const TableStructure::UniqueIndex& index : table.uniqueIndexes) {
        if (hasUnique(index.columns))
            continue;
        after.uniqueIndexes.append(
            QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3)")
                .arg(quote(nameOf(index.name, table.name, index.columns, "key")), quote(table.name),
                     columnList(index.columns, quote)));
    }
    for (const TableStructure::ForeignKey& key : table.foreignKeys) {
        bool there = false;
        for (const TableStructure::ForeignKey& held : existing.foreignKeys) {
            there = there || (held.columns == key.columns &&
                              held.table.compare(key.table, Qt::CaseInsensitive) == 0);
        }
        if (there)
            continue;
        if (to == SqlEngine::SQLite || !targetHas(key.table)) {
            after.leftOut.append(QStringLiteral("foreign key (%1) to %2")
                                     .arg(key.columns.join(QStringLiteral(", ")), key.table));
            continue;
        }
        after.foreignKeys.append(QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3")
                                     .arg(quote(table.name),
                                          quote(nameOf(key.name, table.name, key.columns, "fkey")),
                                          foreignKeyClause(key, quote)));
    }
    return after;
}

}  // namespace SchemaWriter
