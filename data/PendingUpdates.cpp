#include "data/PendingUpdates.h"

#include "data/RowCodec.h"

#include <algorithm>

void PendingUpdates::clear() {
    m_inserts.clear();
    m_inserts.shrink_to_fit();
    m_serials.clear();
    m_serials.shrink_to_fit();
    m_stored.clear();
    m_deletedPositions.clear();
}

int PendingUpdates::insertionIndex(quint64 serial) const {
    // Serials grow with each insertion, so the list is sorted by them.
    const auto it = std::lower_bound(m_serials.begin(), m_serials.end(), serial);
    if (it == m_serials.end() || *it != serial)
        return -1;
    return static_cast<int>(it - m_serials.begin());
}

Row PendingUpdates::insertion(int index) const {
    return RowCodec::Decode(m_inserts[static_cast<size_t>(index)]);
}

PendingChange PendingUpdates::insertionChange(int index, bool packed) const {
    PendingChange change;
    change.kind = PendingChange::Insert;
    if (packed)
        change.packed = m_inserts[static_cast<size_t>(index)];
    else
        change.values = insertion(index);
    return change;
}

quint64 PendingUpdates::addInsertion(const Row& values) {
    m_inserts.push_back(RowCodec::Encode(values));
    m_serials.push_back(m_nextSerial);
    return m_nextSerial++;
}

void PendingUpdates::updateInsertion(int index, const Row& values) {
    m_inserts[static_cast<size_t>(index)] = RowCodec::Encode(values);
}

void PendingUpdates::removeInsertion(int index) {
    m_inserts.erase(m_inserts.begin() + index);
    m_serials.erase(m_serials.begin() + index);
}

const PendingChange* PendingUpdates::storedChange(const QByteArray& key) const {
    const auto it = m_stored.constFind(key);
    return it == m_stored.constEnd() ? nullptr : &it.value();
}

bool PendingUpdates::isDeleted(const QByteArray& key) const {
    const PendingChange* change = storedChange(key);
    return change && change->kind == PendingChange::Delete;
}

void PendingUpdates::modifyStored(const QByteArray& key, const Row& original, const Row& values) {
    auto it = m_stored.find(key);
    if (it != m_stored.end()) {
        // The first original stays: it is what the database holds.
        it->values = values;
        return;
    }
    PendingChange change;
    change.kind = PendingChange::Modify;
    change.key = key;
    change.original = original;
    change.values = values;
    m_stored.insert(key, std::move(change));
}

void PendingUpdates::deleteStored(const QByteArray& key, const Row& original, qint64 position) {
    PendingChange& change = m_stored[key];
    if (change.kind != PendingChange::Modify || change.key.isEmpty())
        change.original = original;
    change.kind = PendingChange::Delete;
    change.key = key;
    change.values.clear();
    const auto at =
        std::lower_bound(m_deletedPositions.begin(), m_deletedPositions.end(), position);
    if (at == m_deletedPositions.end() || *at != position)
        m_deletedPositions.insert(at, position);
}

qint64 PendingUpdates::deletedBefore(qint64 position) const {
    return std::lower_bound(m_deletedPositions.begin(), m_deletedPositions.end(), position) -
           m_deletedPositions.begin();
}

qint64 PendingUpdates::storedPositionOfVisible(qint64 visible) const {
    // Rows kept in [0, q] = q + 1 - deletions up to q; it grows by one at each kept row, so the
    // smallest q where it reaches visible + 1 is the row we want.
    const auto keptUpTo = [this](qint64 q) {
        const auto deleted =
            std::upper_bound(m_deletedPositions.begin(), m_deletedPositions.end(), q) -
            m_deletedPositions.begin();
        return q + 1 - deleted;
    };
    qint64 low = visible;
    qint64 high = visible + static_cast<qint64>(m_deletedPositions.size());
    while (low < high) {
        const qint64 mid = low + (high - low) / 2;
        if (keptUpTo(mid) >= visible + 1)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

std::vector<const PendingChange*> PendingUpdates::storedChangesInCommitOrder() const {
    std::vector<const PendingChange*> result;
    result.reserve(static_cast<size_t>(m_stored.size()));
    std::vector<const PendingChange*> modifies;
    for (const PendingChange& change : m_stored) {
        if (change.kind == PendingChange::Delete)
            result.push_back(&change);
        else
            modifies.push_back(&change);
    }
    // Keep the writes in key order, so a commit is repeatable.
    const auto byKey = [](const PendingChange* a, const PendingChange* b) {
        return a->key < b->key;
    };
    std::sort(result.begin(), result.end(), byKey);
    std::sort(modifies.begin(), modifies.end(), byKey);
    result.insert(result.end(), modifies.begin(), modifies.end());
    return result;
}
