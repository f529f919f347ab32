#include "tests/cli/CommandLineFixture.h"

#include "tests/data/odbc/LoopbackProxy.h"
#include "tests/support/PgTestServer.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <csignal>

// What a move commits, skips and reports when the engine fails under it: a full disk, a lock,
// a lost server, Ctrl+C. A commit batch is all or nothing, and the summary says which.
class FailurePaths : public CommandLineTest {
protected:
    // BIG holds `rows` rows (ID 1..rows) in WORK.
    void makeBig(int rows) {
        execWork({QStringLiteral("CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(40))"),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i < %1) INSERT INTO BIG SELECT i, 'row number ' || i "
                                 "FROM n")
                      .arg(rows)});
    }

    // A fresh SQLite database beside the aliases, with an empty table like BIG.
    QString newSqliteTarget(const QString& alias, QMap<QString, QString> keys = {}) {
        const QString path =
            QFileInfo(aliasFile()).dir().filePath(alias.toLower() + QStringLiteral(".db"));
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(40))", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
        keys.insert(QStringLiteral("DRIVER"), QStringLiteral("SQLITE"));
        keys.insert(QStringLiteral("PATH"), path);
        addAlias(alias, keys);
        return path;
    }

    static qint64 committedIn(const QString& err) {
        static const QRegularExpression said(QStringLiteral("(\\d+) committed before the stop"));
        const QRegularExpressionMatch m = said.match(err);
        return m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }

    // The IDs stored are 1 to n without a gap, and n is what the summary said was committed.
    void expectWholeBatches(const QString& alias, const QString& err, int batch) {
        const QStringList rows = tableRows(alias, QStringLiteral("BIG"));
        EXPECT_EQ(committedIn(err), rows.size()) << err.toStdString();
        EXPECT_EQ(rows.size() % batch, 0);
        for (int i = 0; i < rows.size(); ++i)
            ASSERT_TRUE(rows[i].startsWith(QString::number(i + 1) + QLatin1Char('|'))) << i;
    }
};

TEST_F(FailurePaths, ARowThatFailsAtCommitIsSkippedAndTheRestCommitted) {
    execWork({QStringLiteral("INSERT INTO T2 (ID, NAME) VALUES (3, 'already there')")});
    for (const char* every : {"0", "2"}) {
        const Outcome result = rowcart(
            {QStringLiteral("move"), QStringLiteral("WORK:SRC"), QStringLiteral("WORK:T2"),
             QStringLiteral("--map"), QStringLiteral("V="), QStringLiteral("--on-error"),
             QStringLiteral("skip"), QStringLiteral("--commit-every"), QString::fromLatin1(every)});
        EXPECT_EQ(result.code, 1) << result.err.toStdString();
        EXPECT_TRUE(
            result.err.contains(QLatin1String("Skipped at commit: UNIQUE constraint failed")))
            << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QLatin1String("Row: ID = 3"))) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QLatin1String("3 rows moved, 1 skipped, 3 committed")))
            << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QLatin1String("Continue ?")));
        const QStringList rows = tableRows(QStringLiteral("WORK"), QStringLiteral("T2"));
        ASSERT_EQ(rows.size(), 4) << every;
        EXPECT_TRUE(rows[2].startsWith(QLatin1String("3|already there|")));
        execWork({QStringLiteral("DELETE FROM T2 WHERE ID <> 3")});
    }
}

TEST_F(FailurePaths, ALockStopsEvenASkippingJobNamingNoRow) {
    makeBig(60000);
    newSqliteTarget(QStringLiteral("LOCKED"),
                    {{QStringLiteral("BUSY TIMEOUT"), QStringLiteral("300")}});
    QProcess process;
    start(process, {QStringLiteral("move"), QStringLiteral("WORK:BIG"),
                    QStringLiteral("LOCKED:BIG"), QStringLiteral("--commit-every"),
                    QStringLiteral("1000"), QStringLiteral("--on-error"), QStringLiteral("skip")});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 600 && lastId(QStringLiteral("LOCKED"), QStringLiteral("BIG")) < 3000; ++i)
        QTest::qWait(20);
    // Another program holds the database until the job has ended.
    const QString path = QFileInfo(aliasFile()).dir().filePath(QStringLiteral("locked.db"));
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &holder), SQLITE_OK);
    sqlite3_busy_timeout(holder, 5000);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(process.waitForFinished(60000));
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 3) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String("database is locked (after waiting 300 ms")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("Row"))) << err.toStdString();
    expectWholeBatches(QStringLiteral("LOCKED"), err, 1000);
}

