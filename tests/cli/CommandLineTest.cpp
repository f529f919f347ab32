#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "script/uSQL.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/uSetup.h"
#include "tests/cli/CommandLineFixture.h"
#include "tests/support/PgTestServer.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>

namespace {

// Rows that arrived against their source, value by value, NULLs included.
void expectSameValues(const QList<Row>& arrived, const QList<Row>& source) {
    ASSERT_EQ(arrived.size(), source.size());
    ASSERT_GT(source.size(), 0);
    for (int r = 0; r < source.size(); ++r) {
        ASSERT_EQ(arrived[r].size(), source[r].size());
        for (int i = 0; i < source[r].size(); ++i) {
            EXPECT_EQ(arrived[r][i], source[r][i])
                << "row " << r << " field " << i << ": " << arrived[r][i].toString().toStdString()
                << " for " << source[r][i].toString().toStdString();
        }
    }
}

// Dates and times of the header and the markers, which differ between two runs.
QStringList masked(QStringList lines) {
    static const QRegularExpression clock(QStringLiteral("\\d+[:.]\\d+[:.]\\d+( [AP]M)?"));
    for (QString& line : lines)
        line.replace(clock, QStringLiteral("<t>"));
    return lines;
}

}  // namespace

TEST_F(CommandLineTest, MoveGivesTheRowsOfTheWindowsMove) {
    openWorkTables(QStringLiteral("SRC"), QStringLiteral("T1"));
    selectSourceRows();
    setOptions(true, false);
    prompts().answerMessage(UserPrompts::Yes);  // "Continue ?" for the row whose V is no number
    runMove();
    a().aCommit->trigger();
    m_window.reset();

    const Outcome result =
        rowcart({QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
                 QStringLiteral("--typed"), QStringLiteral("--on-error"), QStringLiteral("skip")});
    EXPECT_EQ(result.code, 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QLatin1String("3 rows moved, 1 skipped, 3 committed")))
        << result.err.toStdString();
    const QStringList window = tableRows(QStringLiteral("WORK"), QStringLiteral("T1"));
    EXPECT_EQ(window.size(), 3);
    EXPECT_EQ(tableRows(QStringLiteral("WORK"), QStringLiteral("T2")), window);
}

TEST_F(CommandLineTest, KeysPickRowsAndAnEmptyMapLeavesTheFieldOut) {
    const QString keys = writeFile(QStringLiteral("keys.txt"), "4\n2\n");
    const Outcome result =
        rowcart({QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
                 QStringLiteral("--typed"), QStringLiteral("--keys"), keys, QStringLiteral("--map"),
                 QStringLiteral("NAME="), QStringLiteral("--quiet")});
    EXPECT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty());
    const QStringList rows = tableRows(QStringLiteral("WORK"), QStringLiteral("T2"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith(QLatin1String("2|<null>|"))) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith(QLatin1String("4|<null>|"))) << rows[1].toStdString();
}

TEST_F(CommandLineTest, FailingRowSkippedOrStoppingTheJob) {
    struct Case {
        const char* onError;
        int code;
        QStringList ids;
        const char* said;
    };
    // The row with ID 3 has a V that is no number; a stopped job keeps nothing uncommitted.
    // The failed row is named by its key; a stopped job does not count it as skipped.
    for (const Case& c : {Case{"skip", 1, {"1", "2", "4"}, "Row ID = 3 skipped: "},
                          Case{"stop", 3, {}, "Row ID = 3 failed: "}}) {
        execWork({QStringLiteral("DELETE FROM T2")});
        const Outcome result =
            rowcart({QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
                     QStringLiteral("--typed"), QStringLiteral("--on-error"),
                     QString::fromLatin1(c.onError)});
        EXPECT_EQ(result.code, c.code) << c.onError << result.err.toStdString();
        QStringList ids;
        for (const QString& row : tableRows(QStringLiteral("WORK"), QStringLiteral("T2")))
            ids.append(row.section(QLatin1Char('|'), 0, 0));
        EXPECT_EQ(ids, c.ids) << c.onError;
        EXPECT_TRUE(result.err.contains(QLatin1String(c.said))) << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QLatin1String("Continue ?"))) << c.onError;
        if (c.code == 3) {
            EXPECT_TRUE(result.err.contains(QLatin1String("Stopped: 2 rows moved, 0 skipped")))
                << result.err.toStdString();
        }
    }
}

