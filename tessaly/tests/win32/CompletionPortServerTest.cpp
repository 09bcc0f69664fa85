#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/SocketServerManager.h"
#include "tessaly/network/TcpServerLimits.h"
#include "tessaly/network/TcpSocketServer.h"
#include "tessaly/network/TcpSocketServerHandler.h"

using namespace tessaly::network;
using win32test::Client;

namespace {

class Bytes : public SocketSentObject {
public:
    Bytes(std::string data, bool needSignal) : SocketSentObject(needSignal), data_(std::move(data)) {}
    void release() override { delete this; }
    char* getData() override { return data_.data(); }
    int getSize() override { return static_cast<int>(data_.size()); }

private:
    std::string data_;
};

// Records every callback; echoes received bytes back when asked to.
class Recorder : public TcpSocketServerHandler {
public:
    explicit Recorder(bool echo = false) : echo_(echo) {}
    void release() override {}
    void connected(unsigned id, unsigned, unsigned short) override
    {
        std::lock_guard<std::mutex> g(m_);
        ids.push_back(id);
        cv_.notify_all();
    }
    void readyToRead(unsigned id, const char* data, unsigned n) override
    {
        if (echo_)
            server_->sendTo(id, new Bytes(std::string(data, n), false));
        std::lock_guard<std::mutex> g(m_);
        received[id].append(data, n);
        cv_.notify_all();
    }
    void sendCompleted(unsigned, SocketSentObject* o) override
    {
        std::lock_guard<std::mutex> g(m_);
        completed.push_back(static_cast<Bytes*>(o)->getData()[0]);
        o->release();
        cv_.notify_all();
    }
    void sendFailed(unsigned, SocketSentObject* o) override
    {
        std::lock_guard<std::mutex> g(m_);
        EXPECT_TRUE(o->isFailed());
        failed.push_back(static_cast<Bytes*>(o)->getData()[0]);
        o->release();
        cv_.notify_all();
    }
    void closed(unsigned id) override
    {
        std::lock_guard<std::mutex> g(m_);
        closedIds.push_back(id);
        cv_.notify_all();
    }
    template <class F>
    bool waitFor(F f, int ms = 15000)
    {
        std::unique_lock<std::mutex> g(m_);
        return cv_.wait_for(g, std::chrono::milliseconds(ms), [&] { return f(); });
    }
    std::mutex& lock() { return m_; }

    std::vector<unsigned> ids;
    std::map<unsigned, std::string> received;
    std::string completed;
    std::string failed;
    std::vector<unsigned> closedIds;

private:
    bool echo_;
    std::mutex m_;
    std::condition_variable cv_;
};

struct ServerHolder {
    ServerHolder(unsigned max, Recorder& handler, const TcpServerLimits& limits = TcpServerLimits())
        : server(SocketServerManager::get()->getTcpSocketServer(max, &handler, false, limits)),
          port(win32test::freePort())
    {
    }
    ~ServerHolder() { SocketServerManager::get()->releaseTcpSocketServer(server); }
    bool start()
    {
        char error[128] = {};
        return server->start("127.0.0.1", port, error, sizeof error);
    }
    TcpSocketServer* server;
    unsigned short port;
};

std::string pattern(std::size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + seed * 7) & 0xFF);
    return s;
}

} // namespace

