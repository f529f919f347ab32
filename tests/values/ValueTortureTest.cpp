#include "tests/values/ArrivalCheck.h"
#include "tests/values/FirebirdShell.h"
#include "tests/values/OracleText.h"
#include "tests/values/ScriptTargets.h"
#include "tests/values/ToolRun.h"
#include "tests/values/ValueCatalogue.h"
#include "tests/values/ValueEngines.h"
#include "tests/values/ValueMatch.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QSet>

// Hops by name in the test's messages.
void PrintTo(const Hop& hop, std::ostream* out) {
    *out << (EngineName(hop.from) + QStringLiteral(" to ") + EngineName(hop.to) +
             QStringLiteral(" by ") + PathName(hop.path))
                .toStdString();
}

namespace {

const QString SourceTable = QStringLiteral("src");

// Each engine's source table, made and filled once for the run.
void ensureSource(Engine engine) {
    static QSet<int> made;
    if (made.contains(int(engine)))
        return;
    ValueEngines& engines = ValueEngines::instance();
    engines.recreate(engine, SourceTable, TortureColumns());
    engines.fill(engine, SourceTable, TortureColumns(), TortureRows(engine));
    made.insert(int(engine));
}

QString targetTable(const Hop& hop) {
    return QStringLiteral("t_%1_%2").arg(EngineName(hop.from).toLower(),
                                         PathName(hop.path).toLower());
}

// Columns whose field types differ between source and target: the move that compares field
// types refuses them, so they are left out as a user would.
QSet<int> differingTypes(const Hop& hop, const QString& table) {
    ValueEngines& engines = ValueEngines::instance();
    const QVector<TFieldType> from = engines.fieldTypes(hop.from, SourceTable);
    const QVector<TFieldType> to = engines.fieldTypes(hop.to, table);
    QSet<int> differing;
    for (int i = 1; i < from.size(); ++i) {
        if (from[i] != to.value(i))
            differing.insert(i - 1);
    }
    return differing;
}

QString dialectOf(Path path) {
    switch (path) {
        case Path::InterbaseByIsql:
            return QStringLiteral("interbase");
        case Path::OracleText:
            return QStringLiteral("oracle");
        default:
            return QStringLiteral("ansi");
    }
}

class ValueTorture : public ::testing::TestWithParam<Hop> {
protected:
    void SetUp() override {
        const Hop hop = GetParam();
        for (Engine engine : {hop.from, hop.to}) {
            if (engine == Engine::Firebird || engine == Engine::Oracle)
                continue;
            const QString missing = ValueEngines::instance().missing(engine);
            if (!missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
        }
        if (hop.path == Path::AnsiByShell && !MissingShell(hop.to).isEmpty())
            GTEST_SKIP() << MissingShell(hop.to).toStdString();
        if (hop.path == Path::InterbaseByIsql && !MissingFirebird().isEmpty())
            GTEST_SKIP() << MissingFirebird().toStdString();
        ensureSource(hop.from);
        m_source = ValueEngines::instance().read(hop.from, SourceTable);
    }

    void move(const Hop& hop, HopResult& result) {
        ValueEngines& engines = ValueEngines::instance();
        const QString table = targetTable(hop);
        engines.recreate(hop.to, table, TortureColumns());
        QStringList args{QStringLiteral("move"),
                         engines.alias(hop.from) + QLatin1Char(':') + SourceTable,
                         engines.alias(hop.to) + QLatin1Char(':') + table,
                         QStringLiteral("--on-error"), QStringLiteral("skip")};
        if (hop.path == Path::MoveTyped)
            args << QStringLiteral("--typed");
        else
            result.omitted = differingTypes(hop, table);
        for (int column : result.omitted)
            args << QStringLiteral("--map") << TortureColumns()[column].name + QLatin1Char('=');
        const ToolOutcome run = RunRowcart(args);
        EXPECT_LE(run.code, 1) << run.err.toStdString();
        result.refusals = RowFailures(run.err);
        result.arrived = engines.read(hop.to, table);
    }

    void script(const Hop& hop, HopResult& result) {
        ValueEngines& engines = ValueEngines::instance();
        const QString table = targetTable(hop);
        const QString file = engines.folder() + QLatin1Char('/') + table + QStringLiteral(".sql");
        QStringList args{QStringLiteral("script"),
                         engines.alias(hop.from) + QLatin1Char(':') + SourceTable,
                         table,
                         QStringLiteral("--dialect"),
                         dialectOf(hop.path),
                         QStringLiteral("--on-error"),
                         QStringLiteral("skip"),
                         QStringLiteral("-o"),
                         file};
        if (hop.to == Engine::Mariadb) {
            // MariaDB reads the Ansi dialect's day-first dates as other dates, or not at all:
            // dates and time stamps do not fit, and are left out.
            for (const QString& name :
                 {QStringLiteral("dat"), QStringLiteral("ts"), QStringLiteral("tstz")}) {
                args << QStringLiteral("--map") << name + QLatin1Char('=');
                result.omitted.insert(ColumnIndex(name));
            }
        }
        const ToolOutcome run = RunRowcart(args);
        EXPECT_LE(run.code, 1) << run.err.toStdString();
        result.refusals = RowFailures(run.err);
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << run.err.toStdString();
        const QVector<ScriptStatement> statements = CutScript(QString::fromUtf8(text.readAll()));

        // A row the program refuses has no statement; the engine must refuse the rejected ones.
        QVector<ScriptStatement> storing, rejected;
        QVector<RowExpectation> expected;
        for (const ValueRow& row : m_source)
            expected.append(ExpectRow(hop, TortureColumns(), row, result.omitted));
        for (const ScriptStatement& statement : statements) {
            for (const RowExpectation& row : expected) {
                if (row.id != statement.id)
                    continue;
                EXPECT_NE(row.outcome, Expectation::Refused)
                    << "row " << row.id << " was written: " << statement.text.toStdString();
                (row.outcome == Expectation::Arrives ? storing : rejected).append(statement);
            }
        }
        QString problems;
        switch (hop.path) {
            case Path::OracleText:
                result.arrived = ReadOracleStatements(statements, TortureColumns(), problems);
                break;
            case Path::InterbaseByIsql:
                result.rejections = ExecuteInFirebird(table, TortureColumns(), statements, expected,
                                                      result.arrived, problems);
                break;
            default:
                engines.recreate(hop.to, table, TortureColumns());
                result.rejections = hop.path == Path::AnsiByProgram
                                        ? ExecuteByProgram(hop.to, storing, rejected, problems)
                                        : ExecuteByShell(hop.to, statements, problems);
                result.arrived = engines.read(hop.to, table);
        }
        EXPECT_TRUE(problems.isEmpty()) << problems.toStdString();
    }

    QVector<ValueRow> m_source;
};

TEST_P(ValueTorture, EveryValueArrivesOrItsRowFailsNamingFieldAndValue) {
    const Hop hop = GetParam();
    if (hop.path == Path::Grid) {
        // The program reads each value exactly as its engine holds it.
        const HopResult read{m_source, {}, 0, {}};
        CheckArrivals(hop, TortureColumns(), TortureRows(hop.from), read);
        return;
    }
    HopResult result;
    if (IsScript(hop.path))
        script(hop, result);
    else
        move(hop, result);
    if (HasFailure())
        return;
    CheckArrivals(hop, TortureColumns(), m_source, result);
}

std::vector<Hop> hops() {
    const Engine engines[] = {Engine::Sqlite, Engine::Postgres, Engine::Mariadb};
    std::vector<Hop> all;
    for (Engine from : engines) {
        all.push_back({from, from, Path::Grid});
        for (Engine to : engines) {
            for (Path path :
                 {Path::MoveUntyped, Path::MoveTyped, Path::AnsiByProgram, Path::AnsiByShell})
                all.push_back({from, to, path});
        }
        all.push_back({from, Engine::Firebird, Path::InterbaseByIsql});
        all.push_back({from, Engine::Oracle, Path::OracleText});
    }
    return all;
}

std::string hopName(const ::testing::TestParamInfo<Hop>& info) {
    return (EngineName(info.param.from) + QStringLiteral("To") + EngineName(info.param.to) +
            QStringLiteral("By") + PathName(info.param.path))
        .toStdString();
}

INSTANTIATE_TEST_SUITE_P(Hops, ValueTorture, ::testing::ValuesIn(hops()), hopName);

}  // namespace
