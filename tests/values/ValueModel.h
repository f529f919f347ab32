#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// The vocabulary of the value suite: the engines values travel between, the ways they travel,
// and the columns they travel in, each declared in every engine's own terms.

enum class Engine { Sqlite, Postgres, Mariadb, Firebird, Oracle };

// How values reach people and targets: the grid (the program reading its source), the data move
// with and without its type comparison (the command line's `--typed`), or a generated script in
// one of the three dialects, executed by the program, by the target engine's own shell, or
// (Oracle, which has no engine here) read back from its text.
enum class Path {
    Grid,
    MoveUntyped,
    MoveTyped,
    AnsiByProgram,
    AnsiByShell,
    InterbaseByIsql,
    OracleText,
};

// What a column is declared as; the same kind has each engine's nearest type.
enum class Kind {
    Int16,
    Int32,
    Int64,
    Bool,
    Float8,
    Float4,
    Decimal,    // precision, scale
    Text,       // varchar(size)
    FixedText,  // char(size)
    Memo,       // unbounded text: CLOB, text, LONGTEXT, BLOB SUB_TYPE TEXT
    Bytes,      // unbounded binary: BLOB, bytea, LONGBLOB
    Date,
    Time,        // with microseconds
    Stamp,       // date and time with microseconds, no zone
    ZonedStamp,  // timestamptz where the engine has it, else a time stamp without zone
    Uuid,
};

struct ColumnSpec {
    QString name;
    Kind kind = Kind::Text;
    int size = 0;
    int precision = 0;
    int scale = 0;
};

QString EngineName(Engine engine);
QString PathName(Path path);
bool IsScript(Path path);

// The column's type in the engine's DDL.
QString ColumnType(Engine engine, const ColumnSpec& column);
// CREATE TABLE with an integer primary key ID first, then the columns.
QString CreateTableSql(Engine engine, const QString& table, const QVector<ColumnSpec>& columns);

// The table of the fixed values: one column of every kind the drivers map, texts sized to take
// values at and over their size, decimals of 30 digits with 10 places and of scale 5 and 2.
const QVector<ColumnSpec>& TortureColumns();

// One row of a value table: ID first, then a value per column (an invalid QVariant is NULL).
struct ValueRow {
    qint64 id = 0;
    QVector<QVariant> values;
};
