// The notifier thread: data and close notifications, callbacks that close
// or delete sockets, many sockets, descriptors above 1 023.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>

#include <atomic>
#include <memory>
#include <vector>

#include "LoopbackHelpers.h"
#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketLibrary.h"
#include "tessaly/network/TcpSocket.h"
#include "tessaly/network/TcpSocketNotifier.h"

using namespace tessaly::network;
using namespace tessaly::network::test;

namespace {

// Reads whatever arrives inside the callback and counts close reports.
struct ReadingHandler : SocketHandlerBase {
    explicit ReadingHandler(TcpSocket* s = nullptr) : socket(s) {}
    void readyToRead(int count) override
    {
        if (count == 0) {
            waiter.update([&] { ++closes; });
            if (closeOnEnd)
                socket->close();
            if (deleteOnEnd) {
                delete socket;
                socket = nullptr;
            }
            return;
        }
        char buf[4096];
        const int r = socket->read(buf, sizeof buf);
        waiter.update([&] {
            if (r > 0)
                data.append(buf, static_cast<std::size_t>(r));
            ++calls;
        });
    }
    void handleError(SocketErrorAction, SocketErrorCode) override {}

    TcpSocket* socket;
    bool closeOnEnd = false;
    bool deleteOnEnd = false;
    Waiter waiter;
    std::string data;
    int calls = 0;
    int closes = 0;
};

class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override { loadSocketLibrary(); }
    void TearDown() override { unloadSocketLibrary(); }
};

} // namespace

TEST_F(NotifierTest, LoadingTwiceKeepsOneNotifier)
{
    TcpSocketNotifier* n = TcpSocketNotifier::instance();
    ASSERT_NE(n, nullptr);
    loadSocketLibrary();
    EXPECT_EQ(TcpSocketNotifier::instance(), n);
}

TEST_F(NotifierTest, DataArrivesAndPeerCloseIsReportedOnce)
{
    Listener l;
    TcpSocket s;
    ReadingHandler h(&s);
    s.setSocketHandler(&h);
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    EXPECT_TRUE(TcpSocketNotifier::instance()->isRegistered(&s));
    const int peer = l.accept();
    ASSERT_TRUE(sendAll(peer, "ping"));
    EXPECT_TRUE(h.waiter.waitUntil([&] { return h.data == "ping"; }));
    ::close(peer);
    EXPECT_TRUE(h.waiter.waitUntil([&] { return h.closes == 1; }));
    EXPECT_TRUE(s.isEndOfInput());
    // The socket is no longer polled: no further reports.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(h.waiter.read([&] { return h.closes; }), 1);
    s.close();
    EXPECT_FALSE(TcpSocketNotifier::instance()->isRegistered(&s));
}

TEST_F(NotifierTest, ClosingOrDeletingInsideTheCallbackIsSafe)
{
    Listener l;
    std::vector<std::unique_ptr<ReadingHandler>> handlers;
    std::vector<int> peers;
    std::vector<TcpSocket*> owned;
    for (int i = 0; i < 6; ++i) {
        auto* s = new TcpSocket;
        auto h = std::make_unique<ReadingHandler>(s);
        h->closeOnEnd = i % 2 == 0;
        h->deleteOnEnd = i % 2 == 1; // the handler deletes its socket
        s->setSocketHandler(h.get());
        ASSERT_TRUE(s->connect("127.0.0.1", l.port));
        peers.push_back(l.accept());
        if (i % 2 == 0)
            owned.push_back(s);
        handlers.push_back(std::move(h));
    }
    // All peers close at once, so one round reports several sockets.
    for (int p : peers)
        ::close(p);
    for (auto& h : handlers)
        EXPECT_TRUE(h->waiter.waitUntil([&] { return h->closes == 1; }));
    EXPECT_EQ(TcpSocketNotifier::instance()->registeredCount(), 0);
    for (TcpSocket* s : owned) {
        EXPECT_FALSE(s->isConnected());
        delete s;
    }
}

TEST_F(NotifierTest, MoreThanSixtyFourSocketsAreAllNotified)
{
    Listener l;
    constexpr int kCount = 80;
    // Handlers first: the sockets go (and leave the notifier) before them.
    std::vector<std::unique_ptr<ReadingHandler>> handlers;
    std::vector<std::unique_ptr<TcpSocket>> sockets;
    std::vector<int> peers;
    for (int i = 0; i < kCount; ++i) {
        sockets.push_back(std::make_unique<TcpSocket>());
        handlers.push_back(std::make_unique<ReadingHandler>(sockets.back().get()));
        sockets.back()->setSocketHandler(handlers.back().get());
        ASSERT_TRUE(sockets.back()->connect("127.0.0.1", l.port));
        peers.push_back(l.accept());
        ASSERT_GE(peers.back(), 0);
    }
    EXPECT_EQ(TcpSocketNotifier::instance()->registeredCount(), kCount);
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(sendAll(peers[static_cast<std::size_t>(i)], "n" + std::to_string(i)));
    for (int i = 0; i < kCount; ++i) {
        auto& h = *handlers[static_cast<std::size_t>(i)];
        EXPECT_TRUE(h.waiter.waitUntil([&] { return h.data == "n" + std::to_string(i); })) << i;
    }
    for (int p : peers)
        ::close(p);
}

TEST_F(NotifierTest, DescriptorsAbove1023AreWatched)
{
    rlimit lim;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &lim), 0);
    if (lim.rlim_cur < 1200) {
        lim.rlim_cur = std::min<rlim_t>(lim.rlim_max, 1200);
        setrlimit(RLIMIT_NOFILE, &lim);
    }
    if (lim.rlim_cur < 1200)
        GTEST_SKIP() << "descriptor limit too low";
    std::vector<int> filler;
    while (filler.empty() || filler.back() < 1030)
        filler.push_back(::open("/dev/null", O_RDONLY));
    Listener l;
    TcpSocket s;
    ReadingHandler h(&s);
    s.setSocketHandler(&h);
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    EXPECT_GT(s.getHandle(), 1023);
    const int peer = l.accept();
    ASSERT_TRUE(sendAll(peer, "high"));
    EXPECT_TRUE(h.waiter.waitUntil([&] { return h.data == "high"; }));
    s.close();
    ::close(peer);
    for (int fd : filler)
        ::close(fd);
}

TEST_F(NotifierTest, SocketsWithoutLibraryGetNoNotifications)
{
    unloadSocketLibrary();
    EXPECT_EQ(TcpSocketNotifier::instance(), nullptr);
    Listener l;
    TcpSocket s;
    ReadingHandler h(&s);
    s.setSocketHandler(&h);
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    sendAll(peer, "quiet");
    EXPECT_FALSE(h.waiter.waitUntil([&] { return h.calls > 0; }, std::chrono::milliseconds(500)));
    char buf[8];
    for (int i = 0; i < 2000 && s.availableReadBytes() < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(s.read(buf, sizeof buf), 5); // still usable directly
    ::close(peer);
    loadSocketLibrary(); // for TearDown
}
