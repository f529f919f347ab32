#pragma once

#include <QString>
#include <functional>

class RowSelection;
class RowWalk;
class TTable;

// What a batch run needs of the window around it: the busy state, the event pass and the
// progress display. The window implements it; tests and the command line supply their own.
class BatchHost {
public:
    virtual ~BatchHost() = default;

    // Wait cursor, progress panel with the bar set to 0 of `count`, both tables' controls
    // suspended (target first), the window's working controls disabled, a repaint.
    virtual void enterBusy(int count) = 0;
    // The busy state undone in the reverse order.
    virtual void leaveBusy() = 0;
    // One pass over the pending window events (clicks on Stop among them).
    virtual void processEvents() = 0;
    // Bar at `position`, info text "position/count"; `repaintNow` paints the bar at once.
    virtual void showProgress(int position, int count, bool repaintNow) = 0;
};

// What a run does with a row that fails: asks the user (the window), passes over it or stops
// (the command line). A failure that is no row's own (a full disk, a lock, a lost connection)
// cannot be passed over: it stops a run that skips.
enum class RowFailurePolicy { Ask, Skip, Stop };

// The pieces a caller hands the batch run.
struct BatchPieces {
    // Before the busy state; false ends the run with nothing changed.
    std::function<bool()> prepare;
    // Tested with the stop flag after each event pass; may be empty.
    std::function<bool()> extraStop;
    // Rows the selection no longer holds are passed over (the data move).
    bool skipUnselected = false;
    // An empty walk says "No selected rows"; a job that walks a whole table says nothing.
    bool sayNoRows = true;
    // The progress update inside the per-row guard (data move), or before it with an
    // immediate repaint (script generation).
    bool progressInsideGuard = true;
    // The per-row action for list position `index`; throws on failure.
    std::function<void(int index)> rowStep;
    RowFailurePolicy onRowFailure = RowFailurePolicy::Ask;
    // Undoes what a failed row step left half done (the unfinished record); may be empty.
    std::function<void()> discardFailedRow;
    // Asks the per-row question for a failure's message; true stops the run (Ask only).
    std::function<bool(const QString& message)> stopAfterError;
    // Told of each failed row under Skip and Stop: its list position, the message, whether the
    // failure was the row's own and whether the run goes on past it; may be empty.
    std::function<void(int index, const QString& message, bool rowsOwn, bool skipped)> rowFailed;
    // After the loop, however it was left (but not after an escaped error); may be empty.
    std::function<void()> closing;
};

// How a run ended.
struct BatchOutcome {
    int rows = 0;            // the list positions of the walk
    bool started = false;    // past the selection check, the mapping and the preparation
    bool completed = false;  // every row visited
    bool stopped = false;    // by Stop or the caller's stop condition
    bool stoppedOnError = false;
    QString error;       // the failure that stopped it
    int rowsDone = 0;    // row steps that succeeded
    int rowsFailed = 0;  // row steps that failed and were passed over
};

// Whether a failure lies in the row's own values, rather than in the engine or its connection.
bool IsRowsOwnFailure(const std::exception& error);

// The frame shared by "Data Move !" and "Generate SQL..": the selection check, the mapping
// dialog, the busy state, the loop over the selected rows in record order with Stop and
// progress, the per-row question and the closing step.
class BatchRun {
public:
    explicit BatchRun(BatchHost& host) : m_host(host) {}

    bool active() const { return m_active; }
    bool stopFlag() const { return m_stop; }
    // The Stop button: sets the flag, nothing else.
    void Stop() { m_stop = true; }

    // `showMapping` shows the mapping dialog and returns its modal result (1 is OK). A run
    // asked for while one is active (its shortcut reaches the window during the event pass)
    // does nothing.
    BatchOutcome RunBatch(TTable& source, RowSelection& selection,
                          const std::function<int()>& showMapping, const BatchPieces& pieces);
    // The same over any walk of the source's rows.
    BatchOutcome RunBatch(TTable& source, RowWalk& walk, const std::function<int()>& showMapping,
                          const BatchPieces& pieces);

private:
    // Decides, by the pieces' policy, whether a failed row stops the run.
    bool failed(const BatchPieces& pieces, int index, const std::exception& error,
                BatchOutcome& outcome);

    BatchHost& m_host;
    bool m_active = false;
    bool m_stop = false;
};
