#include "quorvel_test/TcpForwarder.h"

#include <algorithm>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 20;  // how soon a mode switch reaches an idle connection

sockaddr_in loopback(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

// Closes with a reset instead of an orderly shutdown, as a crashed peer or
// a firewall's reject does.
void resetClose(int fd)
{
    if (fd < 0)
        return;
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(fd);
}

bool writeAll(int fd, const char* data, size_t size)
{
    for (size_t sent = 0; sent < size;) {
        ssize_t w = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        sent += static_cast<size_t>(w);
    }
    return true;
}

}  // namespace

TcpForwarder::TcpForwarder(std::string targetHost, int targetPort)
    : targetHost_(std::move(targetHost)), targetPort_(targetPort)
{
    // Ask the kernel for a free port, then give it back until start().
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("TcpForwarder: no free port");
    port_ = ntohs(addr.sin_port);
    close(fd);
}

TcpForwarder::~TcpForwarder()
{
    stop();
}

void TcpForwarder::start()
{
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = loopback(port_);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 64) != 0)
        throw std::runtime_error("TcpForwarder: cannot listen on port " + std::to_string(port_));
    running_ = true;
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void TcpForwarder::stop()
{
    if (running_.exchange(false)) {
        shutdown(listenFd_, SHUT_RDWR);
        acceptThread_.join();
        close(listenFd_);
        listenFd_ = -1;
    }
    dropConnections();
    std::vector<std::thread> relays;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        relays.swap(relays_);
    }
    for (std::thread& t : relays)
        t.join();
}

void TcpForwarder::dropConnections()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int fd : openFds_)
        shutdown(fd, SHUT_RDWR);
}

int TcpForwarder::openConnections() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return openCount_;
}

void TcpForwarder::setMode(Mode m)
{
    mode_ = m;
    ++modeGeneration_;
}

void TcpForwarder::acceptLoop()
{
    while (running_) {
        int client = accept(listenFd_, nullptr, nullptr);
        if (client < 0)
            break;
        int limit = limit_;
        if (limit >= 0 && accepted_ >= limit) {
            close(client);
            continue;
        }
        ++accepted_;
        std::lock_guard<std::mutex> lock(mutex_);
        // Finished relays are not reaped until stop(): a test opens few.
        relays_.emplace_back([this, client] { relay(client); });
    }
}

void TcpForwarder::relay(int client)
{
    int server = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.push_back(client);
        ++openCount_;
    }
    unsigned seenGeneration = modeGeneration_ - 1;  // forces a first look at the mode
    long long budget = 0;                           // CutAfter: bytes still to pass
    bool open = true;
    bool reset = false;
    char buf[16384];
    while (open && running_) {
        const Mode mode = mode_;
        if (const unsigned g = modeGeneration_; g != seenGeneration) {
            seenGeneration = g;
            budget = cutBytes_;
        }
        if (mode == Mode::Reset) {
            reset = true;
            break;
        }
        if (mode == Mode::BlackHole) {
            // Nothing read, nothing written, no server contacted; only a
            // local drop or stop() ends the connection.
            pollfd fd{client, 0, 0};
            if (poll(&fd, 1, kPollMs) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)))
                open = false;
            continue;
        }
        if (server < 0) {
            server = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_port = htons(static_cast<uint16_t>(targetPort_));
            inet_pton(AF_INET, targetHost_.c_str(), &addr.sin_addr);
            if (connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
                close(server);
                server = -1;
                open = false;
                break;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            openFds_.push_back(server);
        }
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (poll(fds, 2, kPollMs) <= 0)
            continue;
        for (int i = 0; i < 2 && open; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const Mode now = mode_;
            if (now == Mode::BlackHole || now == Mode::Reset)
                break;  // switched meanwhile: leave the bytes queued
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                open = false;
                break;
            }
            size_t pass = static_cast<size_t>(n);
            if (now == Mode::CutAfter) {
                pass = static_cast<size_t>(std::max<long long>(0, std::min<long long>(budget, n)));
                budget -= static_cast<long long>(pass);
            } else if (now == Mode::Delay) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_.load()));
            }
            bool serverCut = false;
            if (i == 1) {
                // Take this chunk out of the armed budget; the chunk that
                // exhausts it is passed only up to the budget's end.
                long long armed = serverCutBudget_.load();
                const auto length = static_cast<long long>(pass);
                while (armed >= 0) {
                    const long long rest = armed > length ? armed - length : -1;  // -1: spent, disarmed
                    if (serverCutBudget_.compare_exchange_weak(armed, rest))
                        break;
                }
                if (armed >= 0 && armed <= length) {
                    pass = static_cast<size_t>(armed);
                    serverCut = true;
                }
            }
            if (!writeAll(fds[1 - i].fd, buf, pass))
                open = false;
            if (serverCut) {
                serverCutDone_ = true;
                open = false;
            }
            if (now == Mode::CutAfter && pass < static_cast<size_t>(n)) {
                reset = true;
                open = false;
            }
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.erase(std::remove_if(openFds_.begin(), openFds_.end(),
                                      [&](int fd) { return fd == client || fd == server; }),
                       openFds_.end());
        --openCount_;
    }
    if (reset) {
        resetClose(client);
        resetClose(server);
    } else {
        close(client);
        if (server >= 0)
            close(server);
    }
}
