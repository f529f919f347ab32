#pragma once

#include "tests/values/ArrivalRules.h"

#include <QSet>
#include <QStringList>

// What one row must do on a hop: arrive when every value arrives, else fail as its first failing
// value says.
struct RowExpectation {
    qint64 id = 0;
    Expectation::Outcome outcome = Expectation::Arrives;
    QVector<Expectation> values;
};

// `omitted`: columns the run leaves out, which arrive NULL.
RowExpectation ExpectRow(const Hop& hop, const QVector<ColumnSpec>& columns, const ValueRow& row,
                         const QSet<int>& omitted = {});

// What a hop did.
struct HopResult {
    QVector<ValueRow> arrived;
    // The program's messages for the rows it failed, in row order.
    QStringList refusals;
    // Statements the target engine refused, as its shell or the program reported them.
    int rejections = 0;
    QSet<int> omitted;
};

// Every source row against what arrived: each value equal to what the rules expect, each failed
// row's message naming its field and value and saying why, nothing more and nothing less. One
// line for each thing that is not so.
QStringList ArrivalProblems(const Hop& hop, const QVector<ColumnSpec>& columns,
                            const QVector<ValueRow>& source, const HopResult& result);
// The same, each problem a failure of the running test.
void CheckArrivals(const Hop& hop, const QVector<ColumnSpec>& columns,
                   const QVector<ValueRow>& source, const HopResult& result);
