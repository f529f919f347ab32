#pragma once

#include "transfer/BatchRun.h"

#include <QElapsedTimer>

class MainLayout;
class TTable;

// The main window's side of a batch run: its busy state and progress panel.
class MainBatchHost : public BatchHost {
public:
    MainBatchHost(const MainLayout& controls, TTable& source, TTable& target)
        : m_controls(controls), m_source(source), m_target(target) {}

    void enterBusy(int count) override;
    void leaveBusy() override;
    void processEvents() override;
    void showProgress(int position, int count, bool repaintNow) override;

private:
    void setWorkingControlsEnabled(bool enabled);

    const MainLayout& m_controls;
    // The panel is painted at most this often: a repaint costs more than many rows.
    QElapsedTimer m_sincePaint;
    TTable& m_source;
    TTable& m_target;
};
