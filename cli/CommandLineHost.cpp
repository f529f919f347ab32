#include "cli/CommandLineHost.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interruptFlag = 0;

extern "C" void onInterrupt(int) {
    interruptFlag = 1;
}

}  // namespace

CommandLineHost::CommandLineHost(bool showBar) : m_showBar(showBar) {
    interruptFlag = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

CommandLineHost::~CommandLineHost() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool CommandLineHost::interrupted() {
    return interruptFlag != 0;
}

void CommandLineHost::enterBusy(int) {
    m_started.start();
    m_sinceDraw.start();
}

void CommandLineHost::leaveBusy() {
    if (m_drawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_drawn = false;
    }
}

void CommandLineHost::processEvents() {
    if (interruptFlag && m_run)
        m_run->Stop();
}

void CommandLineHost::showProgress(int position, int count, bool) {
    // A terminal line costs more than many rows: a few a second are enough to watch.
    if (!m_showBar || m_sinceDraw.elapsed() < 200)
        return;
    m_sinceDraw.start();
    draw(position, count);
}

void CommandLineHost::draw(int position, int count) {
    const double seconds = m_started.elapsed() / 1000.0;
    const double rate = seconds > 0 ? position / seconds : 0;
    const int width = 30;
    const int filled = count > 0 ? static_cast<int>(qint64(width) * position / count) : 0;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(width - filled, '-');
    const double left = rate > 0 ? (count - position) / rate : 0;
    std::fprintf(stderr, "\r%s%s[%s] %d/%d  %.0f rows/s  %d:%02d left\033[K", m_label.constData(),
                 m_label.isEmpty() ? "" : " ", bar.constData(), position, count, rate,
                 static_cast<int>(left) / 60, static_cast<int>(left) % 60);
    std::fflush(stderr);
    m_drawn = true;
}
