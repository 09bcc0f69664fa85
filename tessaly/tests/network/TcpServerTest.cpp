// The server's life cycle, id codes, limits, echo and statistics.
#include <arpa/inet.h>

#include <cstring>

#include "ServerFixture.h"

using namespace tessaly::network;
using namespace tessaly::network::test;
using tessaly::core::String;

TEST_F(ServerTest, MaximumIsCappedAndStartIsIdempotent)
{
    TcpSocketServer* big = SocketServerManager::get()->getTcpSocketServer(10000, &handler, false);
    EXPECT_EQ(big->maxConnectionCount(), 4096u);
    SocketServerManager::get()->releaseTcpSocketServer(big);
    SocketServerManager::get()->releaseTcpSocketServer(nullptr);

    startServer(8);
    EXPECT_EQ(server->maxConnectionCount(), 8u);
    char error[64] = "untouched";
    EXPECT_TRUE(server->start("127.0.0.1", static_cast<unsigned short>(port), error, sizeof error));
    EXPECT_TRUE(server->start("127.0.0.1", static_cast<unsigned short>(port + 1), error, sizeof error));
    EXPECT_STREQ(error, "untouched");
    // Still the first port: the second start did not rebind.
    EXPECT_GE(connectAndWait(1), 0);
}

TEST_F(ServerTest, BindingAPortInUseFails)
{
    Listener busy;
    TcpSocketServer* s = SocketServerManager::get()->getTcpSocketServer(4, &handler, false);
    char error[128] = "";
    EXPECT_FALSE(s->start("127.0.0.1", static_cast<unsigned short>(busy.port), error, sizeof error));
    EXPECT_STREQ(error, "Failed to bind the listen Socket.");
    char small[8];
    EXPECT_FALSE(s->start("127.0.0.1", static_cast<unsigned short>(busy.port), small, sizeof small));
    EXPECT_STREQ(small, "Failed ");
    EXPECT_FALSE(s->start("not.an.address", 1, error, sizeof error));
    EXPECT_STREQ(error, "Failed to bind the listen Socket.");
    Bytes unsent("x", false);
    EXPECT_FALSE(s->sendTo(1u << 20 | 1, &unsent)); // never started
    SocketServerManager::get()->releaseTcpSocketServer(s);
}

TEST_F(ServerTest, IdCodesFollowSlotAndSequence)
{
    startServer(16);
    for (std::size_t i = 1; i <= 4; ++i)
        connectAndWait(i);
    EXPECT_EQ(idAt(0), (0u << 20) | 1);
    EXPECT_EQ(idAt(1), (1u << 20) | 2);
    EXPECT_EQ(idAt(3), 3145732u);
    EXPECT_EQ(server->clientsCount(), 4u);
    const unsigned id = idAt(3);
    EXPECT_EQ(handler.w.read([&] { return handler.addresses[id]; }), htonl(INADDR_LOOPBACK));
    EXPECT_NE(handler.w.read([&] { return handler.ports[id]; }), 0);

    // A closed client's slot goes back to the end of the free list.
    ::close(clients[0]);
    clients.erase(clients.begin());
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    EXPECT_EQ(handler.w.read([&] { return handler.closedIds[0]; }), idAt(0));
    EXPECT_TRUE(waitForClients(3));
    connectAndWait(5);
    EXPECT_EQ(idAt(4), (4u << 20) | 5);
}

TEST_F(ServerTest, FullPoolRefusesTheNextClient)
{
    startServer(3);
    for (std::size_t i = 1; i <= 3; ++i)
        connectAndWait(i);
    const int extra = connectClient();
    ASSERT_GE(extra, 0); // accepted by the system, then closed by the server
    EXPECT_TRUE(peerClosed(extra));
    EXPECT_TRUE(handler.w.waitUntil([&] { return server->stats().contains("The refuse connection count is 1."); }));
    EXPECT_EQ(server->clientsCount(), 3u);
    EXPECT_EQ(handler.w.read([&] { return handler.ids.size(); }), 3u);
}

