#pragma once

#include "transfer/BatchRun.h"

#include <QElapsedTimer>

// A batch run's host without a window: a progress line on standard error when it is a
// terminal, and Ctrl+C as the Stop button.
class CommandLineHost : public BatchHost {
public:
    // `showBar`: draw the progress line (standard error is a terminal and --quiet not given).
    explicit CommandLineHost(bool showBar);
    ~CommandLineHost() override;
    CommandLineHost(const CommandLineHost&) = delete;
    CommandLineHost& operator=(const CommandLineHost&) = delete;

    void setRun(BatchRun* run) { m_run = run; }
    // Said before the progress: which of a copy's tables the run is on.
    void setLabel(const QString& label) { m_label = label.toLocal8Bit(); }
    // Whether Ctrl+C was pressed since the host was made.
    static bool interrupted();

    void enterBusy(int count) override;
    void leaveBusy() override;
    void processEvents() override;
    void showProgress(int position, int count, bool repaintNow) override;

private:
    void draw(int position, int count);

    bool m_showBar;
    BatchRun* m_run = nullptr;
    QElapsedTimer m_started;
    QElapsedTimer m_sinceDraw;
    bool m_drawn = false;
    QByteArray m_label;
};
