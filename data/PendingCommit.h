#pragma once

#include "data/Driver.h"

#include <optional>

class Exception;
class PendingUpdates;

// Writes a table's pending-update store through its cursor: every change in one transaction,
// a large store in parts inside it, all of it or none. Engines do not say which row of a batch
// failed; when a failure lies in the values written, the failing change is searched for and
// named in the error.
class PendingCommit {
public:
    PendingCommit(TableCursor& cursor, DriverConnection& connection, TTransIsolation isolation,
                  TUpdateMode mode);

    // Throws the engine's failure, the failing row named where one was found.
    void write(const PendingUpdates& pending);
    // After a failed write(): the index of the insertion whose values failed, or -1 when the
    // failure was no insertion's own (a full disk, a lock, a lost connection, a changed row).
    int failedInsertion() const { return m_failedInsertion; }

    // Changes handed to the driver at once.
    static constexpr size_t Part = 32768;

private:
    void applyNaming(const std::vector<const PendingChange*>& changes, int firstInsertion);
    // Writes the changes again a part at a time inside a transaction that is rolled back,
    // keeping the part before the failure applied: at most twice the rows to find the first
    // failing one. Nothing when the failure lies not in the values, or the engine ends the
    // transaction on the way.
    std::optional<size_t> findFailing(const Exception& error,
                                      const std::vector<const PendingChange*>& changes);
    void name(Exception& error, const std::vector<const PendingChange*>& changes, size_t failing);

    TableCursor& m_cursor;
    DriverConnection& m_connection;
    TTransIsolation m_isolation;
    TUpdateMode m_mode;
    int m_failedInsertion = -1;
};