TEST_F(FailurePaths, AFullDiskStopsTheJobWithWholeBatchesCommitted) {
    makeBig(200000);
    newSqliteTarget(QStringLiteral("FULL"));
    // The file may grow to 2 MB; SIGXFSZ ignored, a longer write fails as on a full disk.
    QProcess process;
    start(process,
          {QStringLiteral("move"), QStringLiteral("WORK:BIG"), QStringLiteral("FULL:BIG"),
           QStringLiteral("--commit-every"), QStringLiteral("10000"), QStringLiteral("--on-error"),
           QStringLiteral("skip")},
          QStringLiteral("ulimit -f 2048; trap '' XFSZ"));
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 3) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String("Stopped: "))) << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("UNIQUE"))) << err.toStdString();
    EXPECT_GT(committedIn(err), 0) << err.toStdString();
    expectWholeBatches(QStringLiteral("FULL"), err, 10000);
}

TEST_F(FailurePaths, AServerLostMidBatchStopsTheJobWithWholeBatchesCommitted) {
    if (!PgTestServer::available())
        GTEST_SKIP() << "no PostgreSQL test server";
    makeBig(100000);
    QMap<QString, QString> keys = PgTestServer::createDatabase(QStringLiteral("lost"));
    PgTestServer::open(keys)->executeStatement(
        QStringLiteral("CREATE TABLE big (id integer PRIMARY KEY, name varchar(40))"), {});
    addAlias(QStringLiteral("PG"), keys);
    LoopbackProxy proxy(keys.value(QStringLiteral("PORT")).toInt());
    keys.insert(QStringLiteral("PORT"), QString::number(proxy.port()));
    addAlias(QStringLiteral("RELAYED"), keys);
    proxy.cutAfter(1500000);
    const Outcome result = rowcart(
        {QStringLiteral("move"), QStringLiteral("WORK:BIG"), QStringLiteral("RELAYED:big"),
         QStringLiteral("--commit-every"), QStringLiteral("5000"), QStringLiteral("--on-error"),
         QStringLiteral("skip"), QStringLiteral("--password-file"), passwordFile()});
    EXPECT_TRUE(proxy.hasCut());
    EXPECT_EQ(result.code, 3) << result.err.toStdString();
    EXPECT_FALSE(result.err.contains(QLatin1String("Row"))) << result.err.toStdString();
    const QStringList rows = tableRows(QStringLiteral("PG"), QStringLiteral("big"));
    EXPECT_EQ(committedIn(result.err), rows.size()) << result.err.toStdString();
    EXPECT_EQ(rows.size() % 5000, 0);
    EXPECT_LT(rows.size(), 100000);
}

TEST_F(FailurePaths, CtrlCDuringTheFinalCommitOfACompleteRunChangesNothing) {
    makeBig(200000);
    const QString path = newSqliteTarget(QStringLiteral("LAST"));
    QProcess process;
    start(process,
          {QStringLiteral("move"), QStringLiteral("WORK:BIG"), QStringLiteral("LAST:BIG")});
    ASSERT_TRUE(process.waitForStarted());
    // The only write of a run without auto-commit is its final commit, under a journal.
    const QString journal = path + QStringLiteral("-journal");
    bool seen = false;
    for (int i = 0; i < 60000 && !seen && process.state() == QProcess::Running; ++i) {
        seen = QFileInfo::exists(journal);
        if (!seen)
            QTest::qWait(1);
    }
    ASSERT_TRUE(seen) << "the final commit was not seen";
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String("200000 rows moved, 0 skipped, 200000 committed")))
        << err.toStdString();
    EXPECT_EQ(lastId(QStringLiteral("LAST"), QStringLiteral("BIG")), 200000);
}
