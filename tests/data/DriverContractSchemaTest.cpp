#include "data/Exceptions.h"
#include "data/TableStructure.h"
#include "tests/data/EngineFixture.h"

#include <QRegularExpression>

namespace {

const ColumnInfo& columnNamed(const TableStructure& table, const QString& name) {
    for (const ColumnInfo& column : table.columns) {
        if (column.name == name)
            return column;
    }
    throw std::runtime_error("no column " + name.toStdString());
}

TEST_P(DriverContract, DescribeTableGivesColumnsKeysAndReferences) {
    DriverConnection& driver = m_db->driver();
    // Names quoted by the driver's own rules, types as the harness spells them.
    const auto ddl = [&](QString text) {
        static const QRegularExpression name(QStringLiteral("\\$(\\w+)"));
        static const QRegularExpression generic(QStringLiteral("<([^>]+)>"));
        QRegularExpressionMatch m;
        while ((m = name.match(text)).hasMatch())
            text.replace(m.capturedStart(), m.capturedLength(),
                         driver.quoteIdentifier(m.captured(1)));
        while ((m = generic.match(text)).hasMatch())
            text.replace(m.capturedStart(), m.capturedLength(),
                         harness().columnType(m.captured(1)));
        m_db->ExecuteStatement(text);
    };
    ddl(QStringLiteral(
        "CREATE TABLE $PARENT ($ID <INTEGER> NOT NULL, $CODE <VARCHAR(10)> NOT NULL, "
        "$NOTE <VARCHAR(20)>, PRIMARY KEY ($ID))"));
    ddl(QStringLiteral("CREATE UNIQUE INDEX $PARENT_CODE ON $PARENT ($CODE)"));
    ddl(QStringLiteral(
        "CREATE TABLE $CHILD ($PARENT_ID <INTEGER> NOT NULL, $SEQ <SMALLINT> NOT NULL, "
        "$AMOUNT <NUMERIC(9,2)>, PRIMARY KEY ($PARENT_ID, $SEQ), UNIQUE ($AMOUNT, $SEQ), "
        "CONSTRAINT $CHILD_PARENT FOREIGN KEY ($PARENT_ID) REFERENCES $PARENT ($ID))"));
    // Two keys, one of two columns, so that a driver listing them by position mixes nothing.
    ddl(
        QStringLiteral("CREATE TABLE $GRANDCHILD ($ID <INTEGER> NOT NULL, $PARENT_ID <INTEGER>, "
                       "$SEQ <SMALLINT>, $OWNER <INTEGER>, PRIMARY KEY ($ID), "
                       "CONSTRAINT $OF_CHILD FOREIGN KEY ($PARENT_ID, $SEQ) "
                       "REFERENCES $CHILD ($PARENT_ID, $SEQ), "
                       "CONSTRAINT $OF_OWNER FOREIGN KEY ($OWNER) REFERENCES $PARENT ($ID))"));

    const TableStructure parent = driver.describeTable(QStringLiteral("PARENT"));
    EXPECT_EQ(parent.name, QStringLiteral("PARENT"));
    ASSERT_EQ(parent.columns.size(), 3);
    EXPECT_EQ(parent.columns[1].name, QStringLiteral("CODE"));
    EXPECT_EQ(parent.columns[1].type, ftString);
    EXPECT_TRUE(parent.columns[1].declaredType.contains(QStringLiteral("(10)")))
        << parent.columns[1].declaredType.toStdString();
    EXPECT_TRUE(parent.columns[1].notNull);
    EXPECT_FALSE(parent.columns[2].notNull);
    EXPECT_EQ(parent.primaryKey, QStringList({"ID"}));
    ASSERT_EQ(parent.uniqueIndexes.size(), 1);
    EXPECT_EQ(parent.uniqueIndexes[0].name, QStringLiteral("PARENT_CODE"));
    EXPECT_EQ(parent.uniqueIndexes[0].columns, QStringList({"CODE"}));
    EXPECT_TRUE(parent.foreignKeys.isEmpty());

    const TableStructure child = driver.describeTable(QStringLiteral("CHILD"));
    EXPECT_EQ(child.primaryKey, QStringList({"PARENT_ID", "SEQ"}));
    // The first column of a key of two is no row id: the database fills nothing in.
    EXPECT_FALSE(columnNamed(child, QStringLiteral("PARENT_ID")).generated);
    EXPECT_TRUE(columnNamed(child, QStringLiteral("PARENT_ID")).notNull);
    const ColumnInfo& amount = columnNamed(child, QStringLiteral("AMOUNT"));
    EXPECT_TRUE(amount.declaredType.contains(QStringLiteral("(9,2)")))
        << amount.declaredType.toStdString();
    EXPECT_FALSE(amount.textForm);
    ASSERT_EQ(child.uniqueIndexes.size(), 1);
    EXPECT_EQ(child.uniqueIndexes[0].columns, QStringList({"AMOUNT", "SEQ"}));
    ASSERT_EQ(child.foreignKeys.size(), 1);
    EXPECT_EQ(child.foreignKeys[0].table, QStringLiteral("PARENT"));
    EXPECT_EQ(child.foreignKeys[0].columns, QStringList({"PARENT_ID"}));
    EXPECT_EQ(child.foreignKeys[0].referencedColumns, QStringList({"ID"}));
    // SQLite keeps no names of foreign keys.
    if (driver.engine() != SqlEngine::SQLite) {
        EXPECT_EQ(child.foreignKeys[0].name, QStringLiteral("CHILD_PARENT"));
    }

    const TableStructure grandchild = driver.describeTable(QStringLiteral("GRANDCHILD"));
    ASSERT_EQ(grandchild.foreignKeys.size(), 2);
    for (const TableStructure::ForeignKey& key : grandchild.foreignKeys) {
        if (key.table == QLatin1String("CHILD")) {
            EXPECT_EQ(key.columns, QStringList({"PARENT_ID", "SEQ"}));
            EXPECT_EQ(key.referencedColumns, QStringList({"PARENT_ID", "SEQ"}));
        } else {
            EXPECT_EQ(key.table, QStringLiteral("PARENT"));
            EXPECT_EQ(key.columns, QStringList({"OWNER"}));
            EXPECT_EQ(key.referencedColumns, QStringList({"ID"}));
        }
    }

    EXPECT_THROW(driver.describeTable(QStringLiteral("NO_SUCH")), EDatabaseError);
}

}  // namespace
