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

    void clear();
    bool empty() const { return rows.empty(); }
    // Index of the row with this key, or -1.
    int indexOf(const QByteArray& key) const;
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
