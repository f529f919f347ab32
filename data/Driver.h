#pragma once

#include "data/FieldType.h"
#include "data/Row.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

enum TTransIsolation { tiDirtyRead, tiReadCommitted, tiRepeatableRead };
enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };

// What a column holds beyond its field type, as its engine stores it. A value outside these
// limits fails its row rather than arrive rounded, cut or replaced.
struct ColumnLimits {
    int precision = 0;          // digits of a decimal; 0 when not declared
    int scale = -1;             // fraction digits of a decimal; -1 when not declared
    int fractionDigits = 6;     // of a time or time stamp, 0 to 6
    bool realDecimals = false;  // decimals are stored as a double (or a 64-bit integer)
    // Text that is no value of the type is kept as it stands, as a reader takes what an engine
    // that keeps any text holds; a value carried into a field is never kept so.
    bool anyText = false;
    bool singleFloat = false;   // a 4-byte float
    bool holdsNaN = true;       // floats: NaN
    bool holdsInfinity = true;  // floats: the infinities
    bool holdsNul = true;       // text: the character U+0000
    bool uuidOnly = false;      // text: a UUID alone, as 8-4-4-4-12 hexadecimal digits
    bool holdsAnyBytes = true;  // memos: bytes that are no UTF-8 text
    bool holdsEndOfDay = true;  // times: 24:00:00
    QDate minDate;              // dates and time stamps; invalid when unbounded
    QDate maxDate;
};

struct ColumnInfo {
    QString name;
    TFieldType type = ftUnknown;
    int size = 0;            // declared length of strings and bytes; 0 when unbounded
    bool required = false;   // NOT NULL without a default the database fills in
    bool generated = false;  // filled in by the database (auto-increment, identity)
    bool hasRange = false;   // integers of a fixed width
    qint64 minValue = 0;
    qint64 maxValue = 0;
    ColumnLimits limits;
    // As the engine declares the column: its type's text, NOT NULL, and whether the driver
    // knows no field type for it and carries its values as their text form.
    QString declaredType;
    bool notNull = false;
    bool textForm = false;
};

// What an insertion does with a row whose key the table already holds.
enum class OnDuplicate {
    Fail,    // the insertion fails, as any violated key does
    Skip,    // the row is left out, counted as skipped
    Update,  // the row's other columns take the new values
};

// One posted change of the pending-update store, as the driver writes it.
struct PendingChange {
    enum Kind { Insert, Modify, Delete };
    Kind kind = Insert;
    QByteArray key;  // the row's bookmark when it was read (Modify, Delete)
    Row original;    // values as read (Modify, Delete)
    Row values;      // values to write (Insert, Modify)
    // An insertion's values packed by RowCodec, in place of `values`, for a cursor that
    // writesPackedInserts().
    QByteArray packed;
};

// An open table of a driver: its columns and windowed, keyed access to its rows in record
// order (primary key order, or a stable substitute where there is none).
class TableCursor {
public:
    virtual ~TableCursor() = default;

    virtual const QVector<ColumnInfo>& columns() const = 0;
    virtual qint64 rowCount() = 0;
    // Up to `limit` rows from the row at `offset` (0-based) in record order.
    virtual std::vector<FetchedRow> fetchAt(qint64 offset, int limit) = 0;
    // Up to `limit` rows from `key` on (`inclusive`) or after it; from the first row when `key`
    // is empty.
    virtual std::vector<FetchedRow> fetchFrom(const QByteArray& key, bool inclusive, int limit) = 0;
    // The keys alone of the rows fetchFrom() would return; drivers that can read them without
    // the values do.
    virtual std::vector<QByteArray> fetchKeysFrom(const QByteArray& key, bool inclusive, int limit);
    // The rows with these keys, in record order; a key with no row is left out. The default
    // reads them one by one.
    virtual std::vector<FetchedRow> fetchKeys(const std::vector<QByteArray>& keys);
    // Number of rows before the row with this key.
    virtual qint64 positionOf(const QByteArray& key) = 0;
    // Indexes of the columns whose values identify a row (the primary key or its substitute);
    // empty when rows are identified by something else, such as a row id.
    virtual QVector<int> keyColumns() const { return {}; }
    // Writes every change in one transaction (a savepoint when one is already active): all of
    // them or, on the first failure, none; then throws the failure.
    virtual void applyChanges(const std::vector<const PendingChange*>& changes,
                              TUpdateMode mode) = 0;
    // Whether applyChanges() takes insertions with their values packed (PendingChange::packed).
    virtual bool writesPackedInserts() const { return false; }
    // What later insertions do with a row whose key is there already. Skip and Update need a
    // key: a table without one refuses them.
    virtual void setOnDuplicate(OnDuplicate policy);
    // Insertions left out as duplicates since the table was opened (Skip).
    virtual qint64 duplicatesSkipped() const { return 0; }
};

// The statements of one script run, in order; the run stops at the first failure. A driver may
// send a statement before the ones before it were answered, so a failure can be raised by a later
// call than the one that handed over the failing statement: failedIndex() names that statement.
// The default runs each statement at once through executeStatement().
class StatementRun {
public:
    virtual ~StatementRun() = default;

    // As executeStatement(). `ownTransaction`: the open transaction is the run's own and is rolled
    // back whole at the first failure, so a failing statement need not undo only itself.
    virtual void execute(const QString& sql, const QStringList& parameters,
                         bool ownTransaction) = 0;
    // Waits until every statement handed over has run; throws the first failure. The
    // connection's transaction state is then that of the last statement.
    virtual void finish() = 0;
    // 0-based, in calls to execute(): the statement whose failure was raised last.
    virtual qint64 failedIndex() const = 0;
};

struct TableStructure;
enum class SqlEngine;

class DriverConnection {
public:
    virtual ~DriverConnection() = default;

    virtual bool isSqlServer() const = 0;
    virtual QStringList tableNames(bool systemTables) = 0;
    virtual std::unique_ptr<TableCursor> openTable(const QString& name, bool readOnly) = 0;

    virtual bool inTransaction() = 0;
    virtual void beginTransaction(TTransIsolation isolation) = 0;
    virtual void commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;

    // Runs the whole text or fails. Parameter markers arrive as '?'; `parameters` names them in
    // order. No value is ever bound, so a statement that has any fails after it was prepared
    // with "No value for parameter '%s'".
    virtual void executeStatement(const QString& sql, const QStringList& parameters) = 0;
    // Starts a script run on this connection. While statements of a run are unanswered,
    // inTransaction() still tells whether a transaction is open once they have run; begin, commit
    // and rollback come only after finish().
    virtual std::unique_ptr<StatementRun> startStatementRun();

    // The engine behind the connection, for statements only one engine reads.
    virtual SqlEngine engine() const;
    // A name as the engine reads it in a statement: quoted by its rules.
    virtual QString quoteIdentifier(const QString& name) const;
    // The structure of a user table; throws when the table is not there.
    virtual TableStructure describeTable(const QString& name);
};

// What an alias of the configuration says: its name and its keys (upper case), with the
// password a login supplied for this connect only.
struct ConnectRequest {
    QString aliasName;
    QMap<QString, QString> params;
    QString userName;
    QString password;
    bool readOnly = false;
};

// Opens a connection by the alias's DRIVER key. Throws EDBEngineError when it cannot.
std::unique_ptr<DriverConnection> OpenDriverConnection(const ConnectRequest& request);
