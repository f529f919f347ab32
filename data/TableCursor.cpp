#include "data/Driver.h"

std::vector<QByteArray> TableCursor::fetchKeysFrom(const QByteArray& key, bool inclusive,
                                                   int limit) {
    std::vector<QByteArray> keys;
    std::vector<FetchedRow> rows = fetchFrom(key, inclusive, limit);
    keys.reserve(rows.size());
    for (FetchedRow& row : rows)
        keys.push_back(std::move(row.key));
    return keys;
}