// Many clients at once, each sending more than one receive buffer in
// pieces; every byte must come back in order to its own client.
TEST(Win32CompletionPortServer, EchoesManyClientsConcurrently)
{
    Recorder handler(true);
    ServerHolder h(64, handler);
    ASSERT_TRUE(h.start());
    constexpr int kClients = 16;
    constexpr std::size_t kBytes = 150000;
    std::vector<std::thread> threads;
    std::vector<int> ok(kClients, 0);
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            Client client;
            if (!client.connect(h.port))
                return;
            const std::string data = pattern(kBytes, static_cast<unsigned>(c));
            std::thread writer([&] {
                for (std::size_t off = 0; off < data.size(); off += 7000)
                    client.sendAll(data.substr(off, 7000));
            });
            const std::string back = client.receive(kBytes);
            writer.join();
            ok[c] = back == data;
        });
    }
    for (auto& t : threads)
        t.join();
    for (int c = 0; c < kClients; ++c)
        EXPECT_TRUE(ok[c]) << "client " << c;
    ASSERT_TRUE(handler.waitFor([&] { return handler.closedIds.size() == kClients; }));
    EXPECT_EQ(h.server->clientsCount(), 0u);
    const std::string stats = h.server->stats().text();
    EXPECT_NE(stats.find("The total count is 16.\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("The resource count in FreeList is 64.\n"), std::string::npos) << stats;
}

TEST(Win32CompletionPortServer, PoolLimitsIdCodesAndRefusal)
{
    Recorder big;
    ServerHolder capped(10000, big);
    EXPECT_EQ(capped.server->maxConnectionCount(), 4096u);

    Recorder handler;
    ServerHolder h(4, handler);
    ASSERT_TRUE(h.start());
    std::vector<std::unique_ptr<Client>> clients;
    for (unsigned i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<Client>());
        ASSERT_TRUE(clients.back()->connect(h.port));
        ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == i + 1; }));
    }
    // Slots leave the free list in index order: the fourth is slot 3 with
    // the fourth sequence number.
    EXPECT_EQ(handler.ids[3], (3u << 20) | 4u);
    EXPECT_EQ(h.server->clientsCount(), 4u);

    Client fifth;
    ASSERT_TRUE(fifth.connect(h.port, 10000));
    EXPECT_TRUE(fifth.closedByPeer());
    std::string stats;
    for (int i = 0; i < 100 && stats.find("The refuse connection count is 1.\n") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stats = h.server->stats().text();
    }
    EXPECT_NE(stats.find("The refuse connection count is 1.\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("The peak connection count is 4.\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("idCode = 3145732, index = 3.\n"), std::string::npos) << stats;

    // A freed slot takes the next connection.
    clients[1]->close();
    ASSERT_TRUE(handler.waitFor([&] { return handler.closedIds.size() == 1; }));
    EXPECT_EQ(handler.closedIds[0], handler.ids[1]);
    Client again;
    ASSERT_TRUE(again.connect(h.port));
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 5; }));
    EXPECT_EQ(handler.ids[4] >> 20, 1u);
    // A stale id code reaches nobody.
    Bytes stale("x", false);
    EXPECT_FALSE(h.server->sendTo(handler.ids[1], &stale));
}

TEST(Win32CompletionPortServer, StartTwiceAndAPortInUse)
{
    Recorder handler;
    ServerHolder h(4, handler);
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.start());
    Recorder other;
    TcpSocketServer* second = SocketServerManager::get()->getTcpSocketServer(4, &other, false);
    char error[64] = {};
    EXPECT_FALSE(second->start("127.0.0.1", h.port, error, sizeof error));
    EXPECT_STREQ(error, "Failed to bind the listen Socket.");
    char tiny[8] = {};
    EXPECT_FALSE(second->start("127.0.0.1", h.port, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "Failed ");
    SocketServerManager::get()->releaseTcpSocketServer(second);
    // Stopped and started again, the server serves as before.
    h.server->stop();
    ASSERT_TRUE(h.start());
    Client c;
    ASSERT_TRUE(c.connect(h.port));
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 1; }));
}

TEST(Win32CompletionPortServer, SendsArriveInOrderAndAreSignalledOnce)
{
    Recorder handler;
    ServerHolder h(4, handler);
    ASSERT_TRUE(h.start());
    Client c;
    ASSERT_TRUE(c.connect(h.port));
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 1; }));
    const unsigned id = handler.ids[0];
    const std::string a = "A" + pattern(300000, 1);
    const std::string b = "B" + pattern(1000, 2);
    const std::string d = "C" + pattern(70000, 3);
    EXPECT_TRUE(h.server->sendTo(id, new Bytes(a, true)));
    EXPECT_TRUE(h.server->sendTo(id, new Bytes(b, true)));
    EXPECT_TRUE(h.server->sendTo(id, new Bytes(d, true)));
    EXPECT_FALSE(h.server->sendTo(id, nullptr));
    const std::string got = c.receive(a.size() + b.size() + d.size());
    EXPECT_EQ(got.size(), a.size() + b.size() + d.size());
    EXPECT_TRUE(got == a + b + d) << "bytes out of order or damaged";
    ASSERT_TRUE(handler.waitFor([&] { return handler.completed.size() == 3; }));
    EXPECT_EQ(handler.completed, "ABC");
    EXPECT_TRUE(handler.failed.empty());
}

