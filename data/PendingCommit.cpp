#include "data/PendingCommit.h"

#include "data/Exceptions.h"
#include "data/PendingUpdates.h"
#include "data/RowCodec.h"
#include "data/RowDescription.h"

#include <optional>

PendingCommit::PendingCommit(TableCursor& cursor, DriverConnection& connection,
                             TTransIsolation isolation, TUpdateMode mode)
    : m_cursor(cursor), m_connection(connection), m_isolation(isolation), m_mode(mode) {}

void PendingCommit::write(const PendingUpdates& pending) {
    m_failedInsertion = -1;
    // The store keeps insertions packed; they are unpacked for the driver a part at a time, so
    // that a large commit does not hold every row twice.
    std::vector<const PendingChange*> changes = pending.storedChangesInCommitOrder();
    const int stored = static_cast<int>(changes.size());
    const int inserts = pending.insertionCount();
    const bool packed = m_cursor.writesPackedInserts();
    std::vector<PendingChange> unpacked;
    const auto unpack = [&](int begin, int end) {
        unpacked.clear();
        unpacked.reserve(static_cast<size_t>(end - begin));
        for (int i = begin; i < end; ++i)
            unpacked.push_back(pending.insertionChange(i, packed));
        for (const PendingChange& change : unpacked)
            changes.push_back(&change);
    };
    if (changes.size() + static_cast<size_t>(inserts) <= Part) {
        unpack(0, inserts);
        if (!changes.empty())
            applyNaming(changes, -stored);
        return;
    }
    // One transaction around the parts keeps the commit whole; each part is written inside it
    // as the driver writes any batch there.
    const bool own = !m_connection.inTransaction();
    if (own)
        m_connection.beginTransaction(m_isolation);
    int firstInsertion = -stored;
    try {
        if (!changes.empty())
            m_cursor.applyChanges(changes, m_mode);
        for (int begin = 0; begin < inserts; begin += static_cast<int>(Part)) {
            changes.clear();
            firstInsertion = begin;
            unpack(begin, std::min(inserts, begin + static_cast<int>(Part)));
            m_cursor.applyChanges(changes, m_mode);
        }
        if (own)
            m_connection.commitTransaction();
    } catch (Exception& error) {
        if (own && m_connection.inTransaction()) {
            try {
                m_connection.rollbackTransaction();
            } catch (const Exception&) {
            }
        }
        if (own) {
            if (const std::optional<size_t> failing = findFailing(error, changes)) {
                name(error, changes, *failing);
                if (firstInsertion + static_cast<int>(*failing) >= 0)
                    m_failedInsertion = firstInsertion + static_cast<int>(*failing);
            }
        }
        throw;
    }
}

void PendingCommit::applyNaming(const std::vector<const PendingChange*>& changes,
                                int firstInsertion) {
    try {
        m_cursor.applyChanges(changes, m_mode);
    } catch (Exception& error) {
        if (const std::optional<size_t> failing = findFailing(error, changes)) {
            name(error, changes, *failing);
            if (firstInsertion + static_cast<int>(*failing) >= 0)
                m_failedInsertion = firstInsertion + static_cast<int>(*failing);
        }
        throw;
    }
}

std::optional<size_t> PendingCommit::findFailing(const Exception& error,
                                                 const std::vector<const PendingChange*>& changes) {
    // Only a failure that lies in values can be found again by writing them; searching after a
    // full disk or a lock would name a row that did nothing wrong.
    const auto* engine = dynamic_cast<const EDBEngineError*>(&error);
    if (engine && (!engine->connectionUsable() || !engine->causedByValues()))
        return std::nullopt;
    // Not inside the user's own transaction, whose earlier work a rollback would take with it.
    if (m_connection.inTransaction() || changes.empty())
        return std::nullopt;
    bool ended = false;
    const auto apply = [&](size_t begin, size_t end) {
        // Outside the search's transaction a part would be committed for real.
        if (!m_connection.inTransaction()) {
            ended = true;
            return false;
        }
        try {
            m_cursor.applyChanges({changes.begin() + static_cast<std::ptrdiff_t>(begin),
                                   changes.begin() + static_cast<std::ptrdiff_t>(end)},
                                  m_mode);
            return true;
        } catch (const Exception&) {
            return false;
        }
    };
    std::optional<size_t> failing;
    try {
        m_connection.beginTransaction(tiReadCommitted);
        size_t low = 0, high = changes.size();
        while (high - low > 1 && !ended) {
            const size_t middle = low + (high - low) / 2;
            if (apply(low, middle))
                low = middle;
            else
                high = middle;
        }
        if (!ended && !apply(low, low + 1) && !ended)
            failing = low;
        if (m_connection.inTransaction())
            m_connection.rollbackTransaction();
    } catch (const Exception&) {
        if (m_connection.inTransaction())
            m_connection.rollbackTransaction();
        return std::nullopt;
    }
    return ended ? std::nullopt : failing;
}

void PendingCommit::name(Exception& error, const std::vector<const PendingChange*>& changes,
                         size_t failing) {
    const PendingChange& change = *changes[failing];
    const Row values = change.kind == PendingChange::Delete ? change.original
                       : change.packed.isEmpty()            ? change.values
                                                            : RowCodec::Decode(change.packed);
    error.setMessage(error.message() + QStringLiteral("\n\rRow: ") +
                     DescribeRow(m_cursor.columns(), m_cursor.keyColumns(), values));
}
