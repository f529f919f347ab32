#pragma once

#include "data/Row.h"

#include <QString>
#include <QStringList>

// Deterministic rows of mixed types for the benchmarks: the same index always gives the same
// row, with some NULLs and small blobs.
namespace BenchGenerator {

// Column names and generic declared types, in order (ID is the primary key).
const QStringList& ColumnNames();
const QStringList& ColumnTypes();

// Values in the engine's canonical form (see data/Row.h).
Row MakeRow(qint64 index);

// Creates the SQLite file `path` with table `table` holding `rows` generated rows (or none).
void CreateSqliteTable(const QString& path, const QString& table, qint64 rows);

// Peak resident memory of this process in MiB.
double PeakMemoryMiB();
// Resident memory now, in MiB; and a restart of the peak from it, so that the peak of one phase
// can be told from what came before.
double CurrentMemoryMiB();
void RestartPeakMemory();

}  // namespace BenchGenerator
