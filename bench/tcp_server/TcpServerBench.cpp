// Loopback load against two echo servers in this process: the Tessaly
// server (epoll) and a reference written here with Boost.Asio (four threads
// on one io_context, one read and one write outstanding per connection).
//  1. request/response: N clients each send 128 bytes and wait for them
//     back, over and over, for S seconds: messages per second;
//  2. streaming: one client sends M megabytes and reads the echo: bytes/s,
//     R rounds taking turns between the two servers;
//  3. echo latency: 50 clients each send 128 bytes and wait for them back,
//     over and over, alone and beside one client that streams at full speed
//     through the same server: p50/p99 round trip;
//  4. 4 096 connections held open on the Tessaly server: resident memory.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <utility> // before Boost 1.74 Asio, which uses std::exchange without it
#include <boost/asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/SocketServerManager.h"
#include "tessaly/network/TcpSocketServer.h"
#include "tessaly/network/TcpSocketServerHandler.h"

using namespace tessaly::network;
using Clock = std::chrono::steady_clock;
namespace asio = boost::asio;

namespace {

constexpr int kMessage = 128;

// ---- Tessaly echo ---------------------------------------------------------

class Echo : public SocketSentObject {
public:
    Echo(const char* d, unsigned n) : SocketSentObject(false), data_(d, d + n) {}
    void release() override { delete this; }
    char* getData() override { return data_.data(); }
    int getSize() override { return static_cast<int>(data_.size()); }

private:
    std::vector<char> data_;
};

struct EchoHandler : TcpSocketServerHandler {
    void release() override {}
    void readyToRead(unsigned id, const char* data, unsigned n) override { server_->sendTo(id, new Echo(data, n)); }
};

// ---- Boost.Asio reference -------------------------------------------------

class AsioSession : public std::enable_shared_from_this<AsioSession> {
public:
    explicit AsioSession(asio::ip::tcp::socket s) : socket_(std::move(s)) {}
    void start() { read(); }

private:
    void read()
    {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(buf_), [this, self](boost::system::error_code ec, std::size_t n) {
            if (ec)
                return;
            asio::async_write(socket_, asio::buffer(buf_, n),
                              [this, self](boost::system::error_code ec2, std::size_t) {
                                  if (!ec2)
                                      read();
                              });
        });
    }
    asio::ip::tcp::socket socket_;
    char buf_[4096];
};

class AsioServer {
public:
    explicit AsioServer(unsigned short port)
        : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), port))
    {
        acceptor_.listen(asio::socket_base::max_listen_connections);
        accept();
        for (int i = 0; i < 4; ++i)
            threads_.emplace_back([this] { io_.run(); });
    }
    ~AsioServer()
    {
        io_.stop();
        for (auto& t : threads_)
            t.join();
    }

private:
    void accept()
    {
        acceptor_.async_accept([this](boost::system::error_code ec, asio::ip::tcp::socket s) {
            if (!ec) {
                s.set_option(asio::ip::tcp::no_delay(true));
                std::make_shared<AsioSession>(std::move(s))->start();
            }
            accept();
        });
    }
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::vector<std::thread> threads_;
};

// ---- client load -------------------------------------------------------------

int connectTo(int port)
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
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

// N clients, request/response with one epoll loop; returns messages/s.
double requestResponse(int port, int clients, double seconds)
{
    struct Conn {
        int fd;
        int got = 0;
    };
    std::vector<Conn> conns;
    const int ep = ::epoll_create1(0);
    char msg[kMessage];
    std::memset(msg, 'm', sizeof msg);
    for (int i = 0; i < clients; ++i) {
        const int fd = connectTo(port);
        if (fd < 0) {
            std::fprintf(stderr, "connect %d failed\n", i);
            break;
        }
        conns.push_back({fd});
    }
    for (std::size_t i = 0; i < conns.size(); ++i) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, conns[i].fd, &ev);
        ::send(conns[i].fd, msg, sizeof msg, MSG_NOSIGNAL);
    }
    long long messages = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    epoll_event events[256];
    char buf[4096];
    while (Clock::now() < end) {
        const int n = ::epoll_wait(ep, events, 256, 100);
        for (int i = 0; i < n; ++i) {
            Conn& c = conns[events[i].data.u64];
            const ssize_t r = ::recv(c.fd, buf, sizeof buf, 0);
            if (r <= 0)
                continue;
            c.got += static_cast<int>(r);
            while (c.got >= kMessage) {
                c.got -= kMessage;
                ++messages;
                ::send(c.fd, msg, sizeof msg, MSG_NOSIGNAL);
            }
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& c : conns)
        ::close(c.fd);
    ::close(ep);
    return static_cast<double>(messages) / elapsed;
}

