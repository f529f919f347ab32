#include "data/RowWindow.h"

#include "data/Driver.h"
#include "data/KeyCodec.h"

#include <algorithm>

void RowWindow::clear() {
    rows.clear();
    start = -1;
    atStoredEnd = false;
    ahead.clear();
    aheadNext = 0;
}

bool RowWindow::takeAhead(const QByteArray& key) {
    const auto it =
        std::find_if(ahead.begin() + static_cast<std::ptrdiff_t>(aheadNext), ahead.end(),
                     [&](const FetchedRow& row) { return row.key == key; });
    if (it == ahead.end())
        return false;
    rows.clear();
    rows.push_back(std::move(*it));
    aheadNext = static_cast<size_t>(it - ahead.begin()) + 1;
    start = -1;
    atStoredEnd = false;
    return true;
}

int RowWindow::indexOf(const QByteArray& key) const {
    const auto it = std::lower_bound(rows.begin(), rows.end(), key,
                                     [](const FetchedRow& row, const QByteArray& k) {
                                         return KeyCodec::compare(row.key, k) < 0;
                                     });
    if (it == rows.end() || it->key != key)
        return -1;
    return static_cast<int>(it - rows.begin());
}

const FetchedRow* RowPageCache::at(TableCursor& cursor, qint64 position) {
    if (position < 0)
        return nullptr;
    const qint64 start = position - position % PageSize;
    auto it = std::find_if(m_pages.begin(), m_pages.end(),
                           [&](const Page& p) { return p.start == start; });
    if (it == m_pages.end()) {
        m_pages.push_front(Page{start, cursor.fetchAt(start, PageSize)});
        if (static_cast<int>(m_pages.size()) > MaxPages)
            m_pages.pop_back();
        it = m_pages.begin();
    } else if (it != m_pages.begin()) {
        m_pages.splice(m_pages.begin(), m_pages, it);
        it = m_pages.begin();
    }
    const qint64 offset = position - start;
    if (offset >= static_cast<qint64>(it->rows.size()))
        return nullptr;
    return &it->rows[static_cast<size_t>(offset)];
}
