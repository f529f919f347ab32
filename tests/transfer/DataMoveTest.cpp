#include "tests/support/ValuePrint.h"
#include "tests/transfer/DataMoveFixture.h"

#include "app/AnchorPanel.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "grids/ActionToolBar.h"
#include "grids/RecordGrid.h"
#include "transfer/BatchRun.h"
#include "transfer/uFromTo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

namespace {

using DataMove = DataMoveFixture;

using Ids = std::vector<long long>;

// Integer values of a column, -1 standing for NULL, in a form failures print readably.
Ids ints(const QVariantList& values) {
    Ids result;
    for (const QVariant& v : values)
        result.push_back(v.isValid() ? v.toLongLong() : -1);
    return result;
}

// Seven source rows (ID 1..7, V = 10 × ID) and an empty target of the same shape.
const QStringList SevenRows = {
    QStringLiteral("CREATE TABLE NUM (ID INTEGER PRIMARY KEY, V INTEGER)"),
    QStringLiteral("INSERT INTO NUM VALUES (1,10),(2,20),(3,30),(4,40),(5,50),(6,60),(7,70)"),
    QStringLiteral("CREATE TABLE DST (ID INTEGER PRIMARY KEY, V INTEGER UNIQUE)")};

// Calls `tick` on every pass of the event loop while a run is going on.
class EveryEventPass {
public:
    explicit EveryEventPass(std::function<void()> tick) {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start(0);
    }

private:
    QTimer m_timer;
};

}  // namespace

class AutoCommitInterval : public DataMoveFixture, public ::testing::WithParamInterface<int> {};

