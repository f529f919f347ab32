#include "data/Decimal.h"
#include "data/Temporal.h"
#include "tests/values/InProcessMove.h"
#include "tests/values/ValueMatch.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

// Random values of each type moved along a chain of engines by the data move, each hop held to
// the same rules as the fixed values: every value arrives as the rules say, or its row fails
// with a message naming field and value. A case is one table of a few dozen values.
namespace {

using Chain = QVector<Engine>;

const Chain FromSqlite{Engine::Sqlite, Engine::Postgres, Engine::Mariadb, Engine::Sqlite};
const Chain FromPostgres{Engine::Postgres, Engine::Mariadb, Engine::Sqlite, Engine::Postgres};

// A few dozen cases: the engines, not the generator, set the pace. RC_PARAMS ("max_success=200
// seed=...") runs more, or again.
template <typename Testable>
void checkProperty(Testable&& testable) {
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    if (qEnvironmentVariableIsEmpty("RC_PARAMS"))
        params.maxSuccess = 12;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    rc::detail::TestMetadata metadata;
    metadata.id = std::string(test->test_suite_name()) + "/" + test->name();
    metadata.description = test->name();
    const auto result =
        rc::detail::checkTestable(std::forward<Testable>(testable), metadata, params);
    if (!result.template is<rc::detail::SuccessResult>()) {
        std::ostringstream message;
        rc::detail::printResultMessage(result, message);
        FAIL() << message.str();
    }
}

// The values as the only column of a table in the chain's first engine, which must read them
// back as they are, then moved from engine to engine. Every way an arrival differs from what
// the rules say.
QStringList moveAlong(const ColumnSpec& column, const QVector<QVariant>& values,
                      const Chain& chain) {
    ValueEngines& engines = ValueEngines::instance();
    const QVector<ColumnSpec> columns{column};
    QVector<ValueRow> rows;
    for (int i = 0; i < values.size(); ++i)
        rows.append({i + 1, {values[i]}});
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
        const HopResult moved = MoveInProcess(chain[i], table, chain[i + 1], next, true);
        problems +=
            ArrivalProblems(Hop{chain[i], chain[i + 1], Path::MoveTyped}, columns, source, moved);
        table = next;
    }
    return problems;
}

void assertArrivals(const ColumnSpec& column, const QVector<QVariant>& values, const Chain& chain) {
    const QStringList problems = moveAlong(column, values, chain);
    if (problems.isEmpty())
        return;
    QStringList shown;
    for (const QVariant& value : values)
        shown << Shown(value);
    RC_LOG() << "values: " << shown.join(QStringLiteral(", ")).toStdString() << "\n"
             << problems.join(QLatin1Char('\n')).toStdString() << std::endl;
    RC_FAIL("a value did not arrive as the rules say");
}

// One property: a batch of values from `value`, moved along the chain.
template <typename T, typename Make>
void moveBatches(const ColumnSpec& column, const Chain& chain, rc::Gen<T> value, Make make) {
    for (Engine engine : chain) {
        const QString missing = ValueEngines::instance().missing(engine);
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
    }
    checkProperty([&] {
        const int count = *rc::gen::inRange(1, 25);
        const std::vector<T> batch = *rc::gen::container<std::vector<T>>(count, value);
        QVector<QVariant> values;
        for (const T& item : batch)
            values.append(make(item));
        assertArrivals(column, values, chain);
    });
}

QVariant asDouble(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return QVariant(value);
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

}  // namespace

TEST(RandomValues, IntegersOf64Bits) {
    moveBatches<std::int64_t>(
        {QStringLiteral("v"), Kind::Int64}, FromSqlite,
        rc::gen::oneOf(rc::gen::arbitrary<std::int64_t>(),
                       rc::gen::element(std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max(), std::int64_t(0),
                                        std::int64_t(-1))),
        [](std::int64_t v) { return QVariant(qlonglong(v)); });
}

// Every bit pattern: subnormals, both zeros, the extremes, infinities and NaNs.
TEST(RandomValues, DoublesOfEveryBitPattern) {
    moveBatches<std::uint64_t>({QStringLiteral("v"), Kind::Float8}, FromPostgres,
                               rc::gen::arbitrary<std::uint64_t>(), asDouble);
}

