#include "data/TField.h"
#include "data/Temporal.h"
#include "tests/data/EngineFixture.h"

namespace {

class OdbcTypes : public DriverContract {};

std::vector<std::shared_ptr<DriverHarness>> OdbcHarnesses() {
    std::vector<std::shared_ptr<DriverHarness>> odbc;
    for (const auto& harness : DriverHarnesses()) {
        if (harness->name().startsWith(QLatin1String("Odbc")))
            odbc.push_back(harness);
    }
    return odbc;
}

// Each engine's own column types beyond the generic ones, as its ODBC driver reports them.
TEST_P(OdbcTypes, EngineColumnTypesMapOntoFieldTypes) {
    using Types = QList<QPair<QString, TFieldType>>;
    static const QMap<QString, Types> byEngine = {
        {QStringLiteral("OdbcSQLite"),
         {{"INT2", ftSmallint},
          {"MEDIUMINT", ftInteger},
          {"DATETIME", ftDateTime},
          {"NVARCHAR(9)", ftString},
          {"MEMO", ftMemo},
          {"UUID", ftGuid},
          {"CURRENCY", ftCurrency},
          {"NUMERIC(20,6)", ftFMTBcd}}},
        {QStringLiteral("OdbcPostgreSQL"),
         {{"real", ftFloat},
          {"bool", ftBoolean},
          {"char(3)", ftFixedChar},
          {"varchar(7)", ftString},
          {"numeric(20,6)", ftFMTBcd},
          {"numeric(9,2)", ftBCD},
          {"timestamptz", ftDateTime},
          {"uuid", ftGuid},
          {"bytea", ftBlob}}},
        {QStringLiteral("OdbcMariaDB"),
         {{"TINYINT", ftSmallint},
          {"MEDIUMINT", ftInteger},
          {"FLOAT", ftFloat},
          {"DECIMAL(30,10)", ftFMTBcd},
          {"DATETIME(3)", ftDateTime},
          {"VARBINARY(10)", ftVarBytes},
          {"TEXT", ftMemo},
          {"MEDIUMBLOB", ftBlob},
          {"CHAR(2)", ftFixedChar}}},
    };
    const Types types = byEngine.value(harness().name());
    ASSERT_FALSE(types.isEmpty()) << harness().name().toStdString();
    QList<QPair<QString, QString>> columns = {{QStringLiteral("ID"), QStringLiteral("INTEGER")}};
    for (int i = 0; i < types.size(); ++i)
        columns.append({QStringLiteral("C%1").arg(i), types[i].first});
    createTable(QStringLiteral("KINDS"), columns, {QStringLiteral("ID")});
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("KINDS"));
    t->OpenTable();
    ASSERT_EQ(t->NumberOfFields(), types.size() + 1);
    for (int i = 0; i < types.size(); ++i) {
        EXPECT_EQ(FieldTypeName(t->FieldAt(i + 1)->FieldType()), FieldTypeName(types[i].second))
            << types[i].first.toStdString();
    }
}

// A time stamp keeps the fraction digits its column declares, which MariaDB's driver leaves out
// of SQLColumns.
TEST_P(OdbcTypes, TimeStampsKeepTheFractionTheirColumnDeclares) {
    static const QMap<QString, QString> types = {
        {QStringLiteral("OdbcPostgreSQL"), QStringLiteral("timestamp(3)")},
        {QStringLiteral("OdbcMariaDB"), QStringLiteral("DATETIME(3)")}};
    if (!types.contains(harness().name()))
        GTEST_SKIP() << "SQLite declares no fraction digits";
    createTable(QStringLiteral("STAMPS"),
                {{QStringLiteral("ID"), QStringLiteral("INTEGER")},
                 {QStringLiteral("AT"), types.value(harness().name())}},
                {QStringLiteral("ID")});
    TimeStamp stamp;
    stamp.date = QDate(2024, 2, 29);
    stamp.usec = (10 * 3600 + 11 * 60 + 12) * UsecPerSecond + 345000;
    auto t = MakeTable(QStringLiteral("dbTo"), QStringLiteral("STAMPS"));
    t->OpenTable();
    EXPECT_EQ(t->FieldAt(1)->Info().limits.fractionDigits, 3);
    t->StartInsert();
    t->FieldAt(0)->WriteNumber(1);
    t->FieldAt(1)->SetValue(QVariant::fromValue(stamp));
    t->PostRecord();
    t->CommitPendingUpdates();
    t->CloseTable();
    t->OpenTable();
    EXPECT_EQ(t->FieldAt(1)->Value().value<TimeStamp>(), stamp);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Odbc, OdbcTypes, ::testing::ValuesIn(OdbcHarnesses()), HarnessName);
