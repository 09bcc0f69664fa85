#pragma once

// Plain blocking loopback sockets for the tests, independent of the code
// under test, and a bounded wait for conditions set by other threads.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tessaly::network::test {

// Generous: the machine may be loaded.
constexpr auto kWait = std::chrono::seconds(20);

// A port nobody listens on right now.
inline int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    ::close(fd);
    return ntohs(sa.sin_port);
}

// A listening socket on 127.0.0.1 at an ephemeral port.
struct Listener {
    int fd = -1;
    int port = 0;
    Listener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        ::listen(fd, 128);
        socklen_t len = sizeof sa;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
        port = ntohs(sa.sin_port);
    }
    ~Listener() { ::close(fd); }
    // -1 when nobody connected within the wait.
    int accept(int timeoutMs = 20000) const
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return -1;
        return ::accept(fd, nullptr, nullptr);
    }
    // True when a connection is waiting to be accepted.
    bool pending(int timeoutMs) const
    {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) == 1;
    }
};

inline int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool sendAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t w = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

// Reads until n bytes came, the peer closed, or the wait ran out.
inline std::string readUpTo(int fd, std::size_t n, int timeoutMs = 20000)
{
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[65536];
    while (out.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) != 1)
            break;
        const ssize_t r = ::recv(fd, buf, std::min(sizeof buf, n - out.size()), 0);
        if (r <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
}

// True when the peer has closed: a read returns 0 (or reset) within the wait.
inline bool peerClosed(int fd, int timeoutMs = 20000)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1)
        return false;
    char c;
    return ::recv(fd, &c, 1, 0) <= 0;
}

inline std::string pattern(std::size_t n, unsigned seed = 1)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + seed * 7 + i / 977) & 0xFF);
    return s;
}

// Waits (bounded) until pred holds, re-checking whenever notified.
class Waiter {
public:
    template <class F>
    void update(F&& change)
    {
        {
            std::lock_guard<std::mutex> g(m_);
            change();
        }
        cv_.notify_all();
    }
    bool waitUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit = kWait)
    {
        std::unique_lock<std::mutex> g(m_);
        return cv_.wait_for(g, limit, pred);
    }
    template <class F>
    auto read(F&& get)
    {
        std::lock_guard<std::mutex> g(m_);
        return get();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
};

} // namespace tessaly::network::test
