#include "about/ProductInfo.h"
#include "app/MainLayout.h"
#include "grids/RowSelection.h"
#include "script/InsertStatement.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptGeneration.h"
#include "script/uSQL.h"
#include "tests/script/ScriptTestSupport.h"
#include "transfer/BatchRun.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// Acts during the event pass of list position `row` of a run: each pass handles one of its
// events, and each handled event posts the next.
class RowPassAction : public QObject {
public:
    RowPassAction(int row, std::function<void()> action) : m_row(row), m_action(std::move(action)) {
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (m_passes++ == m_row)
            m_action();
        else
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }

private:
    int m_row;
    int m_passes = 0;
    std::function<void()> m_action;
};

class ScriptGenerationTest : public ScriptWindowFixture {
protected:
    void createNumbered(int rows) {
        m_db->exec(QStringLiteral("CREATE TABLE NUMS (N INTEGER PRIMARY KEY, NAME VARCHAR(20))"));
        m_db->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < %1) INSERT INTO NUMS SELECT i, 'row ' || i FROM n")
                       .arg(rows));
        openSource(QStringLiteral("NUMS"));
    }

    QStringList statementValues() {
        return lines().filter(QRegularExpression(QStringLiteral("^VALUES ")));
    }
};

const QString Time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");
const QString Date = QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4}");

void expectMatches(const QString& line, const QString& pattern) {
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$"))
                    .match(line)
                    .hasMatch())
        << line.toStdString() << "\n  does not match " << pattern.toStdString();
}

TEST_F(ScriptGenerationTest, WorkedExampleScript) {
    m_db->exec(
        QStringLiteral("CREATE TABLE customer (CUSTNO INTEGER PRIMARY KEY, COMPANY VARCHAR(30))"));
    m_db->exec(QStringLiteral(
        "INSERT INTO customer VALUES (1001, 'Harbour Supplies'), (1002, 'North Mill')"));
    openSource(QStringLiteral("customer"), QStringLiteral("CUSTOMER2"));
    setAutoCommit(true, 1000);
    generate();

    const QStringList script = lines();
    ASSERT_EQ(script.size(), 18) << script.join("\n").toStdString();
    const QString head1 = "/* Script created in Rowcart " + ProductInfo::WebAddress + " at ";
    const qsizetype fill = std::max<qsizetype>(0, 80 - (head1.size() + 19));
    expectMatches(script[0], QRegularExpression::escape(head1) + Date + " " + Time +
                                 QString(fill, ' ') + " \\*/");
    const QString head2 = "/* Connected to \"SRC\", from table \"customer\", Ansi SQL";
    EXPECT_EQ(script[1], head2 + QString(80 - head2.size(), ' ') + " */");
    const QStringList statements = {"",
                                    "INSERT INTO CUSTOMER2 (CUSTNO, COMPANY)",
                                    "VALUES (1001, 'Harbour Supplies')",
                                    ";",
                                    "",
                                    "",
                                    "COMMIT;"};
    EXPECT_EQ(script.mid(2, 7), statements);
    expectMatches(script[9], "/\\*{11} records 0  " + Time + "\\*{36}/");
    EXPECT_EQ(script.mid(10, 7),
              QStringList({"", "INSERT INTO CUSTOMER2 (CUSTNO, COMPANY)",
                           "VALUES (1002, 'North Mill')", ";", "", "", "COMMIT;"}));
    expectMatches(script[17], "/\\*{11} OK, finished " + Date + " " + Time + "\\*{21}/");
    EXPECT_TRUE(sql().isVisible());
}

TEST_F(ScriptGenerationTest, CommitMarkersFollowEveryIntervalPosition) {
    createNumbered(2500);
    setAutoCommit(true, -1000);
    generate();

    const QStringList script = lines();
    EXPECT_EQ(statementValues().size(), 2500);
    QStringList markers;
    for (int i = 0; i < script.size(); ++i) {
        if (!script[i].startsWith(QLatin1String("/*********** records ")))
            continue;
        markers.append(script[i].section(' ', 2, 2));
        // The statement of the row just written, then COMMIT; and an empty line after.
        EXPECT_EQ(script[i - 5],
                  QStringLiteral("VALUES (%1, 'row %1')").arg(markers.last().toInt() + 1));
        EXPECT_EQ(script[i - 1], "COMMIT;");
        EXPECT_EQ(script[i + 1], "");
    }
    EXPECT_EQ(markers, QStringList({"0", "1000", "2000"}));
    EXPECT_EQ(script[script.size() - 2], "COMMIT;");
    EXPECT_TRUE(script.last().startsWith(QLatin1String("/*********** OK, finished ")));
}

TEST_F(ScriptGenerationTest, StopAfterTheThirdRowStillWritesTheTrailer) {
    createNumbered(10);
    RowPassAction stop(3, [this] { window().controls().bStop->click(); });
    generate();

    EXPECT_EQ(statementValues(),
              QStringList({"VALUES (1, 'row 1')", "VALUES (2, 'row 2')", "VALUES (3, 'row 3')"}));
    const QStringList script = lines();
    EXPECT_EQ(script[script.size() - 2], "COMMIT;");
    EXPECT_FALSE(window().controls().pProgress->isVisible());
}

