#include "transfer/BatchRun.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "transfer/RowWalk.h"

namespace {

QString errorMessage(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

// Leaves the busy state on every way out of the guarded region.
class BusyScope {
public:
    BusyScope(BatchHost& host, bool& active, int count) : m_host(host), m_active(active) {
        m_host.enterBusy(count);
    }
    ~BusyScope() {
        m_active = false;
        m_host.leaveBusy();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BatchHost& m_host;
    bool& m_active;
};

}  // namespace

bool IsRowsOwnFailure(const std::exception& error) {
    const auto* engine = dynamic_cast<const EDBEngineError*>(&error);
    return !engine || (engine->causedByValues() && engine->connectionUsable());
}

BatchOutcome BatchRun::RunBatch(TTable& source, RowSelection& selection,
                                const std::function<int()>& showMapping,
                                const BatchPieces& pieces) {
    SelectionWalk walk(selection);
    return RunBatch(source, walk, showMapping, pieces);
}

BatchOutcome BatchRun::RunBatch(TTable& source, RowWalk& walk,
                                const std::function<int()>& showMapping,
                                const BatchPieces& pieces) {
    BatchOutcome outcome;
    if (m_active)
        return outcome;
    const int count = walk.count();
    outcome.rows = count;
    if (count == 0) {
        if (pieces.sayNoRows)
            Prompts().message(QStringLiteral("No selected rows in \"From\" !"),
                              QStringLiteral("No selected rows !"), UserPrompts::Ok,
                              UserPrompts::Icon::Information);
        // Every row of none was visited.
        outcome.completed = true;
        return outcome;
    }
    // The dialog and the preparation run their own event loops: a second run must not start
    // from inside them either.
    m_active = true;
    struct Reset {
        bool& active;
        bool armed = true;
        ~Reset() {
            if (armed)
                active = false;
        }
    } reset{m_active};
    if (showMapping() != 1)
        return outcome;
    if (pieces.prepare && !pieces.prepare())
        return outcome;

    outcome.started = true;
    m_stop = false;
    reset.armed = false;
    BusyScope busy(m_host, m_active, count);
    walk.begin(source);
    struct EndWalk {
        RowWalk& walk;
        TTable& table;
        ~EndWalk() { walk.end(table); }
    } endWalk{walk, source};
    int i = 0;
    for (; i < count; ++i) {
        walk.moveTo(source, i);
        m_host.processEvents();
        if (m_stop || (pieces.extraStop && pieces.extraStop())) {
            outcome.stopped = true;
            break;
        }
        if (pieces.skipUnselected && !walk.currentSelected())
            continue;
        const bool showProgress = i % 10 == 0;
        if (showProgress && !pieces.progressInsideGuard)
            m_host.showProgress(i, count, true);
        try {
            if (showProgress && pieces.progressInsideGuard)
                m_host.showProgress(i, count, false);
            pieces.rowStep(i);
            ++outcome.rowsDone;
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& error) {
            if (failed(pieces, i, error, outcome))
                break;
        }
    }
    outcome.completed = i == count;
    if (pieces.closing)
        pieces.closing();
    return outcome;
}

bool BatchRun::failed(const BatchPieces& pieces, int index, const std::exception& error,
                      BatchOutcome& outcome) {
    const QString message = errorMessage(error);
    if (pieces.discardFailedRow)
        pieces.discardFailedRow();
    bool stop = true;
    if (pieces.onRowFailure == RowFailurePolicy::Ask) {
        stop = pieces.stopAfterError(message);
    } else {
        const bool own = IsRowsOwnFailure(error);
        stop = pieces.onRowFailure == RowFailurePolicy::Stop || !own;
        if (pieces.rowFailed)
            pieces.rowFailed(index, message, own, !stop);
    }
    if (stop) {
        outcome.stoppedOnError = true;
        outcome.error = message;
    } else {
        ++outcome.rowsFailed;
    }
    return stop;
}
