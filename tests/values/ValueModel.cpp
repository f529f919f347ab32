#include "tests/values/ValueModel.h"

#include <QStringList>

namespace {

QString sized(const char* type, int size) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(type), QString::number(size));
}

QString decimal(const char* type, const ColumnSpec& column, int maxPrecision) {
    return QStringLiteral("%1(%2,%3)")
        .arg(QLatin1String(type), QString::number(std::min(column.precision, maxPrecision)),
             QString::number(column.scale));
}

// The declared types README "SQLite column types" maps onto each kind.
QString sqliteType(const ColumnSpec& c) {
    switch (c.kind) {
        case Kind::Int16:
            return QStringLiteral("SMALLINT");
        case Kind::Int32:
            return QStringLiteral("INTEGER");
        case Kind::Int64:
            return QStringLiteral("BIGINT");
        case Kind::Bool:
            return QStringLiteral("BOOLEAN");
        case Kind::Float8:
            return QStringLiteral("DOUBLE");
        case Kind::Float4:
            return QStringLiteral("REAL");
        case Kind::Decimal:
            return decimal("NUMERIC", c, 1000);
        case Kind::Text:
            return sized("VARCHAR", c.size);
        case Kind::FixedText:
            return sized("CHAR", c.size);
        case Kind::Memo:
            return QStringLiteral("CLOB");
        case Kind::Bytes:
            return QStringLiteral("BLOB");
        case Kind::Date:
            return QStringLiteral("DATE");
        case Kind::Time:
            return QStringLiteral("TIME");
        case Kind::Stamp:
            return QStringLiteral("TIMESTAMP");
        case Kind::ZonedStamp:
            return QStringLiteral("DATETIME");
        case Kind::Uuid:
            return QStringLiteral("UUID");
    }
    return {};
}

QString postgresType(const ColumnSpec& c) {
    switch (c.kind) {
        case Kind::Int16:
            return QStringLiteral("smallint");
        case Kind::Int32:
            return QStringLiteral("integer");
        case Kind::Int64:
            return QStringLiteral("bigint");
        case Kind::Bool:
            return QStringLiteral("boolean");
        case Kind::Float8:
            return QStringLiteral("double precision");
        case Kind::Float4:
            return QStringLiteral("real");
        case Kind::Decimal:
            return decimal("numeric", c, 1000);
        case Kind::Text:
            return sized("varchar", c.size);
        case Kind::FixedText:
            return sized("char", c.size);
        case Kind::Memo:
            return QStringLiteral("text");
        case Kind::Bytes:
            return QStringLiteral("bytea");
        case Kind::Date:
            return QStringLiteral("date");
        case Kind::Time:
            return QStringLiteral("time(6)");
        case Kind::Stamp:
            return QStringLiteral("timestamp(6)");
        case Kind::ZonedStamp:
            return QStringLiteral("timestamptz(6)");
        case Kind::Uuid:
            return QStringLiteral("uuid");
    }
    return {};
}

// MariaDB has no boolean of its own (BOOLEAN is TINYINT) and no time zone in its types.
QString mariadbType(const ColumnSpec& c) {
    switch (c.kind) {
        case Kind::Int16:
            return QStringLiteral("SMALLINT");
        case Kind::Int32:
            return QStringLiteral("INT");
        case Kind::Int64:
            return QStringLiteral("BIGINT");
        case Kind::Bool:
            return QStringLiteral("BIT(1)");
        case Kind::Float8:
            return QStringLiteral("DOUBLE");
        case Kind::Float4:
            return QStringLiteral("FLOAT");
        case Kind::Decimal:
            return decimal("DECIMAL", c, 65);
        case Kind::Text:
            return sized("VARCHAR", c.size);
        case Kind::FixedText:
            return sized("CHAR", c.size);
        case Kind::Memo:
            return QStringLiteral("LONGTEXT");
        case Kind::Bytes:
            return QStringLiteral("LONGBLOB");
        case Kind::Date:
            return QStringLiteral("DATE");
        case Kind::Time:
            return QStringLiteral("TIME(6)");
        case Kind::Stamp:
        case Kind::ZonedStamp:
            return QStringLiteral("DATETIME(6)");
        case Kind::Uuid:
            return QStringLiteral("UUID");
    }
    return {};
}

