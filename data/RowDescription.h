#pragma once

#include "data/Driver.h"

// A row as messages name it: its key values ("ID = 7"), or the first few values that are no
// blobs when rows are told apart otherwise.
QString DescribeRow(const QVector<ColumnInfo>& columns, const QVector<int>& keyColumns,
                    const Row& values);
