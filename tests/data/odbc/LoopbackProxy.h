#pragma once

#include <QtGlobal>
#include <atomic>
#include <thread>

// A TCP relay on 127.0.0.1 in front of a server port, which can cut every connection in the
// middle of the traffic, as a server that stops would.
class LoopbackProxy {
public:
    explicit LoopbackProxy(int targetPort);
    ~LoopbackProxy();
    LoopbackProxy(const LoopbackProxy&) = delete;
    LoopbackProxy& operator=(const LoopbackProxy&) = delete;

    int port() const { return m_port; }
    // Relays this many more bytes from the clients, then closes every connection and refuses
    // new ones.
    void cutAfter(qint64 bytes) { m_budget = bytes; }
    bool hasCut() const { return m_cut; }

private:
    void run();

    int m_listen = -1;
    int m_port = 0;
    int m_target;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_budget{-1};
    std::atomic<bool> m_cut{false};
    std::thread m_thread;
};
