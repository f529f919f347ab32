#include "data/Exceptions.h"
#include "data/KeyCodec.h"
#include "tests/support/PgTestServer.h"

#include <algorithm>

namespace {

using PgCursor = PgTest;

// Walks the whole table in windows and checks that bookmarks ascend in the order the rows come,
// and that positions, keyset reads and offset reads agree with that order.
void checkOrderAgrees(DriverConnection& conn, const QString& table, qint64 expectedRows) {
    auto cursor = conn.openTable(table, true);
    const std::vector<FetchedRow> rows = ReadAll(conn, table);
    ASSERT_EQ(static_cast<qint64>(rows.size()), expectedRows) << table.toStdString();
    EXPECT_EQ(cursor->rowCount(), expectedRows);
    for (size_t i = 1; i < rows.size(); ++i)
        ASSERT_EQ(KeyCodec::compare(rows[i - 1].key, rows[i].key), -1)
            << table.toStdString() << " row " << i << ": "
            << rows[i - 1].values.value(0).toString().toStdString() << " then "
            << rows[i].values.value(0).toString().toStdString();
    const size_t step = std::max<size_t>(1, rows.size() / 17);
    for (size_t i = 0; i < rows.size(); i += step) {
        EXPECT_EQ(cursor->positionOf(rows[i].key), static_cast<qint64>(i));
        const std::vector<FetchedRow> at = cursor->fetchAt(static_cast<qint64>(i), 2);
        ASSERT_FALSE(at.empty());
        EXPECT_EQ(at[0].key, rows[i].key);
        const std::vector<FetchedRow> same = cursor->fetchFrom(rows[i].key, true, 1);
        ASSERT_EQ(same.size(), 1u);
        EXPECT_EQ(same[0].key, rows[i].key);
        EXPECT_EQ(same[0].values.size(), rows[i].values.size());
        const std::vector<FetchedRow> next = cursor->fetchFrom(rows[i].key, false, 1);
        if (i + 1 < rows.size()) {
            ASSERT_EQ(next.size(), 1u);
            EXPECT_EQ(next[0].key, rows[i + 1].key);
        } else {
            EXPECT_TRUE(next.empty());
        }
    }
    EXPECT_TRUE(cursor->fetchAt(expectedRows, 5).empty());
}

TEST_F(PgCursor, BookmarksAscendInRecordOrderForEveryKeyType) {
    struct Case {
        const char* type;
        const char* values;  // a SQL list, inserted in this (unsorted) order
        int count;
    };
    const std::vector<Case> cases = {
        {"integer", "(50),(-4),(7),(2147483647),(-2147483648),(0)", 6},
        {"bigint", "(9223372036854775807),(-9223372036854775808),(9007199254740993),(-1)", 4},
        {"smallint", "(3),(-3),(32767)", 3},
        {"boolean", "(true),(false)", 2},
        {"numeric",
         "(1.5),(-0.12),(-0.123),(100),(99.999),('NaN'),('Infinity'),('-Infinity'),"
         "(0),(0.000001),(-100000000000000000000.5),(12345678901234567890.1)",
         12},
        {"numeric(8,3)", "(1.250),(1.25001::numeric(8,3) + 1),(-7.5),(0.001)", 4},
        {"double precision", "('NaN'),('-Infinity'),(0.1),(-0.1),(1e300),(5e-324),('Infinity'),(0)",
         8},
        {"real", "(1.1),(-1.1),(3.4e38),(0)", 4},
        {"money", "(12.50),(-3),(1000000.01),(0.01)", 4},
        {"text", "('b'),('B'),('a'),('ab'),('é'),('e'),('a b'),(''),('Zed'),('ä'),('a\tb')", 11},
        {"text COLLATE \"und-x-icu\"", "('b'),('B'),('a'),('ab'),('é'),('e'),('A'),('Zed')", 8},
        {"varchar(10)", "('x'),('X'),('xy'),('10'),('9')", 5},
        {"char(4)", "('ab'),('a'),('ab!'),('abc'),('a b')", 5},
        {"bytea", "('\\x00'),('\\x'),('\\x0000'),('\\x01'),('\\xff'),('\\x00ff'),('\\x7f80')", 7},
        {"uuid",
         "('a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'),('00000000-0000-0000-0000-000000000000'),"
         "('ffffffff-ffff-ffff-ffff-ffffffffffff'),('a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a12')",
         4},
        {"date",
         "('2026-08-12'),('0044-03-15 BC'),('infinity'),('-infinity'),('2000-01-01'),"
         "('1999-12-31')",
         6},
        {"time", "('10:00'),('00:00'),('24:00'),('10:00:00.000001'),('09:59:59.999999')", 5},
        {"timestamp",
         "('2026-08-12 10:11:12.123456'),('2026-08-12 10:11:12.123455'),"
         "('1900-01-01'),('infinity'),('0010-01-01 BC'),('2000-01-01')",
         6},
        {"timestamptz",
         "('2026-08-12 10:00+02'),('2026-08-12 09:00+00'),('2026-08-12 10:00:00.5-01'),"
         "('-infinity'),('1850-06-01 00:00+00')",
         5},
        {"inet", "('10.0.0.1'),('9.0.0.1'),('::1'),('192.168.0.0/16')", 4},
        {"interval", "('1 day'),('2 hours'),('-1 year'),('00:00:01')", 4},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString table = QStringLiteral("k%1").arg(++n);
        exec(QStringLiteral("CREATE TABLE %1 (k %2 PRIMARY KEY, payload text DEFAULT 'x')")
                 .arg(table, QString::fromUtf8(c.type)));
        exec(
            QStringLiteral("INSERT INTO %1 (k) VALUES %2").arg(table, QString::fromUtf8(c.values)));
        SCOPED_TRACE(c.type);
        checkOrderAgrees(*m_conn, table, c.count);
    }
}

TEST_F(PgCursor, TextKeysUnderALinguisticCollationStillOrderByBytes) {
    exec(QStringLiteral("CREATE TABLE words (w text COLLATE \"und-x-icu\" PRIMARY KEY)"));
    exec(QStringLiteral("INSERT INTO words VALUES ('b'), ('B'), ('a'), ('A')"));
    QStringList order;
    for (const FetchedRow& row : ReadAll(*m_conn, QStringLiteral("words")))
        order << row.values[0].toString();
    EXPECT_EQ(order, QStringList({"A", "B", "a", "b"}));
}

TEST_F(PgCursor, CompositeKeysWalkAndPositionOverManyRows) {
    exec(
        QStringLiteral("CREATE TABLE grid (region text, n integer, v double precision, "
                       "PRIMARY KEY (region, n))"));
    exec(
        QStringLiteral("INSERT INTO grid SELECT chr(65 + g % 7) || (g % 3), g / 21, random() "
                       "FROM generate_series(0, 2999) g"));
    checkOrderAgrees(*m_conn, QStringLiteral("grid"), 3000);

    auto cursor = m_conn->openTable(QStringLiteral("grid"), true);
    const std::vector<FetchedRow> window = cursor->fetchAt(1500, 10);
    ASSERT_EQ(window.size(), 10u);
    EXPECT_EQ(cursor->positionOf(window[9].key), 1509);
    // The key's order is the SQL order: (region, n) ascending.
    for (size_t i = 1; i < window.size(); ++i) {
        const auto a = std::make_pair(window[i - 1].values[0].toString(),
                                      window[i - 1].values[1].toLongLong());
        const auto b =
            std::make_pair(window[i].values[0].toString(), window[i].values[1].toLongLong());
        EXPECT_LT(a, b);
    }
}

TEST_F(PgCursor, TablesWithoutKeyUseTheRowIdAcrossGaps) {
    exec(QStringLiteral("CREATE TABLE loose (n integer, pad text)"));
    exec(QStringLiteral(
        "INSERT INTO loose SELECT g, repeat('p', g % 300) FROM generate_series(1, 6000) g"));
    // Holes in the middle, and whole empty pages.
    exec(QStringLiteral("DELETE FROM loose WHERE n % 3 = 0 OR n BETWEEN 2000 AND 3500"));
    exec(QStringLiteral("ANALYZE loose"));
    const qint64 remaining = 6000 - 2000 - (1501 - 500);
    checkOrderAgrees(*m_conn, QStringLiteral("loose"), remaining);

    // Small windows: each row once, in the same order as large ones.
    std::vector<qlonglong> expected;
    for (const FetchedRow& row : ReadAll(*m_conn, QStringLiteral("loose")))
        expected.push_back(row.values[0].toLongLong());
    auto cursor = m_conn->openTable(QStringLiteral("loose"), true);
    std::vector<qlonglong> seen;
    QByteArray last;
    for (;;) {
        const std::vector<FetchedRow> rows = cursor->fetchFrom(last, false, 7);
        if (rows.empty())
            break;
        for (const FetchedRow& row : rows)
            seen.push_back(row.values[0].toLongLong());
        last = rows.back().key;
    }
    EXPECT_EQ(seen, expected);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

// Reading by position gives the rows the server numbers in the same order, whether a window was
// just read before it, far before it, after it or never.
TEST_F(PgCursor, PositionsAgreeWithTheServersOrderHoweverTheyAreReached) {
    exec(QStringLiteral("CREATE TABLE keyed (a text, b int, PRIMARY KEY (a, b))"));
    exec(QStringLiteral(
        "INSERT INTO keyed SELECT md5((g % 37)::text), g FROM generate_series(1, 7000) g"));
    exec(QStringLiteral("CREATE TABLE keyless (a text, b int)"));
    exec(
        QStringLiteral("INSERT INTO keyless SELECT repeat('p', g % 200), g FROM "
                       "generate_series(1, 9000) g"));
    exec(QStringLiteral("DELETE FROM keyless WHERE b % 4 = 0 OR b BETWEEN 3000 AND 4000"));
    exec(QStringLiteral("ANALYZE keyless"));
    exec(
        QStringLiteral("CREATE VIEW shown AS SELECT md5((b % 100)::text) AS a, b % 7 AS b FROM "
                       "keyed WHERE b < 3000"));
    // Each table's rows numbered by the server in the order the driver promises.
    const std::vector<std::pair<QString, QString>> tables = {
        {QStringLiteral("keyed"), QStringLiteral("a, b")},
        {QStringLiteral("keyless"), QStringLiteral("ctid")},
        {QStringLiteral("shown"), QStringLiteral("a, b::text COLLATE \"C\"")}};
    for (const auto& [table, order] : tables) {
        SCOPED_TRACE(table.toStdString());
        exec(QStringLiteral("CREATE VIEW numbered_%1 AS SELECT row_number() OVER (ORDER BY %2) - 1 "
                            "AS pos, a, b FROM %1")
                 .arg(table, order));
        std::vector<Row> expectedRows;
        for (const FetchedRow& row : ReadAll(*m_conn, QStringLiteral("numbered_") + table)) {
            const auto pos = static_cast<size_t>(row.values[0].toLongLong());
            expectedRows.resize(std::max(expectedRows.size(), pos + 1));
            expectedRows[pos] = Row({row.values[1], row.values[2]});
        }
        const qint64 total = static_cast<qint64>(expectedRows.size());
        ASSERT_GT(total, 2500);
        const auto expectWindow = [&](const std::vector<FetchedRow>& window, qint64 offset) {
            const qint64 expected = std::max<qint64>(0, std::min<qint64>(25, total - offset));
            ASSERT_EQ(static_cast<qint64>(window.size()), expected) << "at " << offset;
            for (qint64 i = 0; i < expected; ++i)
                ASSERT_EQ(window[i].values, expectedRows[offset + i]) << "at " << offset + i;
        };
        // Never read before.
        for (const qint64 offset :
             {qint64(0), qint64(1), total / 3, total - 30, total - 3, total + 5})
            expectWindow(m_conn->openTable(table, true)->fetchAt(offset, 25), offset);
        // Page after page, with small and large steps forwards and back.
        auto cursor = m_conn->openTable(table, true);
        for (qint64 offset = 0; offset < total; offset += 25)
            expectWindow(cursor->fetchAt(offset, 25), offset);
        for (const qint64 offset : {qint64(10), qint64(12), qint64(600), qint64(5), total - 2500,
                                    qint64(2600), total - 25, qint64(0)})
            expectWindow(cursor->fetchAt(offset, 25), offset);
        // And by bookmark, from the start.
        const std::vector<FetchedRow> first = cursor->fetchFrom(QByteArray(), false, 3);
        ASSERT_EQ(first.size(), 3u);
        EXPECT_EQ(first[0].values, expectedRows[0]);
    }
}

TEST_F(PgCursor, AUniqueIndexOverNotNullColumnsStandsInForAMissingPrimaryKey) {
    exec(QStringLiteral("CREATE TABLE coded (code text NOT NULL, other text UNIQUE, n int)"));
    exec(QStringLiteral("CREATE UNIQUE INDEX ON coded (code)"));
    exec(QStringLiteral("INSERT INTO coded VALUES ('c', NULL, 1), ('a', NULL, 2), ('b', 'z', 3)"));
    QStringList codes;
    for (const FetchedRow& row : ReadAll(*m_conn, QStringLiteral("coded")))
        codes << row.values[0].toString();
    // The nullable unique column cannot serve; the NOT NULL one orders the rows.
    EXPECT_EQ(codes, QStringList({"a", "b", "c"}));
    checkOrderAgrees(*m_conn, QStringLiteral("coded"), 3);
}

TEST_F(PgCursor, ViewsAreReadInAStableFullOrder) {
    exec(QStringLiteral("CREATE TABLE base (n integer, t text)"));
    exec(QStringLiteral(
        "INSERT INTO base SELECT g % 50, 'v' || (g % 7) FROM generate_series(1, 400) g"));
    exec(QStringLiteral("CREATE VIEW dup AS SELECT t, n FROM base"));
    checkOrderAgrees(*m_conn, QStringLiteral("dup"), 400);
}

TEST_F(PgCursor, EmptyTablesAndOutOfRangeRequests) {
    exec(QStringLiteral("CREATE TABLE none (id int PRIMARY KEY)"));
    exec(QStringLiteral("CREATE TABLE none_loose (id int)"));
    for (const QString& table : {QStringLiteral("none"), QStringLiteral("none_loose")}) {
        auto cursor = m_conn->openTable(table, true);
        EXPECT_EQ(cursor->rowCount(), 0);
        EXPECT_TRUE(cursor->fetchAt(0, 10).empty());
        EXPECT_TRUE(cursor->fetchFrom(QByteArray(), true, 10).empty());
        EXPECT_TRUE(cursor->fetchAt(0, 0).empty());
    }
    auto cursor = m_conn->openTable(QStringLiteral("none"), true);
    EXPECT_THROW(cursor->positionOf(QByteArray("garbage")), EDatabaseError);
    EXPECT_THROW(cursor->fetchFrom(KeyCodec::pendingInsertKey(1), true, 1), EDatabaseError);
    EXPECT_THROW(m_conn->openTable(QStringLiteral("missing"), true), EDBEngineError);
}

TEST_F(PgCursor, ColumnsReportTypesSizesAndFlags) {
    exec(QStringLiteral(
        "CREATE DOMAIN code12 AS varchar(12) DEFAULT 'none';"
        "CREATE TABLE typed ("
        " id serial PRIMARY KEY, ident bigint GENERATED ALWAYS AS IDENTITY,"
        " s smallint NOT NULL, i integer NOT NULL DEFAULT 0, b bigint, f boolean, r real,"
        " d double precision, m money, n4 numeric(10,4), n5 numeric(10,5), n numeric,"
        " nn numeric(6,-2), dt date, tm time, ts timestamp, tz timestamptz, c char(5),"
        " v varchar(7), t text, by bytea, u uuid, j jsonb, code code12 NOT NULL,"
        " twice integer GENERATED ALWAYS AS (i * 2) STORED)"));
    auto cursor = m_conn->openTable(QStringLiteral("typed"), true);
    const QVector<ColumnInfo>& c = cursor->columns();
    ASSERT_EQ(c.size(), 25);
    const std::vector<TFieldType> types = {
        ftAutoInc, ftAutoInc,  ftSmallint,  ftInteger,   ftLargeint, ftBoolean, ftFloat,
        ftFloat,   ftCurrency, ftBCD,       ftFMTBcd,    ftFMTBcd,   ftBCD,     ftDate,
        ftTime,    ftDateTime, ftTimeStamp, ftFixedChar, ftString,   ftString,  ftBlob,
        ftGuid,    ftString,   ftString,    ftInteger};
    for (int i = 0; i < c.size(); ++i)
        EXPECT_EQ(c[i].type, types[static_cast<size_t>(i)]) << c[i].name.toStdString();
    EXPECT_TRUE(c[0].generated);
    EXPECT_FALSE(c[0].required);
    EXPECT_TRUE(c[1].generated);
    EXPECT_TRUE(c[2].required);
    EXPECT_TRUE(c[2].hasRange);
    EXPECT_EQ(c[2].minValue, -32768);
    EXPECT_EQ(c[2].maxValue, 32767);
    EXPECT_FALSE(c[3].required);  // NOT NULL with a default
    EXPECT_EQ(c[3].maxValue, 2147483647);
    EXPECT_EQ(c[17].size, 5);
    EXPECT_EQ(c[18].size, 7);
    EXPECT_EQ(c[19].size, 0);
    EXPECT_EQ(c[23].size, 12);
    EXPECT_FALSE(c[23].required);  // the domain's default fills it
    EXPECT_TRUE(c[24].generated);
    EXPECT_FALSE(c[24].required);
}

}  // namespace
