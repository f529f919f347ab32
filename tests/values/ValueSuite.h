#pragma once

#include "data/FieldType.h"
#include "data/Temporal.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>
#include <memory>

class DriverConnection;
class TDatabase;
class TTable;

// Values of every type moved between the engines on every path, each held to rules that say
// what must arrive, or that its row fails and why.

enum class Engine { Sqlite, Postgres, Mariadb, Firebird, Oracle };
// The grid (the program reading its source), the data move without and with type comparison
// (`--typed`), and generated scripts: Ansi run by the program or by the target's own shell,
// Interbase by Firebird's isql, Oracle (no engine here) read back from its text.
enum class Path {
    Grid,
    MoveUntyped,
    MoveTyped,
    AnsiByProgram,
    AnsiByShell,
    InterbaseByIsql,
    OracleText
};
// Memo and Bytes are unbounded; Time and Stamp keep microseconds; ZonedStamp is a timestamptz
// where the engine has one.
enum class Kind {
    Int16,
    Int32,
    Int64,
    Bool,
    Float8,
    Float4,
    Decimal,
    Text,
    FixedText,
    Memo,
    Bytes,
    Date,
    Time,
    Stamp,
    ZonedStamp,
    Uuid
};

struct ColumnSpec {
    QString name;
    Kind kind = Kind::Text;
    int size = 0;
    int precision = 0;
    int scale = 0;
};

// ID, then a value per column; an invalid QVariant is NULL.
struct ValueRow {
    qint64 id = 0;
    QVector<QVariant> values;
};

struct Hop {
    Engine from = Engine::Sqlite;
    Engine to = Engine::Sqlite;
    Path path = Path::MoveTyped;
};

QString EngineName(Engine engine);
QString PathName(Path path);
QString HopName(const Hop& hop);
bool IsScript(Path path);
// CREATE TABLE with an integer primary key `id` first, each kind as the engine's nearest type.
QString CreateTableSql(Engine engine, const QString& table, const QVector<ColumnSpec>& columns);

// The fixed values: a column of every kind, texts sized to take values at and over their size.
// An engine's source rows: an ordinary value in every column, only NULLs, then each sample
// alone in a row of its own, so that a failing row names one field and value. IDs are the same
// in every engine; a sample some engine cannot hold is left out of its table.
const QVector<ColumnSpec>& TortureColumns();
QVector<ValueRow> TortureRows(Engine source);
int ColumnIndex(const QString& name);

// ISO forms with years of four digits or more; `bc` as PostgreSQL writes years before the era.
QString IsoDate(const QDate& date, bool bc = false);
QString IsoTime(const TimeOfDay& time);
QString IsoStamp(const TimeStamp& stamp, bool bc = false);
// A value as the engine's own SQL spells it (PostgreSQL, MariaDB, Firebird), written here rather
// than by the program, so that a table holds what its engine makes of plain SQL.
QString EngineLiteral(Engine engine, const ColumnSpec& column, const QVariant& value);

// What becomes of a value on a hop: it arrives as `value` (the source's, or the nearest form a
// rule gives), the program fails its row saying `reason`, or the target engine refuses the
// script's statement. `because` names every rule that decided, for a failing test's message.
struct Expectation {
    enum Outcome { Arrives, Refused, Rejected } outcome = Arrives;
    QVariant value;
    QString reason;
    QString because;
};
// A row fails as its first failing value says; a refusal comes before the engine sees the row.
struct RowExpectation {
    qint64 id = 0;
    Expectation::Outcome outcome = Expectation::Arrives;
    QVector<Expectation> values;
};
// `omitted`: columns the run leaves out, which arrive NULL.
RowExpectation ExpectRow(const Hop& hop, const QVector<ColumnSpec>& columns, const ValueRow& row,
                         const QSet<int>& omitted = {});
// The zone of the suite's PostgreSQL sessions (+05:30): a time stamp read in the wrong one shows.
constexpr qint32 PostgresSessionOffset = 5 * 3600 + 30 * 60;

struct HopResult {
    QVector<ValueRow> arrived;
    QStringList refusals;  // the program's messages for the rows it failed
    int rejections = 0;    // statements the target engine refused
    QSet<int> omitted;
};
// Every source row against what arrived: each value equal to what the rules expect, in its exact
// form; each failed row's message naming field, value and why; nothing more, nothing less.
QStringList ArrivalProblems(const Hop& hop, const QVector<ColumnSpec>& columns,
                            const QVector<ValueRow>& source, const HopResult& result);
// A value for a message: its type and every digit or character.
QString Shown(const QVariant& value);

// The databases of the run under aliases of a file of their own (never the user's): an SQLite
// file, one on the PostgreSQL test server, one on the MariaDB test server through ODBC. Tables
// are filled by each engine's own SQL (SQLite's by bound values) and read back by the program.
class ValueEngines {
public:
    static ValueEngines& instance();
    ~ValueEngines();

    // Empty when the engine is there, else why its cases skip.
    QString missing(Engine engine) const;
    QString alias(Engine engine) const;
    QString file(const QString& name) const { return m_dir.filePath(name); }
    const QMap<QString, QString>& keys(Engine engine) const { return m_keys[int(engine)]; }

    // Drops the table if it is there and creates it anew.
    void recreate(Engine engine, const QString& table, const QVector<ColumnSpec>& columns);
    void fill(Engine engine, const QString& table, const QVector<ColumnSpec>& columns,
              const QVector<ValueRow>& rows);
    // Opens the table through its alias, as a grid does.
    void open(TDatabase& db, TTable& table, Engine engine, const QString& name);
    // Every row in record order as the program reads it; `types` gets the field types, ID first.
    QVector<ValueRow> read(Engine engine, const QString& table,
                           QVector<TFieldType>* types = nullptr);

private:
    ValueEngines();
    DriverConnection& connection(Engine engine);

    QTemporaryDir m_dir;
    QString m_missing[3];
    QMap<QString, QString> m_keys[3];
    std::unique_ptr<DriverConnection> m_connections[3];
};
