#include "app/MainBatchHost.h"

#include "app/AnchorPanel.h"
#include "app/MainLayout.h"
#include "data/TTable.h"
#include "grids/ActionToolBar.h"
#include "grids/RecordGrid.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>

void MainBatchHost::enterBusy(int count) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_controls.pProgress->show();
    m_sincePaint.start();
    m_controls.prbar->setMaximum(count);
    m_controls.prbar->setValue(0);
    m_target.SuspendControls();
    m_source.SuspendControls();
    setWorkingControlsEnabled(false);
    m_controls.pProgress->window()->repaint();
}

void MainBatchHost::leaveBusy() {
    m_controls.pProgress->setUpdatesEnabled(true);
    m_controls.pProgress->hide();
    m_target.ResumeControls();
    m_source.ResumeControls();
    setWorkingControlsEnabled(true);
    QApplication::restoreOverrideCursor();
}

void MainBatchHost::processEvents() {
    QApplication::processEvents();
}

namespace {
constexpr qint64 PaintIntervalMs = 40;
}

void MainBatchHost::showProgress(int position, int count, bool repaintNow) {
    // The bar and the text always hold the current position; between paints the panel only
    // takes note of it, and the next paint shows the latest.
    QWidget* panel = m_controls.pProgress;
    const bool paint = m_sincePaint.hasExpired(PaintIntervalMs);
    panel->setUpdatesEnabled(false);
    m_controls.prbar->setValue(position);
    m_controls.pInfo->setText(QString::number(position) + QLatin1Char('/') +
                              QString::number(count));
    if (paint) {
        panel->setUpdatesEnabled(true);
        m_sincePaint.restart();
        if (repaintNow)
            m_controls.prbar->repaint();
    }
}

void MainBatchHost::setWorkingControlsEnabled(bool enabled) {
    m_controls.dbgFrom->setEnabled(enabled);
    m_controls.dbgTo->setEnabled(enabled);
    m_controls.tbMain->setEnabled(enabled);
    m_controls.pFrom->setEnabled(enabled);
    m_controls.pTo->setEnabled(enabled);
}
