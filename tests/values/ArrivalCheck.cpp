#include "tests/values/ArrivalCheck.h"

#include "tests/values/ValueMatch.h"

#include <gtest/gtest.h>
#include <QMap>

namespace {

QString hopName(const Hop& hop) {
    return EngineName(hop.from) + QStringLiteral(" to ") + EngineName(hop.to) +
           QStringLiteral(" by ") + PathName(hop.path);
}

// The values of a row that are not NULL, for a message.
QString valuesOf(const QVector<ColumnSpec>& columns, const ValueRow& row) {
    QStringList values;
    for (int i = 0; i < columns.size(); ++i) {
        if (row.values.value(i).isValid())
            values << columns[i].name + QLatin1Char('=') + Shown(row.values.value(i));
    }
    return values.join(QLatin1Char(' '));
}

}  // namespace

RowExpectation ExpectRow(const Hop& hop, const QVector<ColumnSpec>& columns, const ValueRow& row,
                         const QSet<int>& omitted) {
    RowExpectation expected;
    expected.id = row.id;
    for (int i = 0; i < columns.size(); ++i) {
        Expectation value =
            omitted.contains(i) ? Expectation{} : Expect(hop, columns[i], row.values.value(i));
        if (omitted.contains(i))
            value.because = QStringLiteral("left out: the field types differ");
        // The first failing value decides; a program's refusal comes before the engine sees it.
        if (value.outcome != Expectation::Arrives &&
            (expected.outcome == Expectation::Arrives ||
             (expected.outcome == Expectation::Rejected && value.outcome == Expectation::Refused)))
            expected.outcome = value.outcome;
        expected.values.append(value);
    }
    return expected;
}

QStringList ArrivalProblems(const Hop& hop, const QVector<ColumnSpec>& columns,
                            const QVector<ValueRow>& source, const HopResult& result) {
    QStringList problems;
    const auto problem = [&](const QString& text) {
        problems << hopName(hop) + QStringLiteral(": ") + text;
    };
    QMap<qint64, const ValueRow*> arrived;
    for (const ValueRow& row : result.arrived)
        arrived.insert(row.id, &row);
    QStringList messages = result.refusals;
    int rejections = 0;
    for (const ValueRow& row : source) {
        const RowExpectation expected = ExpectRow(hop, columns, row, result.omitted);
        const ValueRow* got = arrived.take(row.id);
        const QString name = QStringLiteral("row %1").arg(row.id);
        if (expected.outcome == Expectation::Arrives) {
            if (!got) {
                problem(QStringLiteral("%1 (%2) did not arrive").arg(name, valuesOf(columns, row)));
                continue;
            }
            for (int i = 0; i < columns.size(); ++i) {
                const Expectation& value = expected.values[i];
                if (SameValue(columns[i], value.value, got->values.value(i)))
                    continue;
                problem(QStringLiteral("%1 field %2: %3 arrived for %4, expected %5 (%6)")
                            .arg(name, columns[i].name, Shown(got->values.value(i)),
                                 Shown(row.values.value(i)), Shown(value.value), value.because));
            }
            continue;
        }
        if (got)
            problem(QStringLiteral("%1 arrived (%2), but must fail")
                        .arg(name, valuesOf(columns, *got)));
        if (expected.outcome == Expectation::Rejected) {
            ++rejections;
            continue;
        }
        // Rows fail in record order, but a message is matched by what it says, so that one
        // unexpected failure does not hide the rest.
        QStringList reasons;
        int found = -1;
        for (int m = 0; m < messages.size() && found < 0; ++m) {
            for (int i = 0; i < columns.size() && found < 0; ++i) {
                const Expectation& value = expected.values[i];
                if (value.outcome != Expectation::Refused)
                    continue;
                if ((NamesFieldAndValue(messages[m], columns[i].name, row.values[i]) ||
                     NamesFieldAndValue(messages[m], columns[i].name, value.value)) &&
                    messages[m].contains(value.reason))
                    found = m;
            }
        }
        if (found >= 0) {
            messages.removeAt(found);
            continue;
        }
        for (int i = 0; i < columns.size(); ++i) {
            if (expected.values[i].outcome == Expectation::Refused)
                reasons << columns[i].name + QStringLiteral(" ") + Shown(row.values[i]) +
                               QStringLiteral(": ") + expected.values[i].because;
        }
        problem(QStringLiteral("%1 failed without a message naming the field, the value and why "
                               "(%2)")
                    .arg(name, reasons.join(QLatin1Char(' '))));
    }
    for (const ValueRow* row : arrived)
        problem(QStringLiteral("row %1 arrived from nowhere").arg(row->id));
    for (const QString& message : messages)
        problem(QStringLiteral("a row failed unexpectedly: ") + message);
    if (result.rejections != rejections)
        problem(QStringLiteral("the target engine refused %1 statements, not %2")
                    .arg(QString::number(result.rejections), QString::number(rejections)));
    return problems;
}

void CheckArrivals(const Hop& hop, const QVector<ColumnSpec>& columns,
                   const QVector<ValueRow>& source, const HopResult& result) {
    for (const QString& problem : ArrivalProblems(hop, columns, source, result))
        ADD_FAILURE() << problem.toStdString();
}
