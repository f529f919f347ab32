#include "data/TDatabase.h"
#include "data/TSession.h"
#include "script/ScriptExecution.h"
#include "script/ScriptFileLines.h"
#include "script/uSQL.h"
#include "tests/script/ScriptTestSupport.h"
#include "tests/support/PgTestServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

// Generated scripts run through the databases' own command-line shells, and the rows they
// leave compared with the source.
class PeerScriptTest : public ScriptWindowFixture {
protected:
    void SetUp() override {
        ScriptWindowFixture::SetUp();
        m_db->exec(QStringLiteral(
            "CREATE TABLE SRC_T (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), QTY BIGINT, "
            "PRICE DOUBLE, AMOUNT NUMERIC(12,2), BORN DATE, STAMP TIMESTAMP, FLAG BOOLEAN, "
            "CODE CHAR(8), NOTE CLOB)"));
        m_db->exec(QStringLiteral(
            "INSERT INTO SRC_T VALUES "
            "(1, 'O''Hara; {x}', 9223372036854775807, 0.1 + 0.2, 12.34, '1990-05-17', "
            "'2026-12-08 14:03:09', 1, 'C''1', 'memo ''one'''), "
            "(2, NULL, -5, 2.5, NULL, '2026-12-08', '2026-12-08 00:00:00', 0, NULL, NULL), "
            "(3, 'Zürich', 0, 123456789.125, 0.5, '1899-12-30', '2000-02-29 23:59:59', NULL, "
            "'AB', 'line')"));
    }

    // Generates the script for every row of `source` and saves it as the user would.
    QString scriptFile(int dialect, const QString& target, bool commitMarkers = true,
                       const QString& source = QStringLiteral("SRC_T")) {
        openSource(source, target);
        setDialect(dialect);
        setAutoCommit(commitMarkers, 2);
        generate();
        const QString path = m_db->folder() + QStringLiteral("/peer.sql");
        prompts().answerSaveFile(path);
        sql().aSaveSQL->trigger();
        return path;
    }

