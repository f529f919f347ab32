#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "script/InsertStatement.h"
#include "tests/script/ScriptTarget.h"
#include "tests/script/ScriptTestSupport.h"

#include <QRegularExpression>

namespace {

using D = InsertStatement::Dialect;

FieldMappingArray equalNames(const TTable& table) {
    FieldMappingArray mapping;
    for (int i = 0; i < table.NumberOfFields(); ++i)
        mapping.append({table.FieldAt(i)->FieldName(), table.FieldAt(i)->FieldName()});
    return mapping;
}

class InsertStatementTest : public ::testing::Test {
protected:
    // The literal of one value: a one-column table of `type` holding `sqlValue`.
    QString literal(const QString& type, const QString& sqlValue, D dialect) {
        const QString name = QStringLiteral("V%1").arg(++m_tables);
        m_db.exec(QStringLiteral("CREATE TABLE %1 (V %2)").arg(name, type));
        m_db.exec(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, sqlValue));
        const auto table = m_db.open(name);
        QString text;
        InsertStatement::AppendValue(text, *table->FieldAt(0), dialect);
        return text;
    }

    // The worked example's row: ID, NAME, BORN, STAMP, TMP (not mapped), PHOTO, NOTE.
    QString workedExample(D dialect) {
        m_db.exec(QStringLiteral(
            "CREATE TABLE PEOPLE_SRC (ID INTEGER, NAME VARCHAR(40), BORN DATE, STAMP TIMESTAMP, "
            "TMP INTEGER, PHOTO BLOB, NOTE CLOB)"));
        m_db.exec(
            QStringLiteral("INSERT INTO PEOPLE_SRC VALUES (7, 'Smith', '1990-05-17', "
                           "'2026-12-08 14:03:09', 1, X'410042', NULL)"));
        const auto table = m_db.open(QStringLiteral("PEOPLE_SRC"));
        FieldMappingArray mapping = equalNames(*table);
        mapping[1].targetName = QStringLiteral("FULLNAME");
        mapping[4].targetName.clear();
        return InsertStatement::Render(*table, mapping, QStringLiteral("PEOPLE"),
                                       QStringLiteral(";"), dialect);
    }

    ScopedLocale m_locale{QLocale(QLocale::German, QLocale::Switzerland)};
    ScriptTestDatabase m_db;
    int m_tables = 0;
};

TEST_F(InsertStatementTest, WorkedExampleInEachDialect) {
    const struct {
        D dialect;
        QString text;
    } cases[] = {
        {D::Ansi,
         "INSERT INTO PEOPLE (ID, FULLNAME, BORN, STAMP, PHOTO, NOTE)\n"
         "VALUES (7, 'Smith', '17.05.1990', '08.12.2026 14:03:09', null, null)\n;\n\n"},
        {D::Oracle,
         "INSERT INTO PEOPLE\n(ID, FULLNAME, BORN, STAMP, PHOTO, NOTE)\n"
         "(SELECT 7, 'Smith', TO_DATE('17.05.1990','DD.MM.YYYY'), "
         "TO_DATE('08.12.2026 14:03:09','DD.MM.YYYY HH24:MI:SS'), \nHEXTORAW(\n'410042'\n), null\n"
         "FROM DUAL)\n;\n\n"},
    };
    for (const auto& c : cases) {
        m_db.exec(QStringLiteral("DROP TABLE IF EXISTS PEOPLE_SRC"));
        EXPECT_EQ(workedExample(c.dialect), c.text) << "dialect " << c.dialect;
    }
    // The Interbase dialect writes a blob as text, which cannot hold the photo's zero byte.
    m_db.exec(QStringLiteral("DROP TABLE IF EXISTS PEOPLE_SRC"));
    try {
        workedExample(D::Interbase);
        ADD_FAILURE() << "the photo was written as text";
    } catch (const EConvertError& e) {
        EXPECT_TRUE(e.message().startsWith(QLatin1String("Field 'PHOTO' holds ")))
            << e.message().toStdString();
    }
}