// One client streams megabytes and reads the echo back; returns bytes/s.
double stream(int port, long megabytes)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return 0;
    const long long total = static_cast<long long>(megabytes) << 20;
    const auto start = Clock::now();
    std::thread writer([&] {
        std::vector<char> block(1 << 16, 's');
        long long sent = 0;
        while (sent < total) {
            const ssize_t w = ::send(fd, block.data(), static_cast<std::size_t>(std::min<long long>(block.size(), total - sent)), MSG_NOSIGNAL);
            if (w <= 0)
                break;
            sent += w;
        }
    });
    std::vector<char> buf(1 << 16);
    long long got = 0;
    while (got < total) {
        const ssize_t r = ::recv(fd, buf.data(), buf.size(), 0);
        if (r <= 0)
            break;
        got += r;
    }
    writer.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fd);
    return static_cast<double>(got) / elapsed;
}

struct Latency {
    double p50 = 0, p99 = 0, max = 0;
    std::size_t samples = 0;
    double senderMBs = 0;
};

// clients ping-pong 128 bytes for S seconds, optionally beside a client that
// streams through the same server as fast as it can; round trips in µs.
Latency echoLatency(int port, int clients, double seconds, bool withSender)
{
    std::atomic<bool> streaming{withSender};
    std::atomic<long long> streamed{0};
    std::thread writer, reader;
    int streamFd = -1;
    if (withSender) {
        streamFd = connectTo(port);
        writer = std::thread([&] {
            std::vector<char> block(1 << 16, 's');
            while (streaming.load()) {
                if (::send(streamFd, block.data(), block.size(), MSG_NOSIGNAL) <= 0)
                    break;
            }
        });
        reader = std::thread([&] {
            std::vector<char> buf(1 << 16);
            for (;;) {
                const ssize_t r = ::recv(streamFd, buf.data(), buf.size(), 0);
                if (r <= 0)
                    break;
                streamed.fetch_add(r);
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // up to speed
    }
    struct Conn {
        int fd;
        int got = 0;
        Clock::time_point sent;
    };
    std::vector<Conn> conns;
    const int ep = ::epoll_create1(0);
    char msg[kMessage];
    std::memset(msg, 'l', sizeof msg);
    for (int i = 0; i < clients; ++i) {
        const int fd = connectTo(port);
        if (fd < 0)
            break;
        conns.push_back({fd, 0, Clock::now()});
    }
    for (std::size_t i = 0; i < conns.size(); ++i) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, conns[i].fd, &ev);
        conns[i].sent = Clock::now();
        ::send(conns[i].fd, msg, sizeof msg, MSG_NOSIGNAL);
    }
    std::vector<double> rtt;
    rtt.reserve(1 << 20);
    const long long streamedAtStart = streamed.load();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    epoll_event events[256];
    char buf[4096];
    while (Clock::now() < end) {
        const int n = ::epoll_wait(ep, events, 256, 100);
        for (int i = 0; i < n; ++i) {
            Conn& c = conns[events[i].data.u64];
            const ssize_t r = ::recv(c.fd, buf, sizeof buf, 0);
            if (r <= 0)
                continue;
            c.got += static_cast<int>(r);
            while (c.got >= kMessage) {
                c.got -= kMessage;
                const auto now = Clock::now();
                rtt.push_back(std::chrono::duration<double, std::micro>(now - c.sent).count());
                c.sent = now;
                ::send(c.fd, msg, sizeof msg, MSG_NOSIGNAL);
            }
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    Latency out;
    out.senderMBs = static_cast<double>(streamed.load() - streamedAtStart) / elapsed / 1048576;
    for (auto& c : conns)
        ::close(c.fd);
    ::close(ep);
    if (withSender) {
        streaming.store(false);
        ::shutdown(streamFd, SHUT_RDWR);
        writer.join();
        reader.join();
        ::close(streamFd);
    }
    if (!rtt.empty()) {
        std::sort(rtt.begin(), rtt.end());
        out.samples = rtt.size();
        out.p50 = rtt[rtt.size() / 2];
        out.p99 = rtt[std::min(rtt.size() - 1, rtt.size() * 99 / 100)];
        out.max = rtt.back();
    }
    return out;
}

void printLatency(const char* server, const char* when, const Latency& l)
{
    std::printf("  %-7s %-22s p50 %8.0f us  p99 %8.0f us  max %8.0f us  (%zu round trips", server, when, l.p50,
                l.p99, l.max, l.samples);
    if (l.senderMBs > 0)
        std::printf(", sender %.0f MB/s", l.senderMBs);
    std::printf(")\n");
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

int freePort()
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

} // namespace

int main(int argc, char** argv)
{
    const int clients = argc > 1 ? std::atoi(argv[1]) : 1000;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    const long megabytes = argc > 3 ? std::atol(argv[3]) : 1024;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    constexpr int kLatencyClients = 50;
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);

    const long atStart = residentKb();
    EchoHandler handler;
    TcpSocketServer* server = SocketServerManager::get()->getTcpSocketServer(4096, &handler, false);
    const int tessalyPort = freePort();
    char error[128] = "";
    if (!server->start("127.0.0.1", static_cast<unsigned short>(tessalyPort), error, sizeof error)) {
        std::fprintf(stderr, "start failed: %s\n", error);
        return 1;
    }
    const long afterStart = residentKb();
    const int asioPort = freePort();
    AsioServer reference(static_cast<unsigned short>(asioPort));

    std::printf("request/response, %d clients, %d-byte messages, %.0f s each\n", clients, kMessage, seconds);
    const double tMsg = requestResponse(tessalyPort, clients, seconds);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double aMsg = requestResponse(asioPort, clients, seconds);
    std::printf("  tessaly %.0f msg/s, asio %.0f msg/s, ratio %.2f\n", tMsg, aMsg, tMsg / aMsg);

    std::printf("streaming %ld MB through the echo, %d rounds taking turns\n", megabytes, rounds);
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        const double tBytes = stream(tessalyPort, megabytes);
        const double aBytes = stream(asioPort, megabytes);
        ratios.push_back(tBytes / aBytes);
        std::printf("  tessaly %.1f MB/s, asio %.1f MB/s, ratio %.2f\n", tBytes / 1048576, aBytes / 1048576,
                    tBytes / aBytes);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("  median ratio %.2f\n", ratios[ratios.size() / 2]);

    std::printf("echo latency, %d clients, %d-byte messages, %.0f s each\n", kLatencyClients, kMessage, seconds);
    printLatency("tessaly", "alone", echoLatency(tessalyPort, kLatencyClients, seconds, false));
    printLatency("tessaly", "beside a full sender", echoLatency(tessalyPort, kLatencyClients, seconds, true));
    printLatency("asio", "alone", echoLatency(asioPort, kLatencyClients, seconds, false));
    printLatency("asio", "beside a full sender", echoLatency(asioPort, kLatencyClients, seconds, true));

    // Wait for the earlier connections to be retired before holding 4 096.
    for (int i = 0; i < 200 && server->clientsCount() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const long before = residentKb();
    std::vector<int> held;
    for (int i = 0; i < 4096; ++i) {
        const int fd = connectTo(tessalyPort);
        if (fd < 0)
            break;
        held.push_back(fd);
    }
    for (int i = 0; i < 400 && server->clientsCount() < held.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const long after = residentKb();
    std::printf("resident memory: %ld kB before the server, %ld kB once started for 4096 (slots allocated)\n",
                atStart, afterStart);
    std::printf("held %zu connections, server counts %u; resident memory %ld kB -> %ld kB (+%ld kB, "
                "client and server ends together in this process; socket buffers are kernel memory)\n",
                held.size(), server->clientsCount(), before, after, after - before);
    for (int fd : held)
        ::close(fd);
    SocketServerManager::get()->releaseTcpSocketServer(server);
    SocketServerManager::release();
    return 0;
}
