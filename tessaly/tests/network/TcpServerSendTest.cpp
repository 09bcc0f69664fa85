// Sending: order, signals, closing in the middle of a send and vanishing peers.
#include <sys/socket.h>

#include "ServerFixture.h"

using namespace tessaly::network;
using namespace tessaly::network::test;

namespace {

Bytes* tagged(const std::string& tag, std::string data, bool needSignal = true)
{
    auto* b = new Bytes(std::move(data), needSignal);
    b->tag = tag;
    return b;
}

std::vector<std::string> tags(const std::vector<Recorder::Event>& events)
{
    std::vector<std::string> out;
    for (const auto& e : events)
        out.push_back(e.tag);
    return out;
}

// Large enough that loopback socket buffers cannot take it all at once.
constexpr std::size_t kLarge = 32u << 20;

} // namespace

TEST_F(ServerTest, ThreeObjectsArriveInOrderEachSignalledOnce)
{
    startServer(4);
    const int fd = connectAndWait(1);
    const unsigned id = idAt(0);
    const std::string a = pattern(100000, 1), b = pattern(100000, 2), c = pattern(100000, 3);
    ASSERT_TRUE(server->sendTo(id, tagged("A", a)));
    ASSERT_TRUE(server->sendTo(id, tagged("B", b)));
    ASSERT_TRUE(server->sendTo(id, tagged("C", c)));
    const std::string got = readUpTo(fd, 300000);
    EXPECT_TRUE(got == a + b + c);
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.completed.size() == 3; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    handler.w.read([&] {
        EXPECT_EQ(tags(handler.completed), (std::vector<std::string>{"A", "B", "C"}));
        for (const auto& e : handler.completed) {
            EXPECT_EQ(e.id, id);
            EXPECT_FALSE(e.failedFlag);
        }
        EXPECT_TRUE(handler.failed.empty());
        return 0;
    });
}

TEST_F(ServerTest, SendToRefusesUnknownAndStaleIds)
{
    startServer(2);
    connectAndWait(1);
    const unsigned id = idAt(0);
    Bytes probe("p", true);
    EXPECT_FALSE(server->sendTo(id + 1, &probe));    // right slot, other sequence
    EXPECT_FALSE(server->sendTo(5u << 20 | 1, &probe)); // no such slot
    EXPECT_FALSE(server->sendTo(0, &probe));
    EXPECT_FALSE(server->sendTo(id, nullptr));
    ::close(clients[0]);
    clients.clear();
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    EXPECT_FALSE(server->sendTo(id, &probe)); // retired
    server->closeClient(id);                 // stale: ignored
    server->closeClient(0);
    EXPECT_TRUE(waitForClients(0));
}

TEST_F(ServerTest, CloseDuringALargeSendClosesAtOnceAndFailsEverything)
{
    startServer(4);
    const int fd = connectAndWait(1);
    const unsigned id = idAt(0);
    std::atomic<int> released{0};
    ASSERT_TRUE(server->sendTo(id, tagged("big", pattern(kLarge, 9))));
    ASSERT_TRUE(server->sendTo(id, tagged("q1", "first queued")));
    ASSERT_TRUE(server->sendTo(id, new Bytes("quiet", false, &released)));
    ASSERT_TRUE(server->sendTo(id, tagged("q2", "second queued")));
    // The client reads nothing, so the big send is stuck in the middle.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto asked = std::chrono::steady_clock::now();
    server->closeClient(id);
    Bytes refused("late", true);
    EXPECT_FALSE(server->sendTo(id, &refused)); // closing: nothing more is taken
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    // Not held up by the peer: the send was dropped, not finished.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(10));
    handler.w.read([&] {
        EXPECT_TRUE(handler.completed.empty());
        EXPECT_EQ(tags(handler.failed), (std::vector<std::string>{"big", "q1", "q2"}));
        for (const auto& e : handler.failed)
            EXPECT_TRUE(e.failedFlag);
        EXPECT_EQ(handler.closedIds[0], id);
        return 0;
    });
    EXPECT_EQ(released.load(), 1);
    // The peer gets part of the bytes, then the end of the connection.
    const std::string got = readUpTo(fd, kLarge);
    EXPECT_LT(got.size(), kLarge);
    EXPECT_TRUE(got == pattern(kLarge, 9).substr(0, got.size()));
    EXPECT_TRUE(waitForClients(0));
}

TEST_F(ServerTest, PeerVanishingMidSendFailsTheObjects)
{
    startServer(4);
    const int fd = connectAndWait(1);
    const unsigned id = idAt(0);
    std::atomic<int> released{0};
    ASSERT_TRUE(server->sendTo(id, tagged("big", pattern(kLarge, 4))));
    ASSERT_TRUE(server->sendTo(id, tagged("after", "tail")));
    ASSERT_TRUE(server->sendTo(id, new Bytes("quiet", false, &released)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    linger lg{1, 0}; // vanish with a reset, nothing read
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    ::close(fd);
    clients.clear();
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.failed.size() == 2; }));
    handler.w.read([&] {
        EXPECT_EQ(tags(handler.failed), (std::vector<std::string>{"big", "after"}));
        EXPECT_TRUE(handler.completed.empty());
        return 0;
    });
    // The unsignalled one goes back through release(), right after the others.
    EXPECT_TRUE(handler.w.waitUntil([&] { return released.load() == 1; }));
    EXPECT_TRUE(waitForClients(0));
}

TEST_F(ServerTest, StopReleasesPendingObjectsWithoutSignals)
{
    startServer(4);
    connectAndWait(1);
    const unsigned id = idAt(0);
    std::atomic<int> released{0};
    ASSERT_TRUE(server->sendTo(id, new Bytes(pattern(kLarge, 5), true, &released)));
    ASSERT_TRUE(server->sendTo(id, new Bytes("queued", true, &released)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server->stop();
    EXPECT_EQ(released.load(), 2);
    handler.w.read([&] {
        EXPECT_TRUE(handler.completed.empty());
        EXPECT_TRUE(handler.failed.empty());
        return 0;
    });
}