TEST_F(InsertStatementTest, AllEmptyMappingAndEmptyDivider) {
    m_db.exec(QStringLiteral("CREATE TABLE E (A INTEGER, B VARCHAR(5))"));
    m_db.exec(QStringLiteral("INSERT INTO E VALUES (1, 'x')"));
    const auto table = m_db.open(QStringLiteral("E"));
    const FieldMappingArray empty = {{QStringLiteral("A"), QString()},
                                     {QStringLiteral("B"), QString()}};
    EXPECT_EQ(InsertStatement::Render(*table, empty, "T", ";", D::Ansi),
              "INSERT INTO T ()\nVALUES ()\n;\n\n");
    EXPECT_EQ(InsertStatement::Render(*table, empty, "T", ";", D::Interbase),
              "INSERT INTO T ()\nVALUES ()\n;\n\n");
    EXPECT_EQ(InsertStatement::Render(*table, empty, "T", ";", D::Oracle),
              "INSERT INTO T\n()\n(SELECT \nFROM DUAL)\n;\n\n");
    EXPECT_EQ(InsertStatement::Render(*table, equalNames(*table), "T", "", D::Ansi),
              "INSERT INTO T (A, B)\nVALUES (1, 'x')\n\n\n");
}

TEST_F(InsertStatementTest, ValueRules) {
    const struct {
        const char* type;
        const char* sql;
        D dialect;
        QString expected;
    } cases[] = {
        {"VARCHAR(20)", "'O''Hara'", D::Ansi, "'O''Hara'"},
        {"VARCHAR(20)", "'O''Hara'", D::Oracle, "'O''Hara'"},
        {"VARCHAR(20)", "'O''Hara'", D::Interbase, "'O''Hara'"},
        {"CLOB", "'O''Hara'", D::Interbase, "'O''Hara' "},
        {"CLOB", "'a' || char(10) || 'b'", D::Interbase, "'a\nb' "},
        {"BLOB", "X'410A42'", D::Interbase, "'A\nB' "},
        // A zone SQLite keeps in text stays with the time, in UTC.
        {"DATETIME", "'2020-06-30 23:30:00.5+05:30'", D::Ansi, "'2020-06-30 18:00:00+00:00'"},
        {"DATETIME", "'2020-06-30 23:30:00+05:30'", D::Oracle, "'2020-06-30 18:00:00+00:00'"},
        {"BLOB", "X'41'", D::Ansi, "null"},
        // A memo keeps all of its text in the Ansi dialect.
        {"CLOB", "'O''Hara' || char(9, 10) || 'x'", D::Ansi, "'O''Hara\t\nx'"},
        {"INTEGER", "NULL", D::Oracle, "null"},
        {"TIMESTAMP", "'2026-12-08 00:00:00'", D::Interbase, "'08.12.2026'"},
        {"TIMESTAMP", "'2026-12-08 00:00:00'", D::Oracle, "TO_DATE('08.12.2026','DD.MM.YYYY')"},
        {"TIMESTAMP", "'2026-12-08 00:00:01'", D::Interbase, "'08.12.2026 00:00:01'"},
        {"TIMESTAMP", "'2026-12-08 00:00:01'", D::Oracle,
         "TO_DATE('08.12.2026 00:00:01','DD.MM.YYYY HH24:MI:SS')"},
        {"TIMESTAMP", "'2026-12-08 00:00:00'", D::Ansi, "'08.12.2026'"},
        {"TIME", "'00:00:00'", D::Oracle, "TO_DATE('30.12.1899','DD.MM.YYYY')"},
        {"TIME", "'09:15:00'", D::Oracle, "TO_DATE('30.12.1899 09:15:00','DD.MM.YYYY HH24:MI:SS')"},
        {"TIME", "'00:00:00'", D::Interbase, "'00:00:00'"},
        {"TIME", "'09:15:00'", D::Ansi, "'09:15:00'"},
        {"BOOLEAN", "1", D::Ansi, "True"},
        // Whole seconds: the last moment a date holds stays on that date.
        {"TIMESTAMP", "'9999-12-31 23:59:59.999999'", D::Ansi, "'31.12.9999 23:59:59'"},
        {"TIMESTAMP", "'9999-12-31 23:59:59.999'", D::Oracle,
         "TO_DATE('31.12.9999 23:59:59','DD.MM.YYYY HH24:MI:SS')"},
        {"TIMESTAMP", "'9999-12-31 23:59:59.9995'", D::Interbase, "'31.12.9999 23:59:59'"},
        {"TIMESTAMP", "'2026-12-08 00:00:00.999'", D::Oracle, "TO_DATE('08.12.2026','DD.MM.YYYY')"},
        {"TIME", "'23:59:59.9999'", D::Ansi, "'23:59:59'"},
        {"TIME", "'23:59:59.9999'", D::Interbase, "'23:59:59'"},
        {"DATE", "'9999-12-31'", D::Oracle, "TO_DATE('31.12.9999','DD.MM.YYYY')"},
        // Numbers keep every digit their value has.
        {"DOUBLE", "0.1 + 0.2", D::Ansi, "0.30000000000000004"},
        {"DOUBLE", "2.5", D::Oracle, "2.5"},
        {"DOUBLE", "1000000", D::Ansi, "1000000"},
        {"MONEY", "123456789012.3456", D::Ansi, "123456789012.3456"},
        {"BIGINT", "9223372036854775807", D::Interbase, "9223372036854775807"},
        {"NUMERIC(12,2)", "1.23456", D::Ansi, "1.23456"},
        // Free text of any type is quoted.
        {"CHAR(8)", "'C''1'", D::Ansi, "'C''1'"},
        {"UUID", "'0f8fad5b-d9cb-469f-a165-70867728950e'", D::Oracle,
         "'0f8fad5b-d9cb-469f-a165-70867728950e'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(literal(c.type, c.sql, c.dialect), c.expected)
            << c.type << " " << c.sql << " dialect " << c.dialect;
    }
}

TEST_F(InsertStatementTest, NumbersUnderACommaSeparatorKeepEveryDigitAndThePoint) {
    ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        const char* type;
        const char* sql;
        QString expected;
    } cases[] = {
        {"DOUBLE", "2.5", "2.5"},
        {"DOUBLE", "0.1 + 0.2", "0.30000000000000004"},
        {"DOUBLE", "-1e300", "-1e+300"},
        {"MONEY", "-0.125", "-0.125"},
        {"NUMERIC(12,2)", "'1234.5'", "1234.5"},
        // SQLite's own text of a REAL in a decimal column, written out without an exponent.
        {"NUMERIC", "123456789012345000000", "123456789012345000000"},
        {"NUMERIC", "0.0000000001", "0.0000000001"},
    };
    for (const auto& c : cases) {
        for (const D dialect : {D::Ansi, D::Oracle, D::Interbase})
            EXPECT_EQ(literal(c.type, c.sql, dialect), c.expected) << c.type << " " << c.sql;
    }
}

