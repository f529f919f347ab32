#include "data/Exceptions.h"
#include "tests/support/PgTestServer.h"
#include "tests/support/ValuePrint.h"

#include <cmath>

namespace {

using PgRoundTrip = PgTest;

const char* const ValuesTable =
    "CREATE TABLE vals (id integer PRIMARY KEY, big bigint, exact numeric(40,20), free numeric,"
    " dbl double precision, rl real, cash money, ts timestamp, ts_ms timestamp,"
    " tz timestamptz, day date, tm time, flag boolean, code char(4), txt text, raw bytea,"
    " guid uuid, doc jsonb, nums integer[], small smallint)";

QVariant stamp(const QDate& date, qint64 usec, bool zoned = false) {
    return QVariant::fromValue(TimeStamp{date, usec, 0, zoned});
}

qint64 usecAt(int h, int m, int s, qint64 fraction) {
    return ((h * 60 + m) * 60 + s) * UsecPerSecond + fraction;
}

QByteArray everyByte() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

// One row of awkward values, in canonical form.
Row awkwardRow(qlonglong id) {
    return {
        QVariant(id),
        QVariant(qlonglong(9007199254740993LL)),
        QVariant(QStringLiteral("12345678901234567890.12345678901234567890")),
        QVariant(QStringLiteral("-0.000000000000000000000000000001")),
        QVariant(0.1 + 0.2),  // needs all 17 digits
        QVariant(1.5),
        QVariant(1234567.89),
        stamp(QDate(2026, 8, 12), usecAt(10, 11, 12, 123456)),
        stamp(QDate(1999, 12, 31), usecAt(23, 59, 59, 999000)),
        QVariant::fromValue(TimeStamp{QDate(2026, 8, 12), usecAt(10, 11, 12, 654321), 7200, true}),
        QVariant(QDate(-44, 3, 15)),
        QVariant::fromValue(TimeOfDay{usecAt(23, 59, 59, 999999)}),
        QVariant(true),
        QVariant(QStringLiteral("ab")),
        QVariant(QStringLiteral("tab\there\nnew line \\ back ' single \" double é 漢字 😀\r")),
        QVariant(everyByte()),
        QVariant(QStringLiteral("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")),
        QVariant(QStringLiteral("{\"a\": [1, 2.50]}")),
        QVariant(QStringLiteral("{1,2,NULL}")),
        QVariant(qlonglong(-32768)),
    };
}

// What reading it back gives: the same, except what the server normalises.
Row readBack(const Row& written) {
    Row row = written;
    row[13] = QVariant(QStringLiteral("ab  "));
    // The server keeps the instant, not the offset it was written with.
    row[9] = stamp(QDate(2026, 8, 12), usecAt(8, 11, 12, 654321), true);
    return row;
}

void expectRowsEqual(const Row& actual, const Row& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        if (!expected[i].isValid())
            continue;
        EXPECT_EQ(actual[i].userType(), expected[i].userType()) << "column " << i;
        EXPECT_EQ(actual[i], expected[i]) << "column " << i;
    }
}

TEST_F(PgRoundTrip, EveryTypeComesBackExactlyByCopyAndByPipeline) {
    exec(QString::fromUtf8(ValuesTable));
    auto cursor = m_conn->openTable(QStringLiteral("vals"), false);
    // 40 rows go by COPY, 3 by single inserts; every other one is all nulls.
    std::vector<PendingChange> copied, single;
    for (int id = 1; id <= 40; ++id)
        copied.push_back(
            InsertOf(id % 2 ? awkwardRow(id) : Row{QVariant(qlonglong(id))} + Row(19)));
    for (int id = 41; id <= 43; ++id)
        single.push_back(InsertOf(awkwardRow(id)));
    cursor->applyChanges(Pointers(copied), upWhereChanged);
    cursor->applyChanges(Pointers(single), upWhereChanged);

    const std::vector<FetchedRow> rows = ReadAll(*m_conn, QStringLiteral("vals"));
    ASSERT_EQ(rows.size(), 43u);
    for (const FetchedRow& row : rows) {
        const qlonglong id = row.values[0].toLongLong();
        SCOPED_TRACE(id);
        if (id <= 40 && id % 2 == 0) {
            for (int c = 1; c < row.values.size(); ++c)
                EXPECT_FALSE(row.values[c].isValid()) << "column " << c;
            continue;
        }
        expectRowsEqual(row.values, readBack(awkwardRow(id)));
    }

    // The server holds exactly what was meant, not something close to it.
    const QString where = QStringLiteral("id = 43");
    EXPECT_EQ(serverText("vals", "big", where), QStringLiteral("9007199254740993"));
    EXPECT_EQ(serverText("vals", "exact", where),
              QStringLiteral("12345678901234567890.12345678901234567890"));
    EXPECT_EQ(serverText("vals", "free", where),
              QStringLiteral("-0.000000000000000000000000000001"));
    EXPECT_EQ(serverText("vals", "dbl = 0.1::float8 + 0.2::float8", where), QStringLiteral("true"));
    EXPECT_EQ(serverText("vals", "cash::numeric", where), QStringLiteral("1234567.89"));
    EXPECT_EQ(serverText("vals", "to_char(ts, 'YYYY-MM-DD HH24:MI:SS.US')", where),
              QStringLiteral("2026-08-12 10:11:12.123456"));
    EXPECT_EQ(serverText("vals", "tz = '2026-08-12 08:11:12.654321+00'", where),
              QStringLiteral("true"));
    EXPECT_EQ(serverText("vals", "to_char(day, 'YYYY-MM-DD BC')", where),
              QStringLiteral("0044-03-15 BC"));
    EXPECT_EQ(serverText("vals",
                         "raw = (SELECT decode(string_agg(lpad(to_hex(g), 2, '0'), '' ORDER BY g),"
                         " 'hex') FROM generate_series(0, 255) g)",
                         where),
              QStringLiteral("true"));
}

