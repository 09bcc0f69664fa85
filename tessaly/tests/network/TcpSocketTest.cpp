// TcpSocket against plain loopback peers: connecting, pieced writes,
// reads, errors and the socket streams.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <vector>

#include "LoopbackHelpers.h"
#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketInputStream.h"
#include "tessaly/network/SocketOutputStream.h"
#include "tessaly/network/TcpSocket.h"

using namespace tessaly::network;
using namespace tessaly::network::test;
using tessaly::core::String;

namespace {

struct ErrorRecorder : SocketHandlerBase {
    void readyToRead(int) override {}
    void handleError(SocketErrorAction a, SocketErrorCode c) override { errors.emplace_back(a, c); }
    std::vector<std::pair<SocketErrorAction, SocketErrorCode>> errors;
};

// Records the size of every piece handed to the platform.
class PieceRecordingSocket : public TcpSocket {
public:
    std::vector<int> pieces;

protected:
    int sendPiece(const char* data, int n) override
    {
        const int r = TcpSocket::sendPiece(data, n);
        if (r > 0)
            pieces.push_back(r);
        return r;
    }
};

} // namespace

TEST(TcpSocketTest, FreshSocketIsNotConnected)
{
    TcpSocket s;
    EXPECT_FALSE(s.isConnected());
    EXPECT_TRUE(s.isInvalid());
    char buf[4];
    EXPECT_EQ(s.read(buf, 4), -1);
    EXPECT_EQ(s.write("x", 1, 100), -1);
    EXPECT_EQ(s.availableReadBytes(), -1);
    s.close(); // harmless
}

TEST(TcpSocketTest, RefusedConnectionIsReportedWithItsCode)
{
    const int port = freePort();
    ErrorRecorder handler;
    TcpSocket s;
    s.setSocketHandler(&handler);
    EXPECT_FALSE(s.connect(String("127.0.0.1"), port, 5000));
    EXPECT_FALSE(s.isConnected());
    EXPECT_TRUE(s.isInvalid());
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].first, SocketErrorConnect);
    EXPECT_EQ(handler.errors[0].second, SocketErrorConnectionRefused);
    EXPECT_FALSE(s.connect(String("no-such-host.invalid"), 80, 1000));
}

TEST(TcpSocketTest, SameHostAndPortReturnsAtOnceOtherPortReconnects)
{
    Listener a, b;
    TcpSocket s;
    ASSERT_TRUE(s.connect(String("127.0.0.1"), a.port, 5000));
    const int first = a.accept();
    ASSERT_GE(first, 0);
    EXPECT_EQ(s.getPeerName(), String("127.0.0.1"));
    EXPECT_EQ(s.getPeerPort(), a.port);
    EXPECT_TRUE(s.connect(String("127.0.0.1"), a.port, 5000));
    EXPECT_FALSE(a.pending(300)); // no second connection was made
    ASSERT_TRUE(s.connect(String("127.0.0.1"), b.port, 5000));
    EXPECT_TRUE(peerClosed(first)); // the first one was closed
    const int second = b.accept();
    EXPECT_GE(second, 0);
    EXPECT_EQ(s.getPeerPort(), b.port);
    s.close();
    EXPECT_FALSE(s.isConnected());
    EXPECT_TRUE(s.getPeerName().isEmpty());
    EXPECT_EQ(s.getPeerPort(), 0);
    ::close(first);
    ::close(second);
}

TEST(TcpSocketTest, TenThousandBytesGoOutInPiecesOf4096)
{
    Listener l;
    PieceRecordingSocket s;
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    ASSERT_GE(peer, 0);
    const std::string data = pattern(10000);
    std::string received;
    std::thread reader([&] { received = readUpTo(peer, data.size()); });
    EXPECT_EQ(s.write(data.data(), 10000, 10000), 10000);
    reader.join();
    EXPECT_EQ(received, data);
    // Each piece is at most 4 096; with a peer that keeps up they are full.
    int total = 0;
    for (int p : s.pieces) {
        EXPECT_LE(p, 4096);
        total += p;
    }
    EXPECT_EQ(total, 10000);
    if (s.pieces.size() == 3) {
        EXPECT_EQ(s.pieces, (std::vector<int>{4096, 4096, 1808}));
    }
    ::close(peer);
}

TEST(TcpSocketTest, WriteGivesUpWhenThePeerStopsReading)
{
    Listener l;
    TcpSocket s;
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    const std::string big = pattern(32 << 20);
    const int sent = s.write(big.data(), static_cast<int>(big.size()), 300);
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, static_cast<int>(big.size()));
    ::close(peer);
}

TEST(TcpSocketTest, ReadsAndPeerClose)
{
    Listener l;
    ErrorRecorder handler;
    TcpSocket s;
    s.setSocketHandler(&handler);
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    char buf[64];
    EXPECT_EQ(s.read(buf, sizeof buf), -1); // nothing there yet: would block, no error
    EXPECT_TRUE(handler.errors.empty());
    ASSERT_TRUE(sendAll(peer, "hello"));
    for (int i = 0; i < 2000 && s.availableReadBytes() < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(s.availableReadBytes(), 5);
    EXPECT_EQ(s.read(buf, sizeof buf), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    ::close(peer);
    int r = -1;
    for (int i = 0; i < 2000 && r < 0; ++i) {
        r = s.read(buf, sizeof buf);
        if (r < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(r, 0);
}

TEST(TcpSocketTest, WriteToAResetPeerReportsAbort)
{
    Listener l;
    ErrorRecorder handler;
    TcpSocket s;
    s.setSocketHandler(&handler);
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    linger lg{1, 0}; // close with a reset
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    ::close(peer);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string data = pattern(100000);
    int r = 0;
    for (int i = 0; i < 50 && r >= 0; ++i)
        r = s.write(data.data(), static_cast<int>(data.size()), 1000);
    EXPECT_EQ(r, -1);
    ASSERT_FALSE(handler.errors.empty());
    EXPECT_EQ(handler.errors.back().first, SocketErrorWrite);
    EXPECT_EQ(handler.errors.back().second, SocketErrorConnectionAborted);
}

TEST(TcpSocketTest, StreamsCountAndReadLines)
{
    Listener l;
    TcpSocket s;
    ASSERT_TRUE(s.connect("127.0.0.1", l.port));
    const int peer = l.accept();
    SocketOutputStream* out = s.getSocketOutputStream();
    EXPECT_EQ(out, s.getSocketOutputStream());
    EXPECT_TRUE(out->writeInt(0x01020304));
    EXPECT_EQ(out->printf("%s\r\n", "line"), 6);
    EXPECT_EQ(out->getPosition(), 10);
    EXPECT_TRUE(out->flush());
    EXPECT_EQ(readUpTo(peer, 10), std::string("\x04\x03\x02\x01line\r\n", 10));

    SocketInputStream* in = s.getSocketInputStream();
    EXPECT_EQ(in, s.getSocketInputStream());
    EXPECT_EQ(in->getTotalCount(), -1);
    EXPECT_FALSE(in->setPosition(0));
    ASSERT_TRUE(sendAll(peer, "first\r\nsecond\n"));
    for (int i = 0; i < 2000 && s.availableReadBytes() < 14; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(in->available());
    tessaly::io::BufferedInputStream lines(in, false);
    EXPECT_EQ(lines.readNextLine(), String("first"));
    EXPECT_EQ(lines.readNextLine(), String("second"));
    EXPECT_EQ(in->getPosition(), 14);
    ::close(peer);
}
