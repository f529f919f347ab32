#pragma once

#include "data/Driver.h"

#include <QHash>
#include <deque>
#include <vector>

// The pending-update store of a table with cached updates: the rows inserted, changed and
// deleted since the last commit, with the values they had when they were read.
class PendingUpdates {
public:
    bool isEmpty() const { return m_inserts.empty() && m_stored.isEmpty(); }
    void clear();

    // Insertions, in the order they were posted; each keeps the serial of its bookmark. They are
    // held packed: a run may leave millions of them until the commit.
    int insertionCount() const { return static_cast<int>(m_inserts.size()); }
    Row insertion(int index) const;
    // The insertion as the driver writes it; `packed`: with its values left packed.
    PendingChange insertionChange(int index, bool packed) const;
    quint64 insertionSerial(int index) const { return m_serials[static_cast<size_t>(index)]; }
    int insertionIndex(quint64 serial) const;
    quint64 addInsertion(const Row& values);
    void updateInsertion(int index, const Row& values);
    void removeInsertion(int index);

    // Changes of stored rows, by key.
    const PendingChange* storedChange(const QByteArray& key) const;
    bool isDeleted(const QByteArray& key) const;
    void modifyStored(const QByteArray& key, const Row& original, const Row& values);
    // `position` is the row's place among the stored rows, which does not move until commit.
    void deleteStored(const QByteArray& key, const Row& original, qint64 position);
    // Number of deleted stored rows placed before `position`.
    qint64 deletedBefore(qint64 position) const;
    qint64 deletedCount() const { return static_cast<qint64>(m_deletedPositions.size()); }
    // The stored position of the `visible`-th stored row that is not deleted.
    qint64 storedPositionOfVisible(qint64 visible) const;

    // Deletions first (a key may be deleted and inserted again), then changes; the insertions
    // follow them, in their order.
    std::vector<const PendingChange*> storedChangesInCommitOrder() const;

private:
    std::deque<QByteArray> m_inserts;
    std::deque<quint64> m_serials;
    quint64 m_nextSerial = 1;
    QHash<QByteArray, PendingChange> m_stored;
    std::vector<qint64> m_deletedPositions;  // sorted
};
