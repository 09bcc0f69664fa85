#include "TcpForwarder.h"

#include <algorithm>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
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
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 16) != 0)
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
        relays_.emplace_back([this, client] { relay(client); });
    }
}

void TcpForwarder::relay(int client)
{
    int server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(targetPort_));
    inet_pton(AF_INET, targetHost_.c_str(), &addr.sin_addr);
    if (connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(server);
        close(client);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.push_back(client);
        openFds_.push_back(server);
    }
    pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    char buf[16384];
    bool open = true;
    while (open && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2 && open; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                open = false;
                break;
            }
            bool cutHere = false;
            if (i == 1) {
                // Take this chunk out of the armed budget; the chunk that
                // exhausts it is passed only up to the budget's end.
                long long budget = cutBudget_.load();
                while (budget >= 0) {
                    const long long rest = budget > n ? budget - n : -1;  // -1: spent, disarmed
                    if (cutBudget_.compare_exchange_weak(budget, rest))
                        break;
                }
                if (budget >= 0 && budget <= n) {
                    n = static_cast<ssize_t>(budget);
                    cutHere = true;
                }
            }
            for (ssize_t sent = 0; sent < n;) {
                ssize_t w = write(fds[1 - i].fd, buf + sent, static_cast<size_t>(n - sent));
                if (w <= 0) {
                    open = false;
                    break;
                }
                sent += w;
            }
            if (cutHere) {
                cutDone_ = true;
                open = false;
            }
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.erase(std::remove_if(openFds_.begin(), openFds_.end(),
                                      [&](int fd) { return fd == client || fd == server; }),
                       openFds_.end());
    }
    close(client);
    close(server);
}