TEST_F(ServerTest, EchoesDataOfEverySize)
{
    handler.echo = true;
    startServer(8);
    const int fd = connectAndWait(1);
    std::size_t total = 0;
    for (std::size_t size : {1u, 100u, 4095u, 4096u, 4097u, 65536u, 1000000u}) {
        const std::string data = pattern(size, static_cast<unsigned>(size));
        std::thread writer([&] { sendAll(fd, data); });
        const std::string back = readUpTo(fd, size);
        writer.join();
        EXPECT_EQ(back.size(), size);
        EXPECT_TRUE(back == data) << "size " << size;
        total += size;
    }
    const unsigned id = idAt(0);
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.received[id].size() == total; }));
    // Echo objects need no signal: all went back through release().
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.echoReleased.load() > 0; }));
    EXPECT_TRUE(handler.w.read([&] { return handler.completed.empty() && handler.failed.empty(); }));
}

TEST_F(ServerTest, ManyClientsEchoAtOnce)
{
    handler.echo = true;
    startServer(64);
    constexpr int kClients = 40;
    for (std::size_t i = 1; i <= kClients; ++i)
        connectAndWait(i);
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            const int fd = clients[static_cast<std::size_t>(i)];
            for (int round = 0; round < 20; ++round) {
                const std::string msg = pattern(128, static_cast<unsigned>(i * 100 + round));
                if (!sendAll(fd, msg) || readUpTo(fd, msg.size()) != msg)
                    return;
            }
            good.fetch_add(1);
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good.load(), kClients);
}

TEST_F(ServerTest, StatsTextListsTheSlotsInUse)
{
    startServer(4);
    connectAndWait(1);
    connectAndWait(2);
    ::close(clients[0]);
    clients.erase(clients.begin());
    EXPECT_TRUE(handler.w.waitUntil([&] { return handler.closedIds.size() == 1; }));
    // The slot returns to the free list just after closed() was called.
    for (int i = 0; i < 2000 && !server->stats().contains("FreeList is 3."); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const String text = server->stats();
    const std::string s = text.text();
    const std::string start = "Begin to stats\nThe start time of this server is ";
    ASSERT_EQ(s.compare(0, start.size(), start), 0) << s;
    // "yyyy-mm-dd hh:mm:ss" follows.
    const std::string stamp = s.substr(start.size(), 19);
    EXPECT_EQ(stamp[4], '-');
    EXPECT_EQ(stamp[13], ':');
    const std::string rest = s.substr(start.size() + 19);
    EXPECT_EQ(rest, ".\nThe peak connection count is 2"
                    ".\nThe refuse connection count is 0"
                    ".\nThe total count is 2"
                    ".\nThe resource count in FreeList is 3"
                    ".\nThe current client count is 1.\n"
                    "The following idCode is used.\n"
                    "idCode = 1048578, index = 1.\n");
}

TEST_F(ServerTest, RestartsAfterStop)
{
    handler.echo = true;
    startServer(4);
    int fd = connectAndWait(1);
    server->stop();
    EXPECT_TRUE(waitForClients(0));
    EXPECT_TRUE(peerClosed(fd));
    auto* late = new Bytes("late", false);
    EXPECT_FALSE(server->sendTo(idAt(0), late)); // stopped: the object stays ours
    delete late;
    server->stop(); // twice is harmless
    char error[64] = "";
    ASSERT_TRUE(server->start("127.0.0.1", static_cast<unsigned short>(port), error, sizeof error)) << error;
    fd = connectAndWait(2);
    EXPECT_EQ(idAt(1), (0u << 20) | 1); // the sequence starts again
    ASSERT_TRUE(sendAll(fd, "again"));
    EXPECT_EQ(readUpTo(fd, 5), "again");
}

TEST(ServerOwnershipTest, OwnedHandlerIsReleasedWithTheServer)
{
    Recorder handler;
    TcpSocketServer* s = SocketServerManager::get()->getTcpSocketServer(2, &handler, true);
    EXPECT_EQ(handler.server(), s);
    SocketServerManager::get()->releaseTcpSocketServer(s);
    EXPECT_TRUE(handler.released);
}