TEST_F(PgRoundTrip, ValuesReadBackMatchWhenEveryColumnIsCompared) {
    exec(QString::fromUtf8(ValuesTable));
    std::vector<PendingChange> inserts = {InsertOf(awkwardRow(1)),
                                          InsertOf(Row{QVariant(qlonglong(2))} + Row(19))};
    auto cursor = m_conn->openTable(QStringLiteral("vals"), false);
    cursor->applyChanges(Pointers(inserts), upWhereAll);

    // upWhereAll finds the row by every value as read: one lost digit, microsecond or byte
    // and the row would count as changed by someone else.
    const std::vector<FetchedRow> rows = ReadAll(*m_conn, QStringLiteral("vals"));
    ASSERT_EQ(rows.size(), 2u);
    std::vector<PendingChange> edits;
    for (const FetchedRow& row : rows) {
        Row values = row.values;
        values[19] = QVariant(qlonglong(7));
        edits.push_back(ModifyOf(row, values));
    }
    ASSERT_NO_THROW(cursor->applyChanges(Pointers(edits), upWhereAll));
    for (const FetchedRow& row : ReadAll(*m_conn, QStringLiteral("vals")))
        EXPECT_EQ(row.values[19], QVariant(qlonglong(7)));
}

TEST_F(PgRoundTrip, SpecialValuesSurvive) {
    exec(
        QStringLiteral("CREATE TABLE specials (id int PRIMARY KEY, d double precision, n numeric,"
                       " day date, ts timestamp, tm time)"));
    auto cursor = m_conn->openTable(QStringLiteral("specials"), false);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<PendingChange> inserts = {
        InsertOf({QVariant(qlonglong(1)), QVariant(std::nan("")), QVariant(QStringLiteral("NaN")),
                  QVariant(QStringLiteral("infinity")), QVariant(QStringLiteral("-infinity")),
                  QVariant::fromValue(TimeOfDay{UsecPerDay})}),
        InsertOf({QVariant(qlonglong(2)), QVariant(-inf), QVariant(QStringLiteral("1E+3")),
                  QVariant(QDate(1, 1, 1)), QVariant(QDate(2026, 2, 28)),
                  QVariant::fromValue(TimeOfDay{0})}),
        InsertOf({QVariant(qlonglong(3)), QVariant(5e-324), QVariant(0.25), QVariant(), QVariant(),
                  QVariant()}),
    };
    cursor->applyChanges(Pointers(inserts), upWhereChanged);
    const std::vector<FetchedRow> rows = ReadAll(*m_conn, QStringLiteral("specials"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(std::isnan(rows[0].values[1].toDouble()));
    EXPECT_EQ(rows[0].values[2], QVariant(QStringLiteral("NaN")));
    EXPECT_EQ(rows[0].values[3], QVariant(QStringLiteral("infinity")));
    EXPECT_EQ(rows[0].values[4], QVariant(QStringLiteral("-infinity")));
    EXPECT_EQ(rows[0].values[5], QVariant::fromValue(TimeOfDay{UsecPerDay}));
    EXPECT_EQ(rows[1].values[1], QVariant(-inf));
    EXPECT_EQ(rows[1].values[2], QVariant(QStringLiteral("1000")));
    EXPECT_EQ(rows[1].values[3], QVariant(QDate(1, 1, 1)));
    EXPECT_EQ(rows[1].values[4], stamp(QDate(2026, 2, 28), 0));
    EXPECT_EQ(rows[2].values[1], QVariant(5e-324));
    EXPECT_EQ(rows[2].values[2], QVariant(QStringLiteral("0.25")));
}

TEST_F(PgRoundTrip, TextDatesFollowTheSessionDateOrder) {
    exec(QStringLiteral("CREATE TABLE days (id int PRIMARY KEY, day date)"));
    // The tests run in an English (United Kingdom) locale: day before month.
    exec(QStringLiteral("INSERT INTO days VALUES (1, '08.12.2026')"));
    auto cursor = m_conn->openTable(QStringLiteral("days"), false);
    std::vector<PendingChange> inserts = {
        InsertOf({QVariant(qlonglong(2)), QVariant(QStringLiteral("09/12/2026"))})};
    cursor->applyChanges(Pointers(inserts), upWhereChanged);
    const std::vector<FetchedRow> rows = ReadAll(*m_conn, QStringLiteral("days"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].values[1], QVariant(QDate(2026, 12, 8)));
    EXPECT_EQ(rows[1].values[1], QVariant(QDate(2026, 12, 9)));

    // An alias that sets its own order keeps it, and dates still read in ISO form.
    QMap<QString, QString> keys = m_keys;
    keys.insert(QStringLiteral("OPTIONS"),
                keys.value(QStringLiteral("OPTIONS")) + QStringLiteral(" -c datestyle=SQL,MDY"));
    auto american = PgTestServer::open(keys);
    american->executeStatement(QStringLiteral("INSERT INTO days VALUES (3, '08.12.2026')"), {});
    const std::vector<FetchedRow> after = ReadAll(*american, QStringLiteral("days"));
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[2].values[1], QVariant(QDate(2026, 8, 12)));
    EXPECT_EQ(after[0].values[1], QVariant(QDate(2026, 12, 8)));
}

}  // namespace