TEST_F(ScriptGenerationTest, ClosingTheSqlWindowStopsTheRun) {
    createNumbered(10);
    RowPassAction close(2, [this] { sql().aClose->trigger(); });
    generate();

    EXPECT_EQ(statementValues().size(), 2);
    EXPECT_FALSE(sql().isVisible());
    EXPECT_TRUE(lines().last().startsWith(QLatin1String("/*********** OK, finished ")));
}

TEST_F(ScriptGenerationTest, FailingCommitTestAsksAbort) {
    createNumbered(3);
    setDivider(QString());
    setAutoCommit(true, 0);
    prompts().answerMessage(UserPrompts::No);
    prompts().answerMessage(UserPrompts::Yes);
    generate();

    ASSERT_EQ(prompts().messages().size(), 2);
    const auto& question = prompts().messages().first();
    EXPECT_EQ(question.text, "Error: Division by zero\n\rAbort ?");
    EXPECT_EQ(question.caption, "Abort ?");
    EXPECT_EQ(question.buttons, UserPrompts::Yes | UserPrompts::No);
    EXPECT_EQ(question.icon, UserPrompts::Icon::Error);
    // Statements of the failing rows are in, their markers are not; an empty divider leaves
    // three empty lines after each statement.
    const QStringList script = lines();
    EXPECT_EQ(statementValues().size(), 2);
    EXPECT_EQ(script.mid(3, 5),
              QStringList({"INSERT INTO T2 (N, NAME)", "VALUES (1, 'row 1')", "", "", ""}));
    EXPECT_EQ(script[script.size() - 2], "COMMIT");
}

TEST_F(ScriptGenerationTest, DialectOutsideTheListWritesNoStatements) {
    createNumbered(2);
    setDialect(-1);
    setAutoCommit(true, 1);
    generate();

    const QStringList script = lines();
    const QString head2 = "/* Connected to \"SRC\", from table \"NUMS\", ";
    EXPECT_EQ(script[1], head2 + QString(80 - head2.size(), ' ') + " */");
    EXPECT_TRUE(statementValues().isEmpty());
    EXPECT_EQ(script.filter(QRegularExpression("^/\\*{11} records [01]  ")).size(), 2);
    EXPECT_TRUE(script.last().startsWith(QLatin1String("/*********** OK, finished ")));
}

// The same pieces without a window: the options and the buffer are the test's own.
class DocumentSide : public ScriptSide {
public:
    ScriptBuffer buffer;
    void clearAndShow() override { buffer.ClearScript(); }
    void addText(const QString& text) override { buffer.AddText(text); }
    void repaintScript() override {}
    bool scriptVisible() override { return true; }
    int sqlDialect() override { return InsertStatement::Ansi; }
    QString sqlDialectName() override { return QStringLiteral("Ansi SQL"); }
    QString scriptDivider() override { return QStringLiteral(";"); }
    bool autoCommit() override { return false; }
    int autoCommitInterval() override { return 0; }
    QString targetTableName() override { return QStringLiteral("T2"); }
    QString sourceConnectText() override { return QStringLiteral("Connected to \"SRC\""); }
    QString sourceTableName() override { return QStringLiteral("BIG"); }
};

class QuietHost : public BatchHost {
public:
    void enterBusy(int) override {}
    void leaveBusy() override {}
    void processEvents() override {}
    void showProgress(int, int, bool) override {}
};

TEST(ScriptGenerationPiecesTest, RowPastTheBufferLimitAsksAndYesEndsWithTrailer) {
    ScriptTestDatabase db;
    db.exec(QStringLiteral("CREATE TABLE BIG (N INTEGER PRIMARY KEY, TXT TEXT)"));
    db.exec(QStringLiteral(
        "INSERT INTO BIG SELECT 1, replace(hex(zeroblob(4500000)), '00', 'ab') UNION ALL "
        "SELECT 2, replace(hex(zeroblob(4500000)), '00', 'cd') UNION ALL SELECT 3, 'short'"));
    const auto table = db.open(QStringLiteral("BIG"));
    RowSelection selection;
    selection.setTable(table.get());
    selection.SelectAll();
    FieldMappingArray mapping = {{"N", "N"}, {"TXT", "TXT"}};
    DocumentSide side;
    ScriptGeneration generation(*table, mapping, side);
    QuietHost host;
    BatchRun run(host);
    ScriptedPrompts& prompts = ScriptedPrompts::instance();
    prompts.reset();
    prompts.answerMessage(UserPrompts::Yes);
    run.RunBatch(
        *table, selection, [] { return 1; }, generation.Pieces());

    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.messages().first().text,
              "Error: Script text exceeds the editor's limit of 16777215 characters\n\rAbort ?");
    prompts.reset();
    QStringList values;
    for (int i = 0; i < side.buffer.LineCount(); ++i) {
        if (side.buffer.LineAt(i).startsWith(QLatin1String("VALUES ")))
            values.append(side.buffer.LineAt(i).left(16));
    }
    EXPECT_EQ(values, QStringList({"VALUES (1, 'abab"}));
    const int last = side.buffer.LineCount() - 1;
    EXPECT_EQ(side.buffer.LineAt(last - 1), "COMMIT;");
    EXPECT_TRUE(side.buffer.LineAt(last).startsWith(QLatin1String("/*********** OK, finished ")));
}

}  // namespace
