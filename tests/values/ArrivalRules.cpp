#include "tests/values/ArrivalRules.h"

#include "tests/values/RuleCase.h"

Expectation Expect(const Hop& hop, const ColumnSpec& column, const QVariant& value) {
    Case c{hop, column, value};
    Expectation expected;
    if (!value.isValid()) {
        expected.because = QStringLiteral("NULL stays NULL");
        return expected;
    }
    for (const QVector<Rule>* rules :
         {&ScriptTextRules(), &FieldRules(), &NearestFormRules(), &ExecutionRules()}) {
        for (const Rule& rule : *rules) {
            if (!rule.applies(c))
                continue;
            expected.because += QLatin1String(rule.says) + QStringLiteral("; ");
            if (rule.effect == Effect::Nearest) {
                c.value = rule.nearest(c);
                if (!c.value.isValid()) {
                    expected.value = c.value;
                    return expected;
                }
                continue;
            }
            expected.outcome =
                rule.effect == Effect::Refuses ? Expectation::Refused : Expectation::Rejected;
            expected.reason = QLatin1String(rule.reason);
            expected.value = c.value;
            return expected;
        }
    }
    expected.value = c.value;
    return expected;
}
