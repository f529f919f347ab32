#include "tests/values/ValueModel.h"

#include <QStringList>

namespace {

// Each kind's type in SQLite (as README "SQLite column types" maps it), PostgreSQL, MariaDB
// (which has no boolean and no zone of its own) and Firebird 3, in the order of Kind. A type
// ending in '(' takes the column's size, or its precision and scale.
const char* const Types[][4] = {
    {"SMALLINT", "smallint", "SMALLINT", "SMALLINT"},
    {"INTEGER", "integer", "INT", "INTEGER"},
    {"BIGINT", "bigint", "BIGINT", "BIGINT"},
    {"BOOLEAN", "boolean", "BIT(1)", "BOOLEAN"},
    {"DOUBLE", "double precision", "DOUBLE", "DOUBLE PRECISION"},
    {"REAL", "real", "FLOAT", "FLOAT"},
    {"NUMERIC(", "numeric(", "DECIMAL(", "NUMERIC("},
    {"VARCHAR(", "varchar(", "VARCHAR(", "VARCHAR("},
    {"CHAR(", "char(", "CHAR(", "CHAR("},
    {"CLOB", "text", "LONGTEXT", "BLOB SUB_TYPE TEXT"},
    {"BLOB", "bytea", "LONGBLOB", "BLOB SUB_TYPE BINARY"},
    {"DATE", "date", "DATE", "DATE"},
    {"TIME", "time(6)", "TIME(6)", "TIME"},
    {"TIMESTAMP", "timestamp(6)", "DATETIME(6)", "TIMESTAMP"},
    {"DATETIME", "timestamptz(6)", "DATETIME(6)", "TIMESTAMP"},
    {"UUID", "uuid", "UUID", "CHAR(36)"},
};

}  // namespace

QString EngineName(Engine engine) {
    static const char* const names[] = {"SQLite", "PostgreSQL", "MariaDB", "Firebird", "Oracle"};
    return QLatin1String(names[int(engine)]);
}

QString PathName(Path path) {
    static const char* const names[] = {"Grid",          "MoveUntyped", "MoveTyped",
                                        "AnsiByProgram", "AnsiByShell", "InterbaseByIsql",
                                        "OracleText"};
    return QLatin1String(names[int(path)]);
}

bool IsScript(Path path) {
    return path != Path::Grid && path != Path::MoveUntyped && path != Path::MoveTyped;
}

QString ColumnType(Engine engine, const ColumnSpec& column) {
    const int dialect = std::min(int(engine), int(Engine::Firebird));
    const QString type = QLatin1String(Types[int(column.kind)][dialect]);
    if (!type.endsWith(QLatin1Char('(')))
        return type;
    if (column.kind != Kind::Decimal)
        return type + QString::number(column.size) + QLatin1Char(')');
    // Firebird 3's NUMERIC has 18 digits, MariaDB's DECIMAL 65.
    const int most = engine == Engine::Firebird ? 18 : engine == Engine::Mariadb ? 65 : 1000;
    return type + QString::number(std::min(column.precision, most)) + QLatin1Char(',') +
           QString::number(column.scale) + QLatin1Char(')');
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
