#include "data/RowCodec.h"
#include "data/sqlite/SqliteHandles.h"
#include "data/sqlite/SqliteTypes.h"

#include "tests/support/ValuePrint.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDateTime>
#include <QTimeZone>

namespace {

// What SQLite received for the bound parameter: its storage class and its literal.
QString received(sqlite3_stmt* stmt) {
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    const QString result =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) +
        QStringLiteral(" ") +
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    sqlite3_reset(stmt);
    return result;
}

// A commit binds a pending row straight from its packed form: SQLite must receive what it
// receives for the row's values.
TEST(SqliteBind, PackedValuesBindAsTheirValues) {
    const std::vector<std::pair<QVariant, TFieldType>> cases = {
        {qlonglong(-9223372036854775807LL - 1), ftLargeint},
        {true, ftBoolean},
        {false, ftBoolean},
        {0.1 + 0.2, ftFloat},
        {QStringLiteral("O'Hara"), ftString},
        {QString(), ftString},
        {QStringLiteral("caf\u00e9"), ftString},
        {QString::fromUtf8("\u0416 \U0001F600"), ftWideString},
        {QStringLiteral("-12.50"), ftBCD},
        {QStringLiteral("12"), ftInteger},
        {qlonglong(7), ftString},
        {QDate(1, 1, 1), ftDate},
        {QVariant::fromValue(TimeOfDay{UsecPerDay - 1}), ftTime},
        {QVariant::fromValue(TimeOfDay{UsecPerDay}), ftTime},
        {QVariant::fromValue(TimeStamp{QDate(2026, 12, 9), 3723000004, 0, false}), ftDateTime},
        {QVariant::fromValue(TimeStamp{QDate(2026, 12, 9), 3723000000, 3600, true}), ftTimeStamp},
        {QStringLiteral("12345678901234567890.5"), ftFMTBcd},
        {QStringLiteral("n/a"), ftFMTBcd},
        {QDate(2026, 12, 9), ftDateTime},
        {QByteArray("a\0b\xff", 4), ftBlob},
        {QByteArray("plain", 5), ftMemo},
        {QByteArray("caf\xc3\xa9", 5), ftMemo},
        {QByteArray("\xff", 1), ftMemo},
        {QByteArray("\x01\x02", 2), ftBytes},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    SqliteDb owner(db);
    SqliteStmt stmt = PrepareSqlite(db, QStringLiteral("SELECT typeof(?1), quote(?1)"));
    Row row;
    for (const auto& entry : cases)
        row.append(entry.first);
    const QByteArray packed = RowCodec::Encode(row);
    std::vector<RowCodec::PackedValue> values;
    RowCodec::Unpack(packed, values);
    ASSERT_EQ(values.size(), cases.size());
    QByteArray room;
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [value, type] = cases[i];
        ASSERT_EQ(SqliteTypes::BindInPlace(stmt.get(), 1, value, type, room), SQLITE_OK);
        const QString expected = received(stmt.get());
        ASSERT_EQ(SqliteTypes::BindPacked(stmt.get(), 1, values[i], type, room), SQLITE_OK);
        EXPECT_EQ(received(stmt.get()), expected) << i;
        EXPECT_FALSE(expected.startsWith(QStringLiteral("null"))) << i;
    }
}

// SQLite keeps a decimal as the 64-bit integer or the double it is: an integer with a zero
// fraction, as PostgreSQL and MariaDB write numeric(p,2), stays that integer.
TEST(SqliteBind, DecimalsBindAsTheIntegerOrTheDoubleTheyAre) {
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("20000000000000001.00"), QStringLiteral("integer 20000000000000001")},
        {QStringLiteral("-7.000"), QStringLiteral("integer -7")},
        {QStringLiteral("-12.50"), QStringLiteral("real -12.5")},
        {QStringLiteral("0.1"), QStringLiteral("real 0.1")},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    SqliteDb owner(db);
    SqliteStmt stmt = PrepareSqlite(db, QStringLiteral("SELECT typeof(?1), quote(?1)"));
    for (const auto& [decimal, stored] : cases) {
        ASSERT_EQ(SqliteTypes::Bind(stmt.get(), 1, decimal, ftFMTBcd), SQLITE_OK);
        EXPECT_EQ(received(stmt.get()), stored) << decimal.toStdString();
    }
}

}  // namespace
