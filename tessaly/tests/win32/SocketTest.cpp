#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Loopback.h"
#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketLibrary.h"
#include "tessaly/network/TcpSocket.h"
#include "tessaly/network/TcpSocketNotifier.h"

using namespace tessaly::network;

namespace {

class Recorder : public SocketHandlerBase {
public:
    void readyToRead(int count) override
    {
        if (count == 0)
            ended.store(true);
        else
            readable.fetch_add(1);
    }
    void handleError(SocketErrorAction action, SocketErrorCode code) override
    {
        lastAction.store(action);
        lastCode.store(code);
    }
    std::atomic<int> readable{0};
    std::atomic<bool> ended{false};
    std::atomic<int> lastAction{-1};
    std::atomic<int> lastCode{-100};
};

template <class F>
bool waitUntil(F f, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!f()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A plain listening socket that accepts one peer.
class OnePeerServer {
public:
    OnePeerServer()
    {
        win32test::startWinsock();
        listen_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        ::listen(listen_, 5);
    }
    ~OnePeerServer()
    {
        if (peer != INVALID_SOCKET)
            ::closesocket(peer);
        ::closesocket(listen_);
    }
    void accept() { peer = ::accept(listen_, nullptr, nullptr); }

    unsigned short port = 0;
    SOCKET peer = INVALID_SOCKET;

private:
    SOCKET listen_;
};

} // namespace

TEST(Win32Socket, NotifierReportsDataThenTheEndOfInput)
{
    loadSocketLibrary();
    OnePeerServer server;
    Recorder recorder;
    TcpSocket socket;
    socket.setSocketHandler(&recorder);
    ASSERT_TRUE(socket.connect(tessaly::core::String("127.0.0.1"), server.port, 5000));
    server.accept();
    ASSERT_NE(server.peer, INVALID_SOCKET);
    EXPECT_TRUE(TcpSocketNotifier::instance()->isRegistered(&socket));

    ASSERT_EQ(::send(server.peer, "hello", 5, 0), 5);
    ASSERT_TRUE(waitUntil([&] { return recorder.readable.load() > 0; }));
    EXPECT_EQ(socket.availableReadBytes(), 5);
    char buf[16] = {};
    EXPECT_EQ(socket.read(buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "hello");
    // Nothing waiting: a non-blocking read says so instead of blocking.
    EXPECT_EQ(socket.read(buf, sizeof buf), -1);

    // More than the socket buffers hold: write waits for the peer to read.
    const std::string big(2000000, 'x');
    std::size_t got = 0;
    std::thread reader([&] {
        char in[65536];
        while (got < big.size()) {
            const int r = ::recv(server.peer, in, sizeof in, 0);
            if (r <= 0)
                break;
            got += static_cast<std::size_t>(r);
        }
    });
    EXPECT_EQ(socket.write(big.data(), static_cast<int>(big.size()), 20000), static_cast<int>(big.size()));
    reader.join();
    EXPECT_EQ(got, big.size());

    ::closesocket(server.peer);
    server.peer = INVALID_SOCKET;
    ASSERT_TRUE(waitUntil([&] { return recorder.ended.load(); }));
    EXPECT_TRUE(socket.isEndOfInput());
    socket.close();
    EXPECT_FALSE(TcpSocketNotifier::instance()->isRegistered(&socket));
    unloadSocketLibrary();
}

TEST(Win32Socket, RefusedConnectionIsReportedAsRefused)
{
    loadSocketLibrary();
    const unsigned short port = win32test::freePort();
    Recorder recorder;
    TcpSocket socket;
    socket.setSocketHandler(&recorder);
    EXPECT_FALSE(socket.connect(tessaly::core::String("127.0.0.1"), port, 5000));
    EXPECT_FALSE(socket.isConnected());
    EXPECT_EQ(recorder.lastAction.load(), SocketErrorConnect);
    EXPECT_EQ(recorder.lastCode.load(), SocketErrorConnectionRefused);
    unloadSocketLibrary();
}