TEST(RandomValues, DecimalsOfRandomPrecisionAndScale) {
    for (Engine engine : FromPostgres) {
        const QString missing = ValueEngines::instance().missing(engine);
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
    }
    checkProperty([] {
        const int precision = *rc::gen::inRange(1, 39);
        const int scale = *rc::gen::inRange(0, precision + 1);
        const ColumnSpec column{QStringLiteral("v"), Kind::Decimal, 0, precision, scale};
        const int count = *rc::gen::inRange(1, 25);
        QVector<QVariant> values;
        const auto digits = [](int most) {
            return *rc::gen::container<std::string>(*rc::gen::inRange(0, most + 1),
                                                    rc::gen::inRange('0', char('9' + 1)));
        };
        for (int i = 0; i < count; ++i) {
            // Leading zeros and a negative zero are left to the decimal's exact form.
            const std::string fraction = digits(scale);
            const std::string text = (*rc::gen::arbitrary<bool>() ? "-0" : "0") +
                                     digits(precision - scale) +
                                     (fraction.empty() ? "" : "." + fraction);
            QString decimal;
            Decimal::Normalize(QString::fromStdString(text), decimal);
            values.append(QVariant(decimal));
        }
        assertArrivals(column, values, FromPostgres);
    });
}

// Characters of every plane, controls and NUL among them, '' included, some over the size.
TEST(RandomValues, UnicodeTextAtAndOverItsSize) {
    const auto character = rc::gen::oneOf(
        rc::gen::inRange<char32_t>(0, 0x20), rc::gen::inRange<char32_t>(0x20, 0x7f),
        rc::gen::inRange<char32_t>(0x80, 0xd800), rc::gen::inRange<char32_t>(0xe000, 0x10000),
        rc::gen::inRange<char32_t>(0x10000, 0x110000));
    moveBatches<std::u32string>(
        {QStringLiteral("v"), Kind::Text, 12}, FromSqlite,
        rc::gen::resize(16, rc::gen::container<std::u32string>(character)),
        [](const std::u32string& text) {
            return QVariant(QString::fromUcs4(text.data(), qsizetype(text.size())));
        });
}

TEST(RandomValues, Bytes) {
    moveBatches<std::string>(
        {QStringLiteral("v"), Kind::Bytes}, FromSqlite,
        rc::gen::resize(300, rc::gen::container<std::string>(rc::gen::arbitrary<char>())),
        [](const std::string& bytes) {
            return QVariant(QByteArray(bytes.data(), qsizetype(bytes.size())));
        });
}

TEST(RandomValues, DatesOfPostgresqlsWholeRange) {
    moveBatches<std::int64_t>({QStringLiteral("v"), Kind::Date}, FromPostgres, days(5874897),
                              [](std::int64_t day) { return QVariant(QDate::fromJulianDay(day)); });
}

TEST(RandomValues, TimesWithMicrosecondsAndTheEndOfTheDay) {
    moveBatches<std::int64_t>(
        {QStringLiteral("v"), Kind::Time}, FromPostgres, timesOfDay(true),
        [](std::int64_t usec) { return QVariant::fromValue(TimeOfDay{usec}); });
}

TEST(RandomValues, TimeStampsWithMicroseconds) {
    moveBatches<std::pair<std::int64_t, std::int64_t>>(
        {QStringLiteral("v"), Kind::Stamp}, FromPostgres,
        rc::gen::pair(days(294276), timesOfDay(false)),
        [](const std::pair<std::int64_t, std::int64_t>& moment) {
            TimeStamp stamp;
            stamp.date = QDate::fromJulianDay(moment.first);
            stamp.usec = moment.second;
            return QVariant::fromValue(stamp);
        });
}

// Offsets of whole minutes up to 15:59 either way, as SQLite's text holds them.
TEST(RandomValues, TimeStampsWithAZone) {
    moveBatches<std::tuple<std::int64_t, std::int64_t, int>>(
        {QStringLiteral("v"), Kind::ZonedStamp}, FromSqlite,
        rc::gen::tuple(rc::gen::inRange(julian(1000, 1, 2), julian(9999, 12, 31)),
                       timesOfDay(false), rc::gen::inRange(-959, 960)),
        [](const std::tuple<std::int64_t, std::int64_t, int>& moment) {
            TimeStamp stamp;
            stamp.date = QDate::fromJulianDay(std::get<0>(moment));
            stamp.usec = std::get<1>(moment);
            stamp.zoned = true;
            stamp.offset = (std::get<2>(moment) / 60 * 3600 + std::get<2>(moment) % 60 * 60);
            return QVariant::fromValue(stamp);
        });
}