TEST_F(CommandLineTest, DryRunLeavesTheTargetUnchanged) {
    const Outcome result = rowcart(
        {QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
         QStringLiteral("--typed"), QStringLiteral("--on-error"), QStringLiteral("skip"),
         QStringLiteral("--commit-every"), QStringLiteral("1"), QStringLiteral("--dry-run")});
    EXPECT_EQ(result.code, 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QLatin1String("3 rows would be moved, 1 skipped")))
        << result.err.toStdString();
    EXPECT_TRUE(tableRows(QStringLiteral("WORK"), QStringLiteral("T2")).isEmpty());
}

TEST_F(CommandLineTest, BadArgumentsGiveTheUsageAndStatusTwo) {
    const QList<QStringList> cases = {
        {QStringLiteral("move"), QStringLiteral("WORK:SRC")},
        {QStringLiteral("move"), QStringLiteral("WORK"), QStringLiteral("WORK:T2")},
        {QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
         QStringLiteral("--on-error"), QStringLiteral("maybe")},
        {QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
         QStringLiteral("--commit-every"), QStringLiteral("-5")},
        {QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
         QStringLiteral("--map"), QStringLiteral("NOSUCH=ID")},
        {QStringLiteral("script"), QStringLiteral("WORK:SRC"), QStringLiteral("T2")},
        {QStringLiteral("script"), QStringLiteral("WORK:SRC"), QStringLiteral("T2"),
         QStringLiteral("--dialect"), QStringLiteral("sybase")},
        {QStringLiteral("exec"), QStringLiteral("WORK"), QStringLiteral("a.sql"),
         QStringLiteral("--password"), QStringLiteral("s3cr3t")},
    };
    for (const QStringList& args : cases) {
        const Outcome result = rowcart(args);
        EXPECT_EQ(result.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(QLatin1String("rowcart: "))) << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QLatin1String("s3cr3t")));
    }
    EXPECT_TRUE(tableRows(QStringLiteral("WORK"), QStringLiteral("T2")).isEmpty());
    const Outcome help = rowcart({QStringLiteral("move"), QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith(QLatin1String("Usage: rowcart move")));
}

