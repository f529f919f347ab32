#pragma once

#include "data/Row.h"

#include <list>
#include <memory>
#include <vector>

class TableCursor;

// The rows around a table's cursor: one window read by key, in record order.
struct RowWindow {
    std::vector<FetchedRow> rows;
    qint64 start = -1;         // stored position of rows[0]; -1 when not known
    bool atStoredEnd = false;  // no stored row follows the last one

    // Rows read for the next jumps of a sparse walk, in record order, and the next of them.
    std::vector<FetchedRow> ahead;
    size_t aheadNext = 0;

    void clear();
    bool empty() const { return rows.empty(); }
    // Index of the row with this key, or -1.
    int indexOf(const QByteArray& key) const;
    // Makes the row read ahead with this key the window's one row; false when there is none.
    bool takeAhead(const QByteArray& key);
};

// Rows by stored position in pages, for grids that paint by position. Keeps the most recently
// used pages only.
class RowPageCache {
public:
    static constexpr int PageSize = 128;
    static constexpr int MaxPages = 24;

    // The row at the stored position, reading its page when needed; nullptr past the end.
    const FetchedRow* at(TableCursor& cursor, qint64 position);
    void clear() { m_pages.clear(); }

private:
    struct Page {
        qint64 start;
        std::vector<FetchedRow> rows;
    };
    std::list<Page> m_pages;  // most recently used first
};
