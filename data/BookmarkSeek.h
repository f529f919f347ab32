#pragma once

#include "data/RowWindow.h"

#include <QByteArray>
#include <functional>
#include <vector>

class TableCursor;

// How a table finds the row of a bookmark for a walk that jumps from row to row: in the window
// it holds, else in a window read from that row on, sized by the walk. A walk that visits most
// rows of a window makes the next window larger; a sparse one makes it smaller, down to the
// rows a jump uses, and when the walk says where it goes next, reads just those rows, a batch
// at a time.
class BookmarkSeek {
public:
    // Up to `count` bookmarks a walk goes to, from the one it goes to next on, in record order.
    using Lookahead = std::function<std::vector<QByteArray>(int count)>;

    // Rows read per window at most, and the least a jump reads.
    static constexpr int MaxWindow = 512;
    static constexpr int MinWindow = 2;
    // Rows a sparse walk reads ahead in one query.
    static constexpr int AheadRows = 64;

    // The index in `window` of the row with `key`, reading another window when it is not
    // there; -1 when the table has no such row. `current`: the index the walk stands on, or -1.
    int find(TableCursor& cursor, RowWindow& window, const QByteArray& key, int current);

    // A new walk's lookahead (empty when it ends); the rows read ahead for the last one go.
    void setLookahead(Lookahead lookahead, RowWindow& window);

    // The size the next window read for a jump will have.
    int windowSize() const { return m_window; }

private:
    bool readAhead(TableCursor& cursor, RowWindow& window, const QByteArray& key);

    int m_window = 512;
    int m_read = 0;  // rows the last window read for a jump held
    int m_hits = 0;  // later jumps that landed in it
    Lookahead m_lookahead;
};
