// Peers that do not behave: they stop reading, or come when the process has
// no descriptor left.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <ctime>

#include "ServerFixture.h"

using namespace tessaly::network;
using namespace tessaly::network::test;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMB = 1u << 20;

// A client socket that takes as little as the system allows before it
// stops the sender.
int silentClient(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
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

double processCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

int highestOpenDescriptor()
{
    int highest = 2;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (dirent* e = ::readdir(d))
            highest = std::max(highest, std::atoi(e->d_name));
        ::closedir(d);
    }
    return highest;
}

class HostilePeerTest : public ServerTest {
protected:
    void startWithLimits(unsigned max, const TcpServerLimits& limits)
    {
        server = SocketServerManager::get()->getTcpSocketServer(max, &handler, false, limits);
        ASSERT_NE(server, nullptr);
        char error[128] = "";
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = freePort();
            if (server->start("127.0.0.1", static_cast<unsigned short>(port), error, sizeof error))
                return;
        }
        FAIL() << "could not start: " << error;
    }
    // Inside a waitUntil predicate (the waiter's lock is held).
    std::size_t handedBack() const { return handler.completed.size() + handler.failed.size(); }
};

} // namespace

TEST_F(HostilePeerTest, SilentReaderIsClosedByTheWriteTimeoutAndItsSlotReused)
{
    constexpr int kTimeout = 1500;
    TcpServerLimits limits;
    limits.maxQueuedBytes = 128 * kMB; // the time-out, not the byte limit, ends it
    limits.writeTimeout = kTimeout;
    handler.echo = true;
    startWithLimits(1, limits); // one slot: the next client needs it back
    const int fd = silentClient(port);
    ASSERT_GE(fd, 0);
    clients.push_back(fd);
    ASSERT_TRUE(handler.w.waitUntil([&] { return handler.ids.size() == 1; }));
    const unsigned id = idAt(0);
    const auto begun = Clock::now();
    int accepted = 0;
    for (int i = 0; i < 64; ++i) {
        auto* b = new Bytes(pattern(kMB, static_cast<unsigned>(i)), true);
        b->tag = std::to_string(i);
        if (!server->sendTo(id, b)) {
            delete b;
            break;
        }
        ++accepted;
    }
    EXPECT_EQ(accepted, 64);
    ASSERT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begun).count();
    // Stalled right after the first few megabytes: closed once the time-out
    // ran out, not before, and not much later (the loaded machine gets slack).
    EXPECT_GE(took, kTimeout - 100);
    EXPECT_LT(took, kTimeout + 8000);
    // Every object came back once: the few the peer's buffers took as sent,
    // the rest as failed.
    EXPECT_TRUE(handler.w.waitUntil([&] { return handedBack() == 64; }));
    handler.w.read([&] {
        EXPECT_GE(handler.failed.size(), 32u);
        for (const auto& e : handler.failed)
            EXPECT_TRUE(e.failedFlag);
        return 0;
    });
    EXPECT_TRUE(waitForClients(0));

    // The one slot is free again and works.
    const int next = connectAndWait(2);
    EXPECT_EQ(idAt(1), (0u << 20) | 2);
    ASSERT_TRUE(sendAll(next, "again"));
    EXPECT_EQ(readUpTo(next, 5), "again");
}

TEST_F(HostilePeerTest, ByteLimitClosesAPeerThatFallsBehind)
{
    TcpServerLimits limits;
    limits.maxQueuedBytes = 4 * kMB;
    handler.echo = true; // for the good peer below
    startWithLimits(4, limits);
    const int fd = silentClient(port);
    ASSERT_GE(fd, 0);
    clients.push_back(fd);
    ASSERT_TRUE(handler.w.waitUntil([&] { return handler.ids.size() == 1; }));
    const unsigned id = idAt(0);
    // A good peer, to see that the other connections go on.
    const int good = connectAndWait(2);
    int accepted = 0;
    bool refused = false;
    for (int i = 0; i < 256 && !refused; ++i) {
        auto* b = new Bytes(pattern(kMB / 4, static_cast<unsigned>(i)), true);
        b->tag = std::to_string(i);
        if (server->sendTo(id, b)) {
            ++accepted;
        } else {
            refused = true;
            delete b; // refused: still ours
        }
    }
    // The peer's buffers take a few megabytes, the limit 4 more: then no more.
    ASSERT_TRUE(refused);
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    EXPECT_EQ(handler.w.read([&] { return handler.closedIds[0]; }), id);
    EXPECT_TRUE(handler.w.waitUntil([&] { return handedBack() == static_cast<std::size_t>(accepted); }));
    EXPECT_GE(handler.w.read([&] { return handler.failed.size(); }), 8u);
    Bytes late("late", true);
    EXPECT_FALSE(server->sendTo(id, &late));
    ASSERT_TRUE(sendAll(good, "still here"));
    EXPECT_EQ(readUpTo(good, 10), "still here");
    EXPECT_TRUE(waitForClients(1));
}

