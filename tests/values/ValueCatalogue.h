#pragma once

#include "tests/values/ValueModel.h"

// The fixed values of the suite. Each sample stands alone in a row of its own (every other column
// NULL), so a row that fails names one field and one value; a first row holds an ordinary value
// in every column, a second only NULLs.
enum SourceSet : unsigned {
    InSqlite = 1,
    InPostgres = 2,
    InMariadb = 4,
    InServers = InPostgres | InMariadb,
    Everywhere = 7,
};

struct Sample {
    QString column;
    QVariant value;
    // The engines whose source table holds it: an engine holds values of its own that no other
    // does (SQLite any integer in a SMALLINT, PostgreSQL dates before the common era).
    unsigned sources = Everywhere;
};

const QVector<Sample>& TortureSamples();
// The rows the engine's source table holds, IDs the same in every engine.
QVector<ValueRow> TortureRows(Engine source);
// The index of a column of TortureColumns().
int ColumnIndex(const QString& name);