// Firebird 3: decimals of at most 18 digits, time stamps to a ten-thousandth of a second.
QString firebirdType(const ColumnSpec& c) {
    switch (c.kind) {
        case Kind::Int16:
            return QStringLiteral("SMALLINT");
        case Kind::Int32:
            return QStringLiteral("INTEGER");
        case Kind::Int64:
            return QStringLiteral("BIGINT");
        case Kind::Bool:
            return QStringLiteral("BOOLEAN");
        case Kind::Float8:
            return QStringLiteral("DOUBLE PRECISION");
        case Kind::Float4:
            return QStringLiteral("FLOAT");
        case Kind::Decimal:
            return decimal("NUMERIC", c, 18);
        case Kind::Text:
            return sized("VARCHAR", c.size);
        case Kind::FixedText:
            return sized("CHAR", c.size);
        case Kind::Memo:
            return QStringLiteral("BLOB SUB_TYPE TEXT");
        case Kind::Bytes:
            return QStringLiteral("BLOB SUB_TYPE BINARY");
        case Kind::Date:
            return QStringLiteral("DATE");
        case Kind::Time:
            return QStringLiteral("TIME");
        case Kind::Stamp:
        case Kind::ZonedStamp:
            return QStringLiteral("TIMESTAMP");
        case Kind::Uuid:
            return QStringLiteral("CHAR(36)");
    }
    return {};
}

}  // namespace

QString EngineName(Engine engine) {
    switch (engine) {
        case Engine::Sqlite:
            return QStringLiteral("SQLite");
        case Engine::Postgres:
            return QStringLiteral("PostgreSQL");
        case Engine::Mariadb:
            return QStringLiteral("MariaDB");
        case Engine::Firebird:
            return QStringLiteral("Firebird");
        case Engine::Oracle:
            return QStringLiteral("Oracle");
    }
    return {};
}

QString PathName(Path path) {
    switch (path) {
        case Path::Grid:
            return QStringLiteral("Grid");
        case Path::MoveUntyped:
            return QStringLiteral("MoveUntyped");
        case Path::MoveTyped:
            return QStringLiteral("MoveTyped");
        case Path::AnsiByProgram:
            return QStringLiteral("AnsiByProgram");
        case Path::AnsiByShell:
            return QStringLiteral("AnsiByShell");
        case Path::InterbaseByIsql:
            return QStringLiteral("InterbaseByIsql");
        case Path::OracleText:
            return QStringLiteral("OracleText");
    }
    return {};
}

bool IsScript(Path path) {
    return path != Path::Grid && path != Path::MoveUntyped && path != Path::MoveTyped;
}

QString ColumnType(Engine engine, const ColumnSpec& column) {
    switch (engine) {
        case Engine::Sqlite:
            return sqliteType(column);
        case Engine::Postgres:
            return postgresType(column);
        case Engine::Mariadb:
            return mariadbType(column);
        case Engine::Firebird:
        case Engine::Oracle:
            return firebirdType(column);
    }
    return {};
}

QString CreateTableSql(Engine engine, const QString& table, const QVector<ColumnSpec>& columns) {
    QStringList parts{engine == Engine::Firebird ? QStringLiteral("id INTEGER NOT NULL PRIMARY KEY")
                                                 : QStringLiteral("id INTEGER PRIMARY KEY")};
    for (const ColumnSpec& column : columns)
        parts.append(column.name + QLatin1Char(' ') + ColumnType(engine, column));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, parts.join(QStringLiteral(", ")));
}

const QVector<ColumnSpec>& TortureColumns() {
    static const QVector<ColumnSpec> columns{
        {QStringLiteral("i16"), Kind::Int16},
        {QStringLiteral("i32"), Kind::Int32},
        {QStringLiteral("i64"), Kind::Int64},
        {QStringLiteral("flag"), Kind::Bool},
        {QStringLiteral("f64"), Kind::Float8},
        {QStringLiteral("f32"), Kind::Float4},
        {QStringLiteral("d30"), Kind::Decimal, 0, 30, 10},
        {QStringLiteral("d12"), Kind::Decimal, 0, 12, 5},
        {QStringLiteral("d9"), Kind::Decimal, 0, 9, 2},
        {QStringLiteral("vc"), Kind::Text, 10},
        {QStringLiteral("ch"), Kind::FixedText, 10},
        {QStringLiteral("memo"), Kind::Memo},
        {QStringLiteral("bin"), Kind::Bytes},
        {QStringLiteral("dat"), Kind::Date},
        {QStringLiteral("tod"), Kind::Time},
        {QStringLiteral("ts"), Kind::Stamp},
        {QStringLiteral("tstz"), Kind::ZonedStamp},
        {QStringLiteral("uid"), Kind::Uuid},
    };
    return columns;
}
