#include "data/Exceptions.h"
#include "tests/support/PgTestServer.h"

namespace {

using PgNames = PgTest;

const QString Weird = QStringLiteral("we\"ird; DROP TABLE victims; --");

TEST_F(PgNames, ListedNamesOpenAndQuotedNamesCannotChangeStatements) {
    const QString other = QStringLiteral("Other Schema");
    exec(QStringLiteral("CREATE TABLE victims (id int PRIMARY KEY)"));
    exec(QStringLiteral("INSERT INTO victims VALUES (1)"));
    exec(
        QStringLiteral("CREATE TABLE \"My Table\" (\"Key \"\"q\"\"\" int PRIMARY KEY, \"a;b\" "
                       "text, \"Select\" int)"));
    exec(QStringLiteral("CREATE TABLE %1 (\"id; DELETE FROM victims\" int PRIMARY KEY, v text)")
             .arg(PgTestServer::quoted(Weird)));
    exec(QStringLiteral("CREATE TABLE \"dots.in.name\" (id int PRIMARY KEY)"));
    exec(QStringLiteral("CREATE SCHEMA %1").arg(PgTestServer::quoted(other)));
    exec(QStringLiteral("CREATE TABLE %1.\"Mixed Case\" (id int PRIMARY KEY)")
             .arg(PgTestServer::quoted(other)));
    exec(QStringLiteral("CREATE TABLE %1.plain (id int PRIMARY KEY)")
             .arg(PgTestServer::quoted(other)));

    const QStringList names = m_conn->tableNames(false);
    const QString qualifiedOther = PgTestServer::quoted(other);
    for (const QString& expected :
         {QStringLiteral("My Table"), Weird, QStringLiteral("dots.in.name"),
          QStringLiteral("victims"), qualifiedOther + QStringLiteral(".\"Mixed Case\""),
          qualifiedOther + QStringLiteral(".plain")})
        EXPECT_TRUE(names.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(names.contains(QStringLiteral("pg_class")));
    EXPECT_TRUE(m_conn->tableNames(true).contains(QStringLiteral("pg_class")));

    // Every name as listed opens, writes and reads back.
    int n = 0;
    for (const QString& name : {QStringLiteral("My Table"), Weird, QStringLiteral("dots.in.name"),
                                qualifiedOther + QStringLiteral(".\"Mixed Case\""),
                                qualifiedOther + QStringLiteral(".plain")}) {
        SCOPED_TRACE(name.toStdString());
        auto cursor = m_conn->openTable(name, false);
        Row values(cursor->columns().size());
        values[0] = QVariant(qlonglong(++n));
        if (values.size() > 1)
            values[1] = QVariant(QStringLiteral("'); DROP TABLE victims; --"));
        std::vector<PendingChange> insert = {InsertOf(values)};
        cursor->applyChanges(Pointers(insert), upWhereChanged);
        std::vector<FetchedRow> rows = cursor->fetchAt(0, 10);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].values, values);

        Row changed = values;
        changed[0] = QVariant(qlonglong(100 + n));
        std::vector<PendingChange> modify = {ModifyOf(rows[0], changed)};
        cursor->applyChanges(Pointers(modify), upWhereChanged);
        rows = cursor->fetchAt(0, 10);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].values[0], QVariant(qlonglong(100 + n)));
        std::vector<PendingChange> remove = {DeleteOf(rows[0])};
        cursor->applyChanges(Pointers(remove), upWhereChanged);
        EXPECT_EQ(cursor->rowCount(), 0);
    }
    EXPECT_EQ(ReadAll(*m_conn, QStringLiteral("victims")).size(), 1u);

    auto columns = m_conn->openTable(QStringLiteral("My Table"), true)->columns();
    ASSERT_EQ(columns.size(), 3);
    EXPECT_EQ(columns[0].name, QStringLiteral("Key \"q\""));
    EXPECT_EQ(columns[1].name, QStringLiteral("a;b"));
}

TEST_F(PgNames, QualifiedAndQuotedSpellingsFindTheTable) {
    exec(QStringLiteral("CREATE TABLE \"Mixed\" (id int PRIMARY KEY)"));
    exec(QStringLiteral("CREATE TABLE lower_one (id int PRIMARY KEY)"));
    const QString schema = PgTestServer::quoted(m_schema);
    EXPECT_NO_THROW(m_conn->openTable(QStringLiteral("\"Mixed\""), true));
    EXPECT_NO_THROW(m_conn->openTable(schema + QStringLiteral(".\"Mixed\""), true));
    EXPECT_NO_THROW(m_conn->openTable(QStringLiteral("LOWER_ONE"), true));
    EXPECT_NO_THROW(m_conn->openTable(schema + QStringLiteral(".lower_one"), true));
    // Unquoted names fold to lower case, as the server folds them.
    EXPECT_THROW(m_conn->openTable(QStringLiteral("mixed"), true), EDBEngineError);
    EXPECT_THROW(m_conn->openTable(QStringLiteral("\"lower_one"), true), EDBEngineError);
    try {
        m_conn->openTable(QStringLiteral("nowhere.lower_one"), true);
        FAIL() << "a table in a schema that does not exist opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.code(), QStringLiteral("42P01"));
        EXPECT_TRUE(e.message().contains(QLatin1String("nowhere.lower_one")));
        EXPECT_TRUE(e.connectionUsable());
    }
}

}  // namespace