    // Runs `program`; fails the test with its output when it fails.
    QString run(const QString& program, const QStringList& arguments,
                const QByteArray& input = QByteArray(),
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << err.toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

TEST_F(PeerScriptTest, AnsiScriptRunsInTheSqliteShell) {
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        GTEST_SKIP() << "sqlite3 is missing";
    // The shell refuses a COMMIT outside a transaction: one transaction, closed by the trailer.
    const QString script = scriptFile(0, QStringLiteral("T2"), false);
    const QString target = m_db->folder() + QStringLiteral("/target.db");
    run(QStringLiteral("sqlite3"),
        {QStringLiteral("-bail"), target,
         QStringLiteral("CREATE TABLE T2 (ID INTEGER, NAME TEXT, QTY INTEGER, PRICE REAL, "
                        "AMOUNT NUMERIC, BORN TEXT, STAMP TEXT, FLAG INTEGER, CODE TEXT, "
                        "NOTE TEXT)"),
         QStringLiteral("BEGIN"), QStringLiteral(".read '%1'").arg(script)});
    const QString rows =
        run(QStringLiteral("sqlite3"),
            {target, QStringLiteral("SELECT ID, quote(NAME), QTY, printf('%!.17g', PRICE), "
                                    "quote(AMOUNT), BORN, STAMP, quote(FLAG), quote(CODE), "
                                    "quote(NOTE) FROM T2 ORDER BY ID")});
    EXPECT_EQ(rows,
              "1|'O''Hara; {x}'|9223372036854775807|0.30000000000000004|12.34|17.05.1990|"
              "08.12.2026 14:03:09|1|'C''1'|'memo ''one'''\n"
              "2|NULL|-5|2.5|NULL|08.12.2026|08.12.2026|0|NULL|NULL\n"
              "3|'Zürich'|0|123456789.125|0.5|30.12.1899|29.02.2000 23:59:59|NULL|'AB'|'line'\n");
}

// Under a decimal comma a script still writes numbers with a point, quotes the names that
// need it, and the sqlite3 shell and the program's own execution of the file store the same.
TEST_F(PeerScriptTest, CommaLocaleScriptStoresTheSameInTheShellAndThroughTheProgram) {
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        GTEST_SKIP() << "sqlite3 is missing";
    ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    const QString columns = QStringLiteral(
        "ID INTEGER PRIMARY KEY, \"order\" DOUBLE, \"my col\" NUMERIC(12,2), WIDE NUMERIC, "
        "TINY NUMERIC, NOTE CLOB, \"say \"\"hi\"\"\" VARCHAR(10), STAMP TIMESTAMP");
    m_db->exec(QStringLiteral("CREATE TABLE ODD (%1)").arg(columns));
    m_db->exec(QStringLiteral(
        "INSERT INTO ODD VALUES (1, 2.5, 1234.5, 123456789012345000000, 0.0000000001, "
        "'it''s a memo', 'x', '9999-12-31 23:59:59.999'), "
        "(2, 0.1 + 0.2, -0.5, -1e-7, 1e300, '', '', NULL)"));
    const QString script = scriptFile(0, QStringLiteral("my tab"), false, QStringLiteral("ODD"));
    const QString create = QStringLiteral("CREATE TABLE \"my tab\" (%1)").arg(columns);

    const QString shellTarget = m_db->folder() + QStringLiteral("/shell.db");
    run(QStringLiteral("sqlite3"),
        {QStringLiteral("-bail"), shellTarget, create, QStringLiteral("BEGIN"),
         QStringLiteral(".read '%1'").arg(script)});
    const QString programTarget = m_db->folder() + QStringLiteral("/program.db");
    run(QStringLiteral("sqlite3"), {programTarget, create});
    QFile aliases(m_db->folder() + QStringLiteral("/aliases.conf"));
    ASSERT_TRUE(aliases.open(QIODevice::Append));
    aliases.write(
        QStringLiteral("[PROGRAM]\nDRIVER=SQLITE\nPATH=%1\n").arg(programTarget).toUtf8());
    aliases.close();
    TSession::ReloadAliases();
    TDatabase program;
    program.SetDatabaseName(QStringLiteral("program"));
    program.SetAliasName(QStringLiteral("PROGRAM"));
    program.LoginPrompt = false;
    EXPECT_EQ(RunScript(ScriptFileSource(script), QStringLiteral(";"), program), 3);
    program.Disconnect();

    // Every stored value with its storage class, floats to their last digit.
    const auto stored = [this](const QString& database, const QString& table) {
        QStringList values;
        for (const char* column : {"ID", "\"order\"", "\"my col\"", "WIDE", "TINY"}) {
            values << QStringLiteral("typeof(%1) || ':' || printf('%!.17g', %1)")
                          .arg(QLatin1String(column));
        }
        values << QStringLiteral("quote(NOTE)") << QStringLiteral("quote(\"say \"\"hi\"\"\")");
        return run(QStringLiteral("sqlite3"),
                   {database, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY ID")
                                  .arg(values.join(QStringLiteral(" || '|' || ")), table)});
    };
    const QString source = stored(m_db->path(), QStringLiteral("ODD"));
    EXPECT_EQ(stored(shellTarget, QStringLiteral("my tab")), source);
    EXPECT_EQ(stored(programTarget, QStringLiteral("my tab")), source);
    EXPECT_TRUE(source.startsWith(QLatin1String("integer:1.0|real:2.5|real:1234.5|")))
        << source.toStdString();
    for (const QString& target : {shellTarget, programTarget}) {
        EXPECT_EQ(run(QStringLiteral("sqlite3"),
                      {target, QStringLiteral("SELECT quote(STAMP) FROM \"my tab\" ORDER BY ID")}),
                  "'31.12.9999 23:59:59'\nNULL\n");
    }
}

TEST_F(PeerScriptTest, AnsiScriptRunsInPsql) {
    if (!PgTestServer::available() ||
        QStandardPaths::findExecutable(QStringLiteral("psql")).isEmpty())
        GTEST_SKIP() << "no PostgreSQL test server";
    const QString table = QStringLiteral("PEER_%1").arg(QCoreApplication::applicationPid());
    const QString script = scriptFile(0, table);
    const auto env = [](const char* name) { return qEnvironmentVariable(name); };
    const QStringList connect = {QStringLiteral("-X"), QStringLiteral("-q"),
                                 QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                 QStringLiteral("-h"), env("ROWCART_PG_HOST"),
                                 QStringLiteral("-p"), env("ROWCART_PG_PORT"),
                                 QStringLiteral("-U"), env("ROWCART_PG_USER"),
                                 QStringLiteral("-d"), PgTestServer::sharedDatabase()};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The script's dates are day first.
    environment.insert(QStringLiteral("PGDATESTYLE"), QStringLiteral("ISO, DMY"));
    run(QStringLiteral("psql"),
        connect + QStringList{QStringLiteral("-c"),
                              QStringLiteral("CREATE TABLE %1 (id integer, name varchar(40), qty "
                                             "bigint, price double precision, amount "
                                             "numeric(12,2), born date, stamp timestamp, flag "
                                             "boolean, code char(8), note text)")
                                  .arg(table)},
        {}, environment);
    run(QStringLiteral("psql"), connect + QStringList{QStringLiteral("-f"), script}, {},
        environment);
    const QString rows =
        run(QStringLiteral("psql"),
            connect + QStringList{QStringLiteral("-At"), QStringLiteral("-c"),
                                  QStringLiteral("SELECT id, coalesce(name, '<null>'), qty, price, "
                                                 "amount, born, stamp, flag, code, note FROM %1 "
                                                 "ORDER BY id; DROP TABLE %1")
                                      .arg(table)},
            {}, environment);
    EXPECT_EQ(rows,
              "1|O'Hara; {x}|9223372036854775807|0.30000000000000004|12.34|1990-05-17|"
              "2026-12-08 14:03:09|t|C'1     |memo 'one'\n"
              "2|<null>|-5|2.5||2026-12-08|2026-12-08 00:00:00|f||\n"
              "3|Zürich|0|123456789.125|0.50|1899-12-30|2000-02-29 23:59:59||AB      |line\n");
}

TEST_F(PeerScriptTest, InterbaseScriptRunsInFirebird) {
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty())
        GTEST_SKIP() << "Firebird isql (firebird3.0-utils) is missing";
    const QString script = scriptFile(2, QStringLiteral("T2"));
    const QString database = m_db->folder() + QStringLiteral("/target.fdb");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The embedded engine keeps its lock files here rather than in a system folder.
    environment.insert(QStringLiteral("FIREBIRD_LOCK"), m_db->folder());
    const QString create =
        QStringLiteral(
            "CREATE DATABASE '%1' DEFAULT CHARACTER SET UTF8;\n"
            "CREATE TABLE T2 (ID INTEGER, NAME VARCHAR(40), QTY BIGINT, PRICE DOUBLE PRECISION, "
            "AMOUNT NUMERIC(12,2), BORN DATE, STAMP TIMESTAMP, FLAG BOOLEAN, CODE CHAR(8), "
            "NOTE BLOB SUB_TYPE TEXT);\nCOMMIT;\n")
            .arg(database);
    run(isql,
        {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
         QStringLiteral("-ch"), QStringLiteral("UTF8")},
        create.toUtf8(), environment);
    run(isql,
        {QStringLiteral("-q"), QStringLiteral("-bail"), QStringLiteral("-user"),
         QStringLiteral("SYSDBA"), QStringLiteral("-ch"), QStringLiteral("UTF8"),
         QStringLiteral("-i"), script, database},
        {}, environment);
    const QString rows = run(
        isql,
        {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
         QStringLiteral("-ch"), QStringLiteral("UTF8"), database},
        "SET HEADING OFF;\nSELECT ID || '|' || COALESCE(NAME, '<null>') || '|' || QTY || '|' || "
        "TRIM(IIF(PRICE = 0.30000000000000004e0 OR PRICE = 2.5e0 OR PRICE = 123456789.125e0, "
        "'exact', 'inexact')) || '|' || COALESCE(AMOUNT, '<null>') || '|' || BORN || '|' || STAMP "
        "|| '|' || "
        "COALESCE(CAST(FLAG AS VARCHAR(5)), '<null>') || '|' || COALESCE(CODE, '<null>') || '|' || "
        "COALESCE(CAST(NOTE AS VARCHAR(40)), '<null>') FROM T2 ORDER BY ID;\n",
        environment);
    QStringList lines = rows.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    EXPECT_EQ(
        lines,
        QStringList({
            "1|O'Hara; {x}|9223372036854775807|exact|12.34|1990-05-17|"
            "2026-12-08 14:03:09.0000|TRUE|C'1     |memo 'one'",
            "2|<null>|-5|exact|<null>|2026-12-08|2026-12-08 00:00:00.0000|FALSE|<null>  |<null>",
            "3|Zürich|0|exact|0.50|1899-12-30|2000-02-29 23:59:59.0000|<null>|AB      |line",
        }));
}

}  // namespace
