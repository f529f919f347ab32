#include "data/BookmarkSeek.h"
#include "tests/data/FakeCursor.h"

#include <gtest/gtest.h>

namespace {

// Walks to every `step`-th row of `rows`, as a run over a selection does; returns the rows the
// table read on the way.
qint64 walk(FakeCursor& cursor, BookmarkSeek& seek, int rows, int step, bool sayWhereItGoes) {
    RowWindow window;
    int at = 0;
    if (sayWhereItGoes) {
        seek.setLookahead(
            [&at, rows, step](int count) {
                std::vector<QByteArray> keys;
                for (int id = at; id <= rows && int(keys.size()) < count; id += step)
                    keys.push_back(FakeCursor::keyOf(id));
                return keys;
            },
            window);
    }
    int current = -1;
    for (at = 1; at <= rows; at += step) {
        current = seek.find(cursor, window, FakeCursor::keyOf(at), current);
        EXPECT_GE(current, 0) << at;
        EXPECT_EQ(window.rows[size_t(current)].key, FakeCursor::keyOf(at)) << at;
    }
    return cursor.rowsRead;
}

TEST(BookmarkSeek, ADenseWalkReadsWholeWindows) {
    FakeCursor cursor(5000);
    BookmarkSeek seek;
    EXPECT_EQ(walk(cursor, seek, 5000, 1, false), 5000);
    EXPECT_LE(cursor.fetches, 5000 / BookmarkSeek::MaxWindow + 1);
}

TEST(BookmarkSeek, ASparseWalkReadsTheRowsItVisitsNotThoseBetween) {
    for (const bool sayWhereItGoes : {false, true}) {
        FakeCursor cursor(100000);
        BookmarkSeek seek;
        const qint64 read = walk(cursor, seek, 100000, 1000, sayWhereItGoes);
        // The first windows are full ones, until the walk shows that it jumps.
        EXPECT_LT(read, 100 * 4 + 2 * BookmarkSeek::MaxWindow) << sayWhereItGoes;
        EXPECT_EQ(cursor.keyFetches > 0, sayWhereItGoes);
        if (sayWhereItGoes) {
            EXPECT_LT(cursor.fetches + cursor.keyFetches, 20);
        }
    }
}

TEST(BookmarkSeek, AMissingRowIsNotFoundAndANewWalkDropsTheRowsReadAhead) {
    FakeCursor cursor(10);
    BookmarkSeek seek;
    RowWindow window;
    EXPECT_EQ(seek.find(cursor, window, FakeCursor::keyOf(11), -1), -1);
    window.ahead.push_back(FetchedRow{FakeCursor::keyOf(3), {}});
    seek.setLookahead(nullptr, window);
    EXPECT_TRUE(window.ahead.empty());
}

}  // namespace
