#include "data/PendingCommit.h"
#include "data/PendingUpdates.h"
#include "tests/data/FakeCursor.h"

#include <gtest/gtest.h>

namespace {

// Ten insertions, IDs 1 to 10, of which the engine refuses the one with `failing` as an ID.
struct Batch {
    explicit Batch(qint64 failing, FailureCause cause) {
        for (qint64 id = 1; id <= 10; ++id)
            pending.addInsertion(Row{QVariant(id), QVariant(QStringLiteral("row"))});
        cursor.apply = [failing, cause](const std::vector<const PendingChange*>& changes) {
            for (const PendingChange* change : changes) {
                if (change->values.value(0).toLongLong() == failing)
                    throw EDBEngineError(QStringLiteral("refused"), QStringLiteral("23505"), true,
                                         cause);
            }
        };
    }

    QString writeFailure(PendingCommit& commit) {
        try {
            commit.write(pending);
        } catch (const Exception& e) {
            return e.message();
        }
        return QString();
    }

    PendingUpdates pending;
    FakeCursor cursor{0};
    FakeConnection connection;
};

TEST(PendingCommit, AFailureInTheValuesNamesItsRow) {
    Batch batch(7, FailureCause::Values);
    PendingCommit commit(batch.cursor, batch.connection, tiReadCommitted, upWhereChanged);
    EXPECT_EQ(batch.writeFailure(commit), QStringLiteral("refused\n\rRow: ID = 7"));
    EXPECT_EQ(commit.failedInsertion(), 6);
    // The search ran in a transaction of its own that was rolled back.
    EXPECT_FALSE(batch.connection.transaction);
    EXPECT_EQ(batch.connection.rollbacks, 1);
}

TEST(PendingCommit, AFailureOfTheEngineNamesNoRowAndWritesNothingMore) {
    Batch batch(7, FailureCause::Engine);
    PendingCommit commit(batch.cursor, batch.connection, tiReadCommitted, upWhereChanged);
    EXPECT_EQ(batch.writeFailure(commit), QStringLiteral("refused"));
    EXPECT_EQ(commit.failedInsertion(), -1);
    EXPECT_EQ(batch.cursor.applies, 1);
}

TEST(PendingCommit, TheSearchStopsWhereTheEngineEndsItsTransaction) {
    Batch batch(7, FailureCause::Values);
    // As SQLite does on a full disk: the transaction is rolled back under the search.
    const auto refuse = batch.cursor.apply;
    batch.cursor.apply = [&](const std::vector<const PendingChange*>& changes) {
        if (batch.cursor.applies > 1)
            batch.connection.transaction = false;
        refuse(changes);
    };
    PendingCommit commit(batch.cursor, batch.connection, tiReadCommitted, upWhereChanged);
    EXPECT_EQ(batch.writeFailure(commit), QStringLiteral("refused"));
    EXPECT_EQ(commit.failedInsertion(), -1);
    // Nothing was written outside a transaction after it ended.
    EXPECT_LE(batch.cursor.applies, 3);
}

}  // namespace