TEST_F(HostilePeerTest, ManySilentReadersDoNotHoldUpTheOthers)
{
    TcpServerLimits limits;
    limits.writeTimeout = 1000;
    handler.echo = true;
    startWithLimits(64, limits);
    constexpr int kSilent = 20;
    for (int i = 0; i < kSilent; ++i) {
        const int fd = silentClient(port);
        ASSERT_GE(fd, 0);
        clients.push_back(fd);
    }
    ASSERT_TRUE(handler.w.waitUntil([&] { return handler.ids.size() == kSilent; }));
    for (int i = 0; i < kSilent; ++i) {
        const unsigned id = idAt(static_cast<std::size_t>(i));
        for (int k = 0; k < 4; ++k) {
            auto* b = new Bytes(pattern(kMB, static_cast<unsigned>(k)), true);
            if (!server->sendTo(id, b))
                delete b;
        }
    }
    // Meanwhile a good client is answered as usual.
    const int good = connectAndWait(kSilent + 1);
    for (int round = 0; round < 20; ++round) {
        const std::string msg = pattern(128, static_cast<unsigned>(round));
        ASSERT_TRUE(sendAll(good, msg));
        ASSERT_EQ(readUpTo(good, msg.size(), 5000), msg) << "round " << round;
    }
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == kSilent; }));
    EXPECT_TRUE(waitForClients(1));
}

TEST_F(HostilePeerTest, OutOfDescriptorsTheListenerIdlesAndRecovers)
{
    handler.echo = true;
    startServer(256);
    constexpr int kBeyond = 100;
    // The clients' sockets exist before the limit; connect needs no new one.
    std::vector<int> beyond;
    for (int i = 0; i < kBeyond; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        beyond.push_back(fd);
        clients.push_back(fd);
    }
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(highestOpenDescriptor() + 1);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    // Fill the holes below the limit: not one descriptor is left.
    std::vector<int> fillers;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
        fillers.push_back(fd);
    ASSERT_EQ(errno, EMFILE);

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = Clock::now();
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(static_cast<uint16_t>(port));
    int connectedCount = 0;
    for (int fd : beyond)
        connectedCount += ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();

    // None could be taken; they were turned away instead of left to spin on.
    int turnedAway = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (int fd : beyond) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        turnedAway += peerClosed(fd, static_cast<int>(std::max<long long>(left, 1)));
    }
    const std::string stats = server->stats().text();

    for (int fd : fillers)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    RecordProperty("process_cpu_ms", static_cast<int>(cpu * 1000));
    EXPECT_EQ(connectedCount, kBeyond);
    // A listener that spins burns a whole core: about 2 s in 2 s.
    EXPECT_LT(cpu, 0.3) << "process CPU " << cpu << " s in " << wall << " s";
    EXPECT_EQ(turnedAway, kBeyond);
    EXPECT_NE(stats.find("The refuse connection count is 100."), std::string::npos) << stats;
    EXPECT_EQ(handler.w.read([&] { return handler.ids.size(); }), 0u);

    // Descriptors are back: clients are accepted and served again.
    const int fd = connectAndWait(1);
    ASSERT_TRUE(sendAll(fd, "back"));
    EXPECT_EQ(readUpTo(fd, 4), "back");
    EXPECT_EQ(server->clientsCount(), 1u);
}
