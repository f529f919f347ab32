#include "tests/data/odbc/LoopbackProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool sendAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

}  // namespace

LoopbackProxy::LoopbackProxy(int targetPort) : m_target(targetPort) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof(address);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on loopback");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

LoopbackProxy::~LoopbackProxy() {
    m_stop = true;
    m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

void LoopbackProxy::run() {
    struct Pair {
        int client, server;
    };
    std::vector<Pair> pairs;
    const auto closePair = [](const Pair& p) {
        ::shutdown(p.client, SHUT_RDWR);
        ::shutdown(p.server, SHUT_RDWR);
        ::close(p.client);
        ::close(p.server);
    };
    std::vector<char> buffer(65536);
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listen, POLLIN, 0}};
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 50) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(m_listen, nullptr, nullptr);
            if (client >= 0) {
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                const sockaddr_in target = loopback(m_target);
                if (m_cut || ::connect(server, reinterpret_cast<const sockaddr*>(&target),
                                       sizeof(target)) != 0) {
                    ::close(server);
                    ::close(client);
                } else {
                    pairs.push_back({client, server});
                }
            }
        }
        std::vector<Pair> kept;
        bool cutNow = false;
        for (size_t i = 0; i < pairs.size(); ++i) {
            const Pair& p = pairs[i];
            bool alive = !cutNow;
            // A pair accepted in this round was not polled yet.
            const bool polled = 1 + 2 * i + 1 < fds.size();
            for (int side = 0; side < 2 && alive && polled; ++side) {
                if (!(fds[1 + 2 * i + side].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const int from = side == 0 ? p.client : p.server;
                const int to = side == 0 ? p.server : p.client;
                const ssize_t got = ::recv(from, buffer.data(), buffer.size(), 0);
                if (got <= 0) {
                    alive = false;
                    break;
                }
                if (side == 0 && m_budget >= 0) {
                    m_budget -= got;
                    if (m_budget < 0) {
                        // Said before the pair closes: the client sees the close at once.
                        m_cut = true;
                        cutNow = true;
                        alive = false;
                        break;
                    }
                }
                alive = sendAll(to, buffer.data(), got);
            }
            if (alive)
                kept.push_back(p);
            else
                closePair(p);
        }
        if (cutNow) {
            for (const Pair& p : kept)
                closePair(p);
            kept.clear();
        }
        pairs = kept;
    }
    for (const Pair& p : pairs)
        closePair(p);
}