// The close waits for the send in progress; what is queued behind it is
// reported as failed and never sent.
TEST(Win32CompletionPortServer, CloseDuringALargeSendWaitsForItAndFailsTheQueue)
{
    Recorder handler;
    ServerHolder h(4, handler);
    ASSERT_TRUE(h.start());
    Client c;
    ASSERT_TRUE(c.connect(h.port, 20000));
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 1; }));
    const unsigned id = handler.ids[0];
    // More than the socket buffers of both ends hold while nobody reads.
    const std::string large = "L" + pattern(48 << 20, 5);
    ASSERT_TRUE(h.server->sendTo(id, new Bytes(large, true)));
    ASSERT_TRUE(h.server->sendTo(id, new Bytes("Q1", true)));
    ASSERT_TRUE(h.server->sendTo(id, new Bytes("R2", true)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    h.server->closeClient(id);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    {
        std::lock_guard<std::mutex> g(handler.lock());
        EXPECT_TRUE(handler.closedIds.empty()) << "closed before the send in progress ended";
    }
    EXPECT_FALSE(h.server->sendTo(id, new Bytes("late", false)));
    // Reading lets the large object finish; then the connection goes.
    const std::string got = c.receive(large.size());
    EXPECT_EQ(got.size(), large.size());
    EXPECT_TRUE(got == large) << "the object in progress arrived damaged";
    ASSERT_TRUE(handler.waitFor([&] { return handler.closedIds.size() == 1; }));
    EXPECT_EQ(handler.completed, "L");
    EXPECT_EQ(handler.failed, "QR");
    EXPECT_TRUE(c.closedByPeer());
}

// A peer that stops reading: the queue limit refuses further objects and
// closes the connection; the write time-out ends the send it was stuck in.
TEST(Win32CompletionPortServer, PeerThatStopsReadingIsDroppedByTheLimits)
{
    Recorder handler;
    TcpServerLimits limits;
    limits.maxQueuedBytes = 1 << 20;
    limits.writeTimeout = 1500;
    ServerHolder h(4, handler, limits);
    ASSERT_TRUE(h.start());
    Client c;
    ASSERT_TRUE(c.connect(h.port));
    c.shrinkReceiveBuffer();
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 1; }));
    const unsigned id = handler.ids[0];
    // The first object is always taken, whatever its size.
    ASSERT_TRUE(h.server->sendTo(id, new Bytes("F" + pattern(8 << 20, 7), true)));
    EXPECT_TRUE(h.server->sendTo(id, new Bytes("G" + pattern(1000, 8), true)));
    Bytes* over = new Bytes("H" + pattern(2 << 20, 9), true);
    EXPECT_FALSE(h.server->sendTo(id, over));
    delete over; // refused: still ours
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(handler.waitFor([&] { return handler.closedIds.size() == 1; }, 20000));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 500);
    EXPECT_EQ(handler.failed, "FG");
    EXPECT_TRUE(handler.completed.empty());
    EXPECT_EQ(h.server->clientsCount(), 0u);
}

namespace {

// Counts its releases, so a lost or doubly released object shows.
class Counted : public SocketSentObject {
public:
    Counted(std::atomic<int>& released, std::size_t size) : SocketSentObject(false), released_(released), data_(size, 'z') {}
    void release() override
    {
        released_.fetch_add(1);
        delete this;
    }
    char* getData() override { return data_.data(); }
    int getSize() override { return static_cast<int>(data_.size()); }

private:
    std::atomic<int>& released_;
    std::string data_;
};

} // namespace

// Stop with connections open and objects queued to peers that do not read:
// every object comes back exactly once and the peers see the end.
TEST(Win32CompletionPortServer, StopReleasesEverythingAndClosesThePeers)
{
    Recorder handler;
    ServerHolder h(8, handler);
    ASSERT_TRUE(h.start());
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<Client>());
        ASSERT_TRUE(clients.back()->connect(h.port, 10000));
    }
    ASSERT_TRUE(handler.waitFor([&] { return handler.ids.size() == 3; }));
    std::atomic<int> released{0};
    int sent = 0;
    for (unsigned id : handler.ids) {
        for (int k = 0; k < 5; ++k) {
            ASSERT_TRUE(h.server->sendTo(id, new Counted(released, 12 << 20)));
            ++sent;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    h.server->stop();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(took.count(), 10000) << "stop waited too long";
    EXPECT_EQ(released.load(), sent);
    EXPECT_EQ(h.server->clientsCount(), 0u);
    for (auto& c : clients)
        EXPECT_TRUE(c->closedByPeer());
    // Objects handed over after the stop stay the caller's.
    Counted* late = new Counted(released, 10);
    EXPECT_FALSE(h.server->sendTo(handler.ids[0], late));
    late->release();
    EXPECT_EQ(released.load(), sent + 1);
}
