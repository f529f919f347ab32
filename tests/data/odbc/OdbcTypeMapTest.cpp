#include "data/TField.h"
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

}  // namespace

INSTANTIATE_TEST_SUITE_P(Odbc, OdbcTypes, ::testing::ValuesIn(OdbcHarnesses()), HarnessName);
