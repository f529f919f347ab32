#include "data/Driver.h"

#include "data/Exceptions.h"

std::vector<QByteArray> TableCursor::fetchKeysFrom(const QByteArray& key, bool inclusive,
                                                   int limit) {
    std::vector<QByteArray> keys;
    std::vector<FetchedRow> rows = fetchFrom(key, inclusive, limit);
    keys.reserve(rows.size());
    for (FetchedRow& row : rows)
        keys.push_back(std::move(row.key));
    return keys;
}

std::vector<FetchedRow> TableCursor::fetchKeys(const std::vector<QByteArray>& keys) {
    std::vector<FetchedRow> rows;
    for (const QByteArray& key : keys) {
        std::vector<FetchedRow> one = fetchFrom(key, true, 1);
        if (!one.empty() && one.front().key == key)
            rows.push_back(std::move(one.front()));
    }
    return rows;
}

void TableCursor::setOnDuplicate(OnDuplicate policy) {
    if (policy != OnDuplicate::Fail)
        throw EDatabaseError(QStringLiteral("This driver cannot skip or update rows it holds"));
}