TEST_P(AutoCommitInterval, CommitsBeforeEveryNthRowAndLeavesTheRestPending) {
    execWork(SevenRows);
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    // Pending before the run: the commit before row 0 writes it.
    TTable& target = window().tTo();
    target.StartInsert();
    target.RequireField(QStringLiteral("ID"))->WriteText(QStringLiteral("100"));
    target.PostRecord();
    selectSourceRows();
    setOptions(false, true, GetParam());
    runMove();
    EXPECT_EQ(
        ints(storedColumn(QStringLiteral("WORK"), QStringLiteral("DST"), QStringLiteral("ID"))),
        Ids({1, 2, 3, 4, 5, 6, 100}));
    EXPECT_EQ(ints(targetColumn(QStringLiteral("ID"))), Ids({1, 2, 3, 4, 5, 6, 100, 7}));
    EXPECT_TRUE(target.HasPendingUpdates());
    EXPECT_TRUE(prompts().messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PositiveAndNegative, AutoCommitInterval, ::testing::Values(3, -3));

TEST_F(DataMove, IntervalZeroFailsEveryRowWithDivisionByZero) {
    execWork(SevenRows);
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    selectSourceRows({0, 1});
    setOptions(false, true, 0);
    prompts().answerMessage(UserPrompts::Yes);
    prompts().answerMessage(UserPrompts::Yes);
    runMove();
    ASSERT_EQ(prompts().messages().size(), 2);
    EXPECT_EQ(prompts().messages()[0].text,
              QStringLiteral("Can`t insert this row in \"From\" to \"To\":\n\rDivision by zero"
                             "\n\rContinue ?"));
    EXPECT_EQ(window().tTo().RecordCount(), 0);
}

TEST_F(DataMove, TypeMismatchStopsBeforeTheRunStarts) {
    execWork({QStringLiteral("CREATE TABLE SRC (ID INTEGER PRIMARY KEY, V TEXT)"),
              QStringLiteral("INSERT INTO SRC VALUES (1,'10')"),
              QStringLiteral("CREATE TABLE DST (ID INTEGER PRIMARY KEY, AMOUNT INTEGER)")});
    openWorkTables(QStringLiteral("SRC"), QStringLiteral("DST"));
    selectSourceRows();
    setOptions(false, false);
    runMove([](QObject& dialog) {
        static_cast<TfFromTo&>(dialog).box(1)->setEditText(QStringLiteral("amount"));
        return 1;
    });
    ASSERT_EQ(prompts().messages().size(), 1);
    const auto& message = prompts().messages()[0];
    EXPECT_EQ(message.text, QStringLiteral("Field type \"V\" in \"From\" not comply with type of "
                                           "field \"amount\" in \"To\" !"));
    EXPECT_EQ(message.caption, QStringLiteral("Rowcart"));
    EXPECT_EQ(message.buttons, UserPrompts::Ok);
    EXPECT_FALSE(window().tTo().HasPendingUpdates());
    EXPECT_FALSE(window().tTo().ControlsSuspended());
}

TEST_F(DataMove, TwoSourceFieldsIntoOneTargetFieldAreRefusedBeforeTheRun) {
    execWork(SevenRows);
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    selectSourceRows({0});
    for (const bool typed : {false, true}) {
        prompts().reset();
        setOptions(typed, false);
        runMove([](QObject& dialog) {
            static_cast<TfFromTo&>(dialog).box(1)->setEditText(QStringLiteral("id"));
            return 1;
        });
        ASSERT_EQ(prompts().messages().size(), 1) << typed;
        EXPECT_EQ(prompts().messages()[0].text,
                  QStringLiteral("Fields \"ID\" and \"V\" in \"From\" both go to field \"ID\" in "
                                 "\"To\" !"));
        EXPECT_FALSE(window().tTo().HasPendingUpdates());
    }
}

TEST_F(DataMove, NamesTheTargetLacksAndEmptyNamesLeaveTheFieldOut) {
    execWork(SevenRows);
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    selectSourceRows({0, 1});
    setOptions(false, false);
    runMove([](QObject& dialog) {
        static_cast<TfFromTo&>(dialog).box(1)->setEditText(QStringLiteral("NOPE"));
        return 1;
    });
    EXPECT_TRUE(prompts().messages().isEmpty());
    EXPECT_EQ(ints(targetColumn(QStringLiteral("ID"))), Ids({1, 2}));
    EXPECT_EQ(ints(targetColumn(QStringLiteral("V"))), Ids({-1, -1}));
    EXPECT_EQ(window().mapping()[1].targetName, QStringLiteral("NOPE"));

    runMove([](QObject& dialog) {
        static_cast<TfFromTo&>(dialog).box(1)->setEditText(QString());
        return 1;
    });
    EXPECT_EQ(targetColumn(QStringLiteral("V")).size(), 4);
    EXPECT_FALSE(targetColumn(QStringLiteral("V")).last().isValid());
}

struct FailingRowsCase {
    QList<UserPrompts::Button> answers;
    Ids arrived;
};

class FailingRows : public DataMoveFixture,
                    public ::testing::WithParamInterface<FailingRowsCase> {};

// Row 2 is rejected on posting (W is required), row 3 cannot convert ('x' into an integer).
TEST_P(FailingRows, LeaveNoTraceWhateverTheAnswer) {
    execWork({QStringLiteral("CREATE TABLE SRC (ID INTEGER PRIMARY KEY, V TEXT, W TEXT)"),
              QStringLiteral("INSERT INTO SRC VALUES (1,'10','a'),(2,'20',NULL),(3,'x','c'),"
                             "(4,'40','d')"),
              QStringLiteral("CREATE TABLE DST (ID INTEGER PRIMARY KEY, V INTEGER, "
                             "W TEXT NOT NULL)")});
    openWorkTables(QStringLiteral("SRC"), QStringLiteral("DST"));
    selectSourceRows();
    setOptions(true, false);
    for (UserPrompts::Button answer : GetParam().answers)
        prompts().answerMessage(answer);
    runMove();

    ASSERT_EQ(prompts().messages().size(), GetParam().answers.size());
    const auto& first = prompts().messages()[0];
    EXPECT_EQ(first.text, QStringLiteral("Can`t insert this row in \"From\" to \"To\":\n\r"
                                         "Field 'W' must have a value\n\rContinue ?"));
    EXPECT_EQ(first.caption, QStringLiteral("Continue ?"));
    EXPECT_EQ(first.buttons, UserPrompts::Yes | UserPrompts::No);
    EXPECT_EQ(first.icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(window().tTo().State(), TableState::Browse);
    EXPECT_EQ(ints(targetColumn(QStringLiteral("ID"))), GetParam().arrived);

    // Neither a later move nor the commit brings a failed row back.
    window().tTo().MoveFirst();
    a().aCommit->trigger();
    EXPECT_EQ(
        ints(storedColumn(QStringLiteral("WORK"), QStringLiteral("DST"), QStringLiteral("ID"))),
        GetParam().arrived);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailingRows,
    ::testing::Values(FailingRowsCase{{UserPrompts::Yes, UserPrompts::Yes}, {1, 4}},
                      FailingRowsCase{{UserPrompts::Yes, UserPrompts::No}, {1}},
                      FailingRowsCase{{UserPrompts::No}, {1}}));

TEST_F(DataMove, StopEndsTheRunAndUndoesTheBusyState) {
    execWork(SevenRows);
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    selectSourceRows();
    setOptions(false, false);
    int passes = 0;
    qint64 arrivedAtStop = -1;
    EveryEventPass clickStopOnThirdPass([&] {
        if (++passes != 3)
            return;
        EXPECT_TRUE(c().pProgress->isVisible());
        EXPECT_FALSE(c().dbgFrom->isEnabled());
        EXPECT_TRUE(window().tTo().ControlsSuspended());
        arrivedAtStop = window().tTo().RecordCount();
        c().bStop->click();
    });
    runMove();
    ASSERT_GE(arrivedAtStop, 0);
    EXPECT_LT(arrivedAtStop, 7);
    EXPECT_EQ(window().tTo().RecordCount(), arrivedAtStop);
    EXPECT_FALSE(c().pProgress->isVisible());
    for (QWidget* control : QList<QWidget*>{c().dbgFrom, c().dbgTo, c().tbMain, c().pFrom, c().pTo})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(window().tFrom().ControlsSuspended());
    EXPECT_FALSE(window().tTo().ControlsSuspended());
    EXPECT_TRUE(window().batchRun().stopFlag());
}

TEST_F(DataMove, FailedAutoCommitKeepsItsRowsForTheNextOneAndNamesTheRow) {
    // The stored V = 30 clashes with source row 3 until the question is answered.
    execWork(SevenRows + QStringList{QStringLiteral("INSERT INTO DST VALUES (100, 30)")});
    openWorkTables(QStringLiteral("NUM"), QStringLiteral("DST"));
    selectSourceRows();
    setOptions(false, true, 3);
    prompts().answerMessage(UserPrompts::Yes);
    bool cleared = false;
    EveryEventPass clearTheClash([&] {
        if (!cleared && !prompts().messages().isEmpty()) {
            cleared = true;
            execWork({QStringLiteral("DELETE FROM DST WHERE ID = 100")});
        }
    });
    runMove();
    ASSERT_EQ(prompts().messages().size(), 1);
    EXPECT_TRUE(prompts().messages()[0].text.contains(QStringLiteral("ID = 3")))
        << prompts().messages()[0].text.toStdString();
    EXPECT_EQ(
        ints(storedColumn(QStringLiteral("WORK"), QStringLiteral("DST"), QStringLiteral("ID"))),
        Ids({1, 2, 3, 5, 6}));
    EXPECT_EQ(ints(targetColumn(QStringLiteral("ID"))), Ids({1, 2, 3, 5, 6, 7}));
}

TEST_F(DataMove, MemoReachesATextFieldWhenValuesGoByType) {
    execWork({QStringLiteral("CREATE TABLE SRC (ID INTEGER PRIMARY KEY, NOTE CLOB)"),
              QStringLiteral("INSERT INTO SRC VALUES (1, 'first line\nsecond: ü'), (2, NULL)"),
              QStringLiteral("CREATE TABLE DST (ID INTEGER PRIMARY KEY, NOTE VARCHAR(40))")});
    openWorkTables(QStringLiteral("SRC"), QStringLiteral("DST"));
    selectSourceRows();
    setOptions(true, false);
    runMove();
    EXPECT_TRUE(prompts().messages().isEmpty());
    const QVariantList notes = targetColumn(QStringLiteral("NOTE"));
    ASSERT_EQ(notes.size(), 2);
    EXPECT_EQ(notes[0].toString(), QStringLiteral("first line\nsecond: ü"));
    EXPECT_FALSE(notes[1].isValid());
}
