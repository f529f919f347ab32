#include "data/BookmarkSeek.h"

#include "data/Driver.h"
#include "data/KeyCodec.h"

#include <algorithm>

int BookmarkSeek::find(TableCursor& cursor, RowWindow& window, const QByteArray& key, int current) {
    // Walks along a selection mostly go to the next row.
    const size_t next = static_cast<size_t>(current + 1);
    int index = current >= 0 && next < window.rows.size() && window.rows[next].key == key
                    ? static_cast<int>(next)
                    : window.indexOf(key);
    if (index >= 0) {
        ++m_hits;
        return index;
    }
    if (window.takeAhead(key))
        return 0;
    // Walks over selections move forward, so the window is read from this row on.
    const int used = m_hits + 1;
    const bool dense = used * 2 >= m_read;
    if (dense)
        m_window = std::min(MaxWindow, m_window * 2);
    else
        m_window = std::max(MinWindow, std::min(m_window / 2, used * 2));
    m_hits = 0;
    if (!dense && m_lookahead && readAhead(cursor, window, key))
        return 0;
    std::vector<FetchedRow> rows = cursor.fetchFrom(key, true, m_window);
    if (rows.empty() || rows.front().key != key)
        return -1;
    m_read = static_cast<int>(rows.size());
    window.atStoredEnd = static_cast<int>(rows.size()) < m_window;
    window.rows = std::move(rows);
    window.start = -1;
    return 0;
}

void BookmarkSeek::setLookahead(Lookahead lookahead, RowWindow& window) {
    m_lookahead = std::move(lookahead);
    // Rows read ahead belong to the walk that read them: a later one reads its rows afresh.
    window.ahead.clear();
    window.aheadNext = 0;
}

bool BookmarkSeek::readAhead(TableCursor& cursor, RowWindow& window, const QByteArray& key) {
    std::vector<QByteArray> keys = m_lookahead(AheadRows);
    if (keys.empty() || keys.front() != key)
        return false;
    keys.erase(std::remove_if(keys.begin(), keys.end(), KeyCodec::isPendingInsertKey), keys.end());
    window.ahead = cursor.fetchKeys(keys);
    window.aheadNext = 0;
    if (!window.takeAhead(key))
        return false;
    // The jump after the batch reads a window again: its hits tell whether the walk is still
    // sparse.
    m_read = 0;
    return true;
}