TEST_F(InsertStatementTest, InfinitiesAndNonNumbersFailTheirRowNamingFieldAndValue) {
    const struct {
        const char* type;
        const char* sql;
        const char* shown;
    } cases[] = {
        {"DOUBLE", "9e999", "Infinity"},
        {"DOUBLE", "-9e999", "-Infinity"},
        {"NUMERIC", "'NaN'", "'NaN'"},
    };
    for (const auto& c : cases) {
        for (const D dialect : {D::Ansi, D::Oracle, D::Interbase}) {
            try {
                literal(c.type, c.sql, dialect);
                ADD_FAILURE() << c.sql << " was written";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.message(),
                          QStringLiteral("Field 'V' holds %1, which no script can carry")
                              .arg(QLatin1String(c.shown)));
            }
        }
    }
}

// A value the dialect's text would change fails its row, saying why: the script's target cannot
// be told from the script.
TEST_F(InsertStatementTest, ValuesNoScriptCarriesFailTheirRowNamingFieldAndValue) {
    const struct {
        const char* type;
        const char* sql;
        QList<D> dialects;
        const char* message;
    } cases[] = {
        {"VARCHAR(10)",
         "'a' || char(13, 10) || 'b'",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 'a\\r\\nb', which no script can carry: a script's lines end in line "
         "feeds, not carriage returns"},
        {"CLOB",
         "'a' || char(0) || 'b'",
         {D::Ansi, D::Interbase},
         "Field 'V' holds 'a\\x00b', which no script can carry: an SQL text ends at a NUL "
         "character"},
        {"TIME",
         "'24:00:00'",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 24:00:00, which no script can carry: a script's times end at 23:59:59"},
        // SQLite keeps any value in any column.
        {"BOOLEAN",
         "2",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 2, which no script can carry: it is no value of its field's type"},
        {"BIGINT",
         "2.5",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 2.5, which no script can carry: it is no value of its field's type"},
        {"INTEGER",
         "'x'",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 'x', which no script can carry: it is no value of its field's type"},
        {"DOUBLE",
         "'abc'",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 'abc', which no script can carry: it is no value of its field's type"},
        {"DATE",
         "'yesterday'",
         {D::Ansi, D::Oracle, D::Interbase},
         "Field 'V' holds 'yesterday', which no script can carry: it is no date"},
        {"CLOB",
         "CAST(X'61FF62' AS TEXT)",
         {D::Ansi, D::Interbase},
         "Field 'V' holds 3 bytes, which no script can carry: they are no UTF-8 text"},
        {"CLOB",
         "'a' || char(9) || 'b'",
         {D::Interbase},
         "Field 'V' holds 'a\\tb', which no script can carry: the Interbase dialect writes a blob "
         "as text, without control characters"},
        {"BLOB",
         "X'41FF'",
         {D::Interbase},
         "Field 'V' holds 2 bytes, which no script can carry: the Interbase dialect writes a blob "
         "as text, without control characters or bytes above 127"},
    };
    for (const auto& c : cases) {
        for (const D dialect : c.dialects) {
            try {
                literal(c.type, c.sql, dialect);
                ADD_FAILURE() << c.sql << " was written in dialect " << dialect;
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.message(), QString::fromUtf8(c.message)) << dialect;
            }
        }
    }
    // The Oracle dialect writes a memo's bytes, each as it is.
    EXPECT_EQ(literal("CLOB", "'a' || char(0, 13) || 'b'", D::Oracle),
              "\nHEXTORAW(\n'61000D62'\n)");
}

// PostgreSQL holds a real NaN in a double column.
TEST(InsertStatementNaN, FailsItsRowInEveryDialect) {
    const QString reason = ScriptTarget::unavailableReason(QStringLiteral("PostgreSQL"));
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    ScriptTarget target(QStringLiteral("PostgreSQL"));
    target.db().Connect();
    target.db().ExecuteStatement(QStringLiteral("CREATE TABLE n (v double precision)"));
    target.db().ExecuteStatement(QStringLiteral("INSERT INTO n VALUES ('NaN')"));
    TTable table;
    table.SetDatabaseName(QStringLiteral("dbTo"));
    table.SetTableName(QStringLiteral("n"));
    table.SetReadOnly(true);
    table.OpenTable();
    for (const D dialect : {D::Ansi, D::Oracle, D::Interbase}) {
        QString text;
        try {
            InsertStatement::AppendValue(text, *table.FieldAt(0), dialect);
            ADD_FAILURE() << text.toStdString() << " was written";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), "Field 'v' holds NaN, which no script can carry");
        }
    }
}

TEST_F(InsertStatementTest, EmptyValuesAreNoNullInAnyDialect) {
    m_db.exec(QStringLiteral("CREATE TABLE E (S VARCHAR(5), M CLOB, B BLOB)"));
    m_db.exec(QStringLiteral("INSERT INTO E VALUES ('', '', X''), (NULL, NULL, NULL)"));
    const auto table = m_db.open(QStringLiteral("E"));
    const FieldMappingArray mapping = equalNames(*table);
    const QString hexEmpty = QStringLiteral("\nHEXTORAW(\n''\n)");
    const struct {
        D dialect;
        QString empty;
        QString null;
    } cases[] = {
        {D::Ansi, "('', '', null)", "(null, null, null)"},
        {D::Oracle, "(SELECT '', " + hexEmpty + ", " + hexEmpty + "\nFROM DUAL)",
         "(SELECT null, null, null\nFROM DUAL)"},
        {D::Interbase, "('', '' , '' )", "(null, null, null)"},
    };
    for (const auto& c : cases) {
        table->MoveFirst();
        EXPECT_TRUE(InsertStatement::Render(*table, mapping, "T", ";", c.dialect).contains(c.empty))
            << "dialect " << c.dialect;
        table->MoveNext();
        EXPECT_TRUE(InsertStatement::Render(*table, mapping, "T", ";", c.dialect).contains(c.null))
            << "dialect " << c.dialect;
    }
}

TEST_F(InsertStatementTest, NamesThatAreNoPlainIdentifierAreQuoted) {
    m_db.exec(QStringLiteral("CREATE TABLE N (A INTEGER, B INTEGER, C INTEGER, D INTEGER)"));
    m_db.exec(QStringLiteral("INSERT INTO N VALUES (1, 2, 3, 4)"));
    const auto table = m_db.open(QStringLiteral("N"));
    const FieldMappingArray mapping = {
        {"A", "order"}, {"B", "my col"}, {"C", "Plain_1$"}, {"D", "say \"hi\""}};
    EXPECT_EQ(InsertStatement::Render(*table, mapping, "my tab", ";", D::Ansi),
              "INSERT INTO \"my tab\" (\"order\", \"my col\", Plain_1$, \"say \"\"hi\"\"\")\n"
              "VALUES (1, 2, 3, 4)\n;\n\n");
}

TEST_F(InsertStatementTest, OracleHexLinesOfFiftyBytes) {
    const QString full = QStringLiteral("'") + QString(100, QLatin1Char('A')) + "'||";
    const struct {
        int bytes;
        QStringList lines;
    } cases[] = {
        {50, {"", "HEXTORAW(", full, "''", ")"}},
        {51, {"", "HEXTORAW(", full, "'AA'", ")"}},
        {3, {"", "HEXTORAW(", "'AAAAAA'", ")"}},
    };
    for (const auto& c : cases) {
        QString text;
        InsertStatement::AppendHexLiteral(text, QByteArray(c.bytes, '\xAA'));
        EXPECT_EQ(text.split(QLatin1Char('\n')), c.lines) << c.bytes << " bytes";
    }
    QString empty = QStringLiteral("x");
    InsertStatement::AppendHexLiteral(empty, QByteArray());
    EXPECT_EQ(empty, "x\nHEXTORAW(\n''\n)");
}

TEST_F(InsertStatementTest, OracleHexDecodesToTheBlob) {
    QByteArray blob;
    for (int i = 0; i < 1234; ++i)
        blob.append(static_cast<char>((i * 37) & 0xFF));
    QString text;
    InsertStatement::AppendHexLiteral(text, blob);
    // Join the quoted pieces as Oracle's || does, then read the digits back.
    QString digits;
    static const QRegularExpression piece(QStringLiteral("'([0-9A-F]*)'"));
    for (auto m = piece.globalMatch(text); m.hasNext();)
        digits += m.next().captured(1);
    EXPECT_EQ(QByteArray::fromHex(digits.toLatin1()), blob);
}

TEST_F(InsertStatementTest, NoMidnightUnderAnotherTimeSeparator) {
    ScopedLocale finnish(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(literal("TIMESTAMP", "'2026-12-08 00:00:00'", D::Interbase), "'08.12.2026 00.00.00'");
}

}  // namespace

// PostgreSQL gives a numeric with its column's scale: the zeros are no digits of the value.
TEST(InsertStatementDecimals, DropTheZerosEndingTheirFraction) {
    const QString reason = ScriptTarget::unavailableReason(QStringLiteral("PostgreSQL"));
    if (!reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    ScriptTarget target(QStringLiteral("PostgreSQL"));
    target.db().Connect();
    target.db().ExecuteStatement(QStringLiteral("CREATE TABLE d (v numeric(30,10))"));
    target.db().ExecuteStatement(
        QStringLiteral("INSERT INTO d VALUES (20000000000000001), (1.5), (0)"));
    TTable table;
    table.SetDatabaseName(QStringLiteral("dbTo"));
    table.SetTableName(QStringLiteral("d"));
    table.SetReadOnly(true);
    table.OpenTable();
    QStringList written;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        QString text;
        InsertStatement::AppendValue(text, *table.FieldAt(0), D::Ansi);
        written << text;
    }
    EXPECT_EQ(written, QStringList({"20000000000000001", "1.5", "0"}));
}
