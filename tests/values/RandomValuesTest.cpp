#include "data/Decimal.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "grids/RowSelection.h"
#include "tests/values/ValueSuite.h"
#include "transfer/BatchRun.h"
#include "transfer/RowTransfer.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <cstring>
#include <optional>
#include <sstream>

// Random values of each type moved along a chain of the engines by "Data Move !", each hop held
// to the same rules as the fixed values. A case is one table of a few dozen values.
namespace {

using Chain = QVector<Engine>;

const Chain FromSqlite{Engine::Sqlite, Engine::Postgres, Engine::Mariadb, Engine::Sqlite};
const Chain FromPostgres{Engine::Postgres, Engine::Mariadb, Engine::Sqlite, Engine::Postgres};

class QuietHost : public BatchHost {
public:
    void enterBusy(int) override {}
    void leaveBusy() override {}
    void processEvents() override {}
    void showProgress(int, int, bool) override {}
};

// The batch run and row transfer of the window and the command line, without either: every row
// selected, no type comparison, "Continue ?" answered Yes with its message kept, the pending
// rows committed at the end.
HopResult moveInProcess(Engine from, const QString& sourceTable, Engine to,
                        const QString& targetTable) {
    ValueEngines& engines = ValueEngines::instance();
    TDatabase sourceDb, targetDb;
    TTable source, target;
    sourceDb.SetReadOnly(true);
    source.SetReadOnly(true);
    target.SetCachedUpdates(true);
    target.SetUpdateMode(upWhereChanged);
    engines.open(sourceDb, source, from, sourceTable);
    engines.open(targetDb, target, to, targetTable);
    RowSelection selection;
    selection.setTable(&source);
    selection.SelectAll();
    FieldMappingArray mapping;
    for (int i = 0; i < source.NumberOfFields(); ++i)
        mapping.append({source.FieldAt(i)->FieldName(), source.FieldAt(i)->FieldName()});
    MoveOptions options;
    options.noTypeComparison = [] { return true; };
    options.autoCommit = [] { return false; };
    options.autoCommitInterval = [] { return qint64(0); };
    RowTransfer transfer(source, target, mapping, options);
    BatchPieces pieces = transfer.pieces();
    HopResult result;
    pieces.stopAfterError = [&result](const QString& message) {
        result.refusals << message;
        return false;
    };
    QuietHost host;
    BatchRun(host).RunBatch(
        source, selection, [] { return 1; }, pieces);
    target.CommitPendingUpdates();
    result.arrived = engines.read(to, targetTable);
    return result;
}

// The values as the only column of a table in the chain's first engine, which must read them
// back as they are, then moved from engine to engine. Every way an arrival differs from what the
// rules say.
QStringList moveAlong(const ColumnSpec& column, const std::vector<QVariant>& values,
                      const Chain& chain) {
    ValueEngines& engines = ValueEngines::instance();
    const QVector<ColumnSpec> columns{column};
    QVector<ValueRow> rows;
    for (const QVariant& value : values)
        rows.append({rows.size() + 1, {value}});
    QString table = QStringLiteral("rc_0");
    engines.recreate(chain[0], table, columns);
    engines.fill(chain[0], table, columns, rows);
    HopResult read;
    read.arrived = engines.read(chain[0], table);
    QStringList problems =
        ArrivalProblems(Hop{chain[0], chain[0], Path::Grid}, columns, rows, read);
    for (int i = 0; i + 1 < chain.size(); ++i) {
        const QString next = QStringLiteral("rc_%1").arg(i + 1);
        engines.recreate(chain[i + 1], next, columns);
        const QVector<ValueRow> source = engines.read(chain[i], table);
        // Every value failed on the way: nothing is left to move.
        if (source.isEmpty())
            break;
        const HopResult moved = moveInProcess(chain[i], table, chain[i + 1], next);
        problems +=
            ArrivalProblems(Hop{chain[i], chain[i + 1], Path::MoveTyped}, columns, source, moved);
        table = next;
    }
    return problems;
}

std::int64_t julian(int year, int month, int day) {
    return QDate(year, month, day).toJulianDay();
}

// Julian days mostly within the years every engine keeps, else anywhere in PostgreSQL's.
rc::Gen<std::int64_t> days(int lastYear) {
    return rc::gen::weightedOneOf<std::int64_t>(
        {{3, rc::gen::inRange(julian(1000, 1, 1), julian(10000, 1, 1))},
         {1, rc::gen::inRange(julian(-4713, 11, 24), julian(lastYear, 12, 31) + 1)}});
}

rc::Gen<std::int64_t> timesOfDay(bool endOfDay) {
    return rc::gen::oneOf(rc::gen::inRange<std::int64_t>(0, UsecPerDay + (endOfDay ? 1 : 0)),
                          rc::gen::element<std::int64_t>(0, UsecPerDay - 1, UsecPerSecond / 2,
                                                         endOfDay ? UsecPerDay : 1));
}

rc::Gen<std::string> digits(int most) {
    return rc::gen::mapcat(rc::gen::inRange(0, most + 1), [](int count) {
        return rc::gen::container<std::string>(count, rc::gen::inRange('0', char('9' + 1)));
    });
}

QVariant stamp(std::int64_t day, std::int64_t usec, std::optional<int> minutes = {}) {
    const int offset = minutes ? *minutes / 60 * 3600 + *minutes % 60 * 60 : 0;
    return QVariant::fromValue(
        TimeStamp{QDate::fromJulianDay(day), usec, offset, minutes.has_value()});
}

namespace gen = rc::gen;

// The values of a column of its kind.
rc::Gen<QVariant> valuesOf(const ColumnSpec& column) {
    switch (column.kind) {
        case Kind::Int64:
            return gen::map(gen::oneOf(gen::arbitrary<std::int64_t>(),
                                       gen::element(std::numeric_limits<std::int64_t>::min(),
                                                    std::numeric_limits<std::int64_t>::max(),
                                                    std::int64_t(0), std::int64_t(-1))),
                            [](std::int64_t v) { return QVariant(qlonglong(v)); });
        case Kind::Float8:
            // Every bit pattern: subnormals, both zeros, the extremes, infinities and NaNs.
            return gen::map(gen::arbitrary<std::uint64_t>(), [](std::uint64_t bits) {
                double value = 0;
                std::memcpy(&value, &bits, sizeof value);
                return QVariant(value);
            });
        case Kind::Decimal:
            // Leading zeros and a negative zero are left to the decimal's exact form.
            return gen::map(
                gen::tuple(gen::arbitrary<bool>(), digits(column.precision - column.scale),
                           digits(column.scale)),
                [](const std::tuple<bool, std::string, std::string>& parts) {
                    const auto& [negative, whole, fraction] = parts;
                    QString decimal;
                    Decimal::Normalize(
                        QString::fromStdString((negative ? "-0" : "0") + whole +
                                               (fraction.empty() ? "" : "." + fraction)),
                        decimal);
                    return QVariant(decimal);
                });
        case Kind::Text: {
            // Characters of every plane, controls and NUL among them, '' included.
            const auto character = gen::oneOf(
                gen::inRange<char32_t>(0, 0x20), gen::inRange<char32_t>(0x20, 0x7f),
                gen::inRange<char32_t>(0x80, 0xd800), gen::inRange<char32_t>(0xe000, 0x10000),
                gen::inRange<char32_t>(0x10000, 0x110000));
            return gen::map(
                gen::resize(16, gen::container<std::u32string>(character)),
                [](const std::u32string& text) {
                    return QVariant(QString::fromUcs4(text.data(), qsizetype(text.size())));
                });
        }
        case Kind::Bytes:
            return gen::map(gen::resize(300, gen::container<std::string>(gen::arbitrary<char>())),
                            [](const std::string& bytes) {
                                return QVariant(QByteArray(bytes.data(), qsizetype(bytes.size())));
                            });
        case Kind::Date:
            return gen::map(days(5874897),
                            [](std::int64_t day) { return QVariant(QDate::fromJulianDay(day)); });
        case Kind::Time:
            return gen::map(timesOfDay(true),
                            [](std::int64_t usec) { return QVariant::fromValue(TimeOfDay{usec}); });
        case Kind::Stamp:
            return gen::map(gen::pair(days(294276), timesOfDay(false)),
                            [](const std::pair<std::int64_t, std::int64_t>& moment) {
                                return stamp(moment.first, moment.second);
                            });
        default:
            // Offsets of whole minutes up to 15:59 either way, as SQLite's text holds them.
            return gen::map(gen::tuple(gen::inRange(julian(1000, 1, 2), julian(9999, 12, 31)),
                                       timesOfDay(false), gen::inRange(-959, 960)),
                            [](const std::tuple<std::int64_t, std::int64_t, int>& moment) {
                                const auto& [day, usec, minutes] = moment;
                                return stamp(day, usec, minutes);
                            });
    }
}

// A type's values moved along a chain; a decimal column takes a precision and scale of its own
// in each case.
struct Property {
    const char* name;
    Chain chain;
    ColumnSpec column;
};

void PrintTo(const Property& property, std::ostream* out) {
    *out << property.name;
}

const Property Properties[] = {
    {"IntegersOf64Bits", FromSqlite, {"v", Kind::Int64}},
    {"DoublesOfEveryBitPattern", FromPostgres, {"v", Kind::Float8}},
    {"DecimalsOfRandomPrecisionAndScale", FromPostgres, {"v", Kind::Decimal}},
    {"UnicodeTextAtAndOverItsSize", FromSqlite, {"v", Kind::Text, 12}},
    {"Bytes", FromSqlite, {"v", Kind::Bytes}},
    {"DatesOfPostgresqlsWholeRange", FromPostgres, {"v", Kind::Date}},
    {"TimesWithMicrosecondsAndTheEndOfTheDay", FromPostgres, {"v", Kind::Time}},
    {"TimeStampsWithMicroseconds", FromPostgres, {"v", Kind::Stamp}},
    {"TimeStampsWithAZone", FromSqlite, {"v", Kind::ZonedStamp}},
};

class RandomValues : public ::testing::TestWithParam<Property> {};

// A few dozen cases: the engines, not the generator, set the pace. RC_PARAMS ("max_success=200
// seed=...") runs more, or again.
TEST_P(RandomValues, ArriveAsTheRulesSayAlongAChainOfEngines) {
    const Property& property = GetParam();
    for (Engine engine : property.chain) {
        const QString missing = ValueEngines::instance().missing(engine);
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
    }
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    if (qEnvironmentVariableIsEmpty("RC_PARAMS"))
        params.maxSuccess = 12;
    rc::detail::TestMetadata metadata;
    metadata.id = std::string("RandomValues/") + property.name;
    metadata.description = property.name;
    const auto result = rc::detail::checkTestable(
        [&property] {
            ColumnSpec column = property.column;
            if (column.kind == Kind::Decimal) {
                column.precision = *rc::gen::inRange(1, 39);
                column.scale = *rc::gen::inRange(0, column.precision + 1);
            }
            const auto values = *rc::gen::container<std::vector<QVariant>>(*rc::gen::inRange(1, 25),
                                                                           valuesOf(column));
            const QStringList problems = moveAlong(column, values, property.chain);
            if (problems.isEmpty())
                return;
            QStringList shown;
            for (const QVariant& value : values)
                shown << Shown(value);
            RC_LOG() << "values: " << shown.join(QStringLiteral(", ")).toStdString() << "\n"
                     << problems.join(QLatin1Char('\n')).toStdString() << std::endl;
            RC_FAIL("a value did not arrive as the rules say");
        },
        metadata, params);
    if (!result.template is<rc::detail::SuccessResult>()) {
        std::ostringstream message;
        rc::detail::printResultMessage(result, message);
        FAIL() << message.str();
    }
}

INSTANTIATE_TEST_SUITE_P(Types, RandomValues, ::testing::ValuesIn(Properties),
                         [](const ::testing::TestParamInfo<Property>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