TEST_F(CommandLineTest, PasswordFileOnlyItsOwnerReads) {
    const QString file = writeFile(QStringLiteral("pw"), "pa55word\n");
    const QStringList args = {
        QStringLiteral("exec"), QStringLiteral("SECURE"),
        writeFile(QStringLiteral("one.sql"), "INSERT INTO T2 (ID) VALUES (7)\n;\n"),
        QStringLiteral("--password-file"), file};
    QFile::setPermissions(
        file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const Outcome refused = rowcart(args);
    EXPECT_EQ(refused.code, 3);
    EXPECT_TRUE(refused.err.contains(QLatin1String("can be read by others")))
        << refused.err.toStdString();
    EXPECT_TRUE(tableRows(QStringLiteral("WORK"), QStringLiteral("T2")).isEmpty());

    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    const Outcome accepted = rowcart(args);
    EXPECT_EQ(accepted.code, 0) << accepted.err.toStdString();
    EXPECT_EQ(tableRows(QStringLiteral("WORK"), QStringLiteral("T2")).size(), 1);
    EXPECT_FALSE((accepted.out + accepted.err).contains(QLatin1String("pa55word")));
}

TEST_F(CommandLineTest, ScriptIsTheSqlWindowsTextAndExecutesBack) {
    // A time stamp at midnight is written without its time.
    execWork({QStringLiteral("CREATE TABLE S (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
                             "AMOUNT NUMERIC(10,2), DAY DATE, SHIPPED TIME, STAMP TIMESTAMP)"),
              QStringLiteral("CREATE TABLE S2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
                             "AMOUNT NUMERIC(10,2), DAY DATE, SHIPPED TIME, STAMP TIMESTAMP)"),
              QStringLiteral("INSERT INTO S SELECT ID, NAME, AMOUNT, DAY, CASE ID WHEN 1 THEN "
                             "'08:05:09' WHEN 2 THEN '00:00:00' WHEN 4 THEN '17:30:00' END, "
                             "CASE ID WHEN 1 THEN '2024-02-29 23:59:58' WHEN 2 THEN '1999-12-31 "
                             "00:00:00' WHEN 4 THEN '2001-01-01 12:00:00' END FROM SRC")});
    openWorkTables(QStringLiteral("S"), QStringLiteral("T1"));
    c().eToTable->setEditText(QStringLiteral("S2"));
    selectSourceRows();
    TfSetup* setup = window().fSetup();
    setup->findChild<QComboBox*>(QStringLiteral("eSQLLanguage"))->setCurrentIndex(0);
    setup->findChild<QLineEdit*>(QStringLiteral("eScriptDevider"))->setText(QStringLiteral(";"));
    setOptions(true, true, 2);
    prompts().answerDialog(1);
    a().aGenerateSQL->trigger();
    QStringList windowLines;
    for (int i = 0; i < window().fSQL()->LineCount(); ++i)
        windowLines.append(window().fSQL()->WholeLineAt(i));
    m_window.reset();

    const QString path = QFileInfo(aliasFile()).dir().filePath(QStringLiteral("out.sql"));
    const Outcome result = rowcart({QStringLiteral("script"), QStringLiteral("WORK:S"),
                                    QStringLiteral("S2"), QStringLiteral("--dialect"),
                                    QStringLiteral("ansi"), QStringLiteral("--commit-every"),
                                    QStringLiteral("2"), QStringLiteral("-o"), path});
    EXPECT_EQ(result.code, 0) << result.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    ASSERT_TRUE(text.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(masked(text.chopped(1).split(QLatin1Char('\n'))), masked(windowLines));

    const Outcome exec = rowcart({QStringLiteral("exec"), QStringLiteral("WORK"), path});
    EXPECT_EQ(exec.code, 0) << exec.err.toStdString();
    expectSameValues(storedValues(QStringLiteral("WORK"), QStringLiteral("S2")),
                     storedValues(QStringLiteral("WORK"), QStringLiteral("S")));
}

TEST_F(CommandLineTest, InterruptKeepsOnlyAutoCommittedRows) {
    execWork({QStringLiteral("CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
              QStringLiteral("CREATE TABLE BIG2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
              QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 200000) INSERT INTO BIG SELECT i, 'row ' || i FROM n")});
    QProcess process;
    start(process, {QStringLiteral("move"), QStringLiteral("WORK:BIG"), QStringLiteral("WORK:BIG2"),
                    QStringLiteral("--commit-every"), QStringLiteral("1000")});
    ASSERT_TRUE(process.waitForStarted());
    // Interrupted once the first auto-commits have landed.
    for (int i = 0; i < 600 && lastId(QStringLiteral("WORK"), QStringLiteral("BIG2")) < 2000; ++i)
        QTest::qWait(50);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 130) << err.toStdString();
    const qsizetype stored = tableRows(QStringLiteral("WORK"), QStringLiteral("BIG2")).size();
    EXPECT_GT(stored, 0);
    EXPECT_LT(stored, 200000);
    EXPECT_EQ(stored % 1000, 0);
    EXPECT_TRUE(err.contains(QStringLiteral("%1 committed before the stop").arg(stored)))
        << err.toStdString();
}

// The demo table with a column of every kind the Ansi dialect writes out.
TEST_F(CommandLineTest, ScriptOfTheDemoOrdersExecutesIntoPostgresValueByValue) {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    QMap<QString, QString> keys = PgTestServer::createDatabase(QStringLiteral("cli"));
    PgTestServer::open(keys)->executeStatement(
        QStringLiteral("CREATE TABLE orders (order_id integer PRIMARY KEY, cust_id integer NOT "
                       "NULL, order_date timestamp, ship_time time, amount numeric(12,2), weight "
                       "double precision, priority smallint, tracking bigint, status char(10), "
                       "remark text)"),
        {});
    // The script writes dates in the short date format, day first.
    keys.insert(QStringLiteral("OPTIONS"), QStringLiteral("-c datestyle=ISO,DMY"));
    addAlias(QStringLiteral("PG"), keys);
    const QString password = passwordFile();
    const QString script = QFileInfo(aliasFile()).dir().filePath(QStringLiteral("pg.sql"));

    const Outcome written =
        rowcart({QStringLiteral("script"), QStringLiteral("DEMO:ORDERS"), QStringLiteral("orders"),
                 QStringLiteral("--dialect"), QStringLiteral("ansi"), QStringLiteral("--map"),
                 QStringLiteral("COMMENT=remark"), QStringLiteral("-o"), script});
    EXPECT_EQ(written.code, 0) << written.err.toStdString();
    const Outcome run = rowcart({QStringLiteral("exec"), QStringLiteral("PG"), script,
                                 QStringLiteral("--password-file"), password});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    expectSameValues(storedValues(QStringLiteral("PG"), QStringLiteral("orders")),
                     storedValues(QStringLiteral("DEMO"), QStringLiteral("ORDERS")));
}

// The output file is replaced only by a complete script; a row that cannot be written decides
// by --on-error like any failing row.
TEST_F(CommandLineTest, AScriptStoppedOnAnErrorLeavesTheFile) {
    execWork({QStringLiteral("CREATE TABLE INF (ID INTEGER PRIMARY KEY, V DOUBLE)"),
              QStringLiteral("INSERT INTO INF VALUES (1, 1.5), (2, 9e999), (3, -2.5)")});
    const QByteArray old = "-- the script of yesterday\r\n";
    struct Case {
        const char* onError;
        int code;
    };
    for (const Case& c : {Case{"stop", 3}, Case{"skip", 1}}) {
        const QString path = writeFile(QStringLiteral("inf.sql"), old);
        const Outcome result = rowcart(
            {QStringLiteral("script"), QStringLiteral("WORK:INF"), QStringLiteral("T"),
             QStringLiteral("--dialect"), QStringLiteral("ansi"), QStringLiteral("--on-error"),
             QString::fromLatin1(c.onError), QStringLiteral("-o"), path});
        EXPECT_EQ(result.code, c.code) << c.onError << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QLatin1String("Field 'V' holds Infinity")))
            << result.err.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        if (c.code == 3) {
            EXPECT_EQ(written, old);
            EXPECT_TRUE(result.err.contains(QStringLiteral("%1 left as it was").arg(path)))
                << result.err.toStdString();
        } else {
            EXPECT_EQ(written.count("INSERT INTO T (ID, V)"), 2);
            EXPECT_TRUE(written.contains("VALUES (3, -2.5)"));
            EXPECT_TRUE(written.contains("OK, finished"));
        }
    }
}

// Ctrl+C while the script is being written: the old file stays, byte for byte, and nothing of
// the new one is left beside it.
TEST_F(CommandLineTest, InterruptedScriptLeavesTheFile) {
    execWork({QStringLiteral("CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
              QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 200000) INSERT INTO BIG SELECT i, 'row ' || i FROM n")});
    const QDir folder(QFileInfo(aliasFile()).dir().filePath(QStringLiteral("out")));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    const QString path = folder.filePath(QStringLiteral("big.sql"));
    const QByteArray old = "INSERT INTO BIG2 (ID) VALUES (1)\n;\nCOMMIT;\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(old);
    file.close();

    QProcess process;
    start(process,
          {QStringLiteral("script"), QStringLiteral("WORK:BIG"), QStringLiteral("BIG2"),
           QStringLiteral("--dialect"), QStringLiteral("ansi"), QStringLiteral("-o"), path});
    ASSERT_TRUE(process.waitForStarted());
    // Interrupted once the new script has its first part written: the only file the job holds
    // open in the folder is that one, unnamed until it is complete.
    const auto writing = [&] {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(process.processId());
        for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System)) {
            char target[4096];
            const QByteArray link = QFile::encodeName(fds + QLatin1Char('/') + fd);
            const ssize_t length = ::readlink(link.constData(), target, sizeof target);
            struct stat status {};
            if (length > 0 &&
                QFile::decodeName(QByteArray(target, int(length)))
                    .startsWith(folder.path() + '/') &&
                ::stat(link.constData(), &status) == 0 && status.st_size > 0)
                return true;
        }
        return false;
    };
    for (int i = 0; i < 3000 && process.state() == QProcess::Running && !writing(); ++i)
        QTest::qWait(10);
    ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.startsWith(QLatin1String("Stopped: "))) << err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList({"big.sql"}));
}

TEST_F(CommandLineTest, ExecOfAScriptWithoutStatementsSaysSo) {
    for (const QByteArray& text : {QByteArray("  \n\t\n;\n\r\n"), QByteArray()}) {
        const Outcome result = rowcart({QStringLiteral("exec"), QStringLiteral("WORK"),
                                        writeFile(QStringLiteral("blank.sql"), text)});
        EXPECT_EQ(result.code, 3);
        EXPECT_TRUE(result.err.contains(QLatin1String("blank.sql: the script holds no statement")))
            << result.err.toStdString();
    }
}
