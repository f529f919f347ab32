#include "transfer/BatchRun.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/RowSelection.h"

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

void BatchRun::RunBatch(TTable& source, RowSelection& selection,
                        const std::function<int()>& showMapping, const BatchPieces& pieces) {
    if (m_active)
        return;
    if (selection.Count() == 0) {
        Prompts().message(QStringLiteral("No selected rows in \"From\" !"),
                          QStringLiteral("No selected rows !"), UserPrompts::Ok,
                          UserPrompts::Icon::Information);
        return;
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
        return;
    if (pieces.prepare && !pieces.prepare())
        return;

    m_stop = false;
    reset.armed = false;
    BusyScope busy(m_host, m_active, selection.Count());
    const int count = selection.Count();
    int i = 0;
    // The walk tells the table where it goes, so that a sparse selection is read in batches.
    source.SetBookmarkLookahead([&](int wanted) {
        std::vector<QByteArray> keys;
        for (int k = i; k < count && k < i + wanted; ++k)
            keys.push_back(selection.Item(k));
        return keys;
    });
    struct EndWalk {
        TTable& table;
        ~EndWalk() { table.SetBookmarkLookahead(nullptr); }
    } endWalk{source};
    for (; i < count; ++i) {
        source.MoveToBookmark(selection.Item(i));
        m_host.processEvents();
        if (m_stop || (pieces.extraStop && pieces.extraStop()))
            break;
        if (pieces.skipUnselected && !selection.CurrentRowSelected())
            continue;
        const bool showProgress = i % 10 == 0;
        if (showProgress && !pieces.progressInsideGuard)
            m_host.showProgress(i, selection.Count(), true);
        try {
            if (showProgress && pieces.progressInsideGuard)
                m_host.showProgress(i, selection.Count(), false);
            pieces.rowStep(i);
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& error) {
            if (pieces.stopAfterError(errorMessage(error)))
                break;
        }
    }
    if (pieces.closing)
        pieces.closing();
}
