#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tessaly/core/Thread.h"
#include "tessaly/sync/CommHandler.h"
#include "tessaly/sync/CommSynchronizer.h"

using namespace tessaly::sync;
using tessaly::core::Thread;

namespace {

class RecordingHandler : public CommHandler {
public:
    explicit RecordingHandler(CommSynchronizer* s) : CommHandler(s) {}
    void sendData(unsigned char* data, int length) override
    {
        std::lock_guard<std::mutex> g(m);
        sent.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        if (onSend)
            onSend();
    }
    size_t count()
    {
        std::lock_guard<std::mutex> g(m);
        return sent.size();
    }
    std::mutex m;
    std::vector<std::string> sent;
    std::function<void()> onSend;
    using CommHandler::setBusy;
};

bool waitFor(const std::function<bool()>& cond, int ms = 30000)
{
    for (int w = 0; w < ms; w += 5) {
        if (cond())
            return true;
        Thread::sleep(5);
    }
    return cond();
}

} // namespace

TEST(CommSynchronizerTest, LineFreesItselfOnThe31stBusyCycle)
{
    CommSynchronizer sync(3000, 100);
    RecordingHandler handler(&sync);
    sync.setCommHandler(&handler);
    unsigned char cmd[] = "PING";
    ASSERT_TRUE(sync.addRequest(cmd, 4));
    ASSERT_TRUE(waitFor([&] { return handler.count() == 1; }));
    EXPECT_TRUE(sync.isBusy());
    ASSERT_TRUE(waitFor([&] { return !sync.isBusy(); }, 60000));
    // 100 x 30 = 3000 is not yet over the time-out; 100 x 31 is.
    EXPECT_EQ(sync.getBusyCycles(), 31);
}

TEST(CommSynchronizerTest, OneCommandPendingAtATimeAndBufferGrowth)
{
    CommSynchronizer sync(1000, 10);
    RecordingHandler handler(&sync);
    EXPECT_EQ(sync.getBufferCapacity(), CommSynchronizer::_defaultSize);
    unsigned char big[40];
    for (int i = 0; i < 40; ++i)
        big[i] = static_cast<unsigned char>('A' + i % 26);
    // No transport yet: the request stays pending instead of going nowhere.
    ASSERT_TRUE(sync.addRequest(big, 40));
    EXPECT_EQ(sync.getBufferCapacity(), 40);
    unsigned char small[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_FALSE(sync.addRequest(small, 10)) << "another command is pending";
    Thread::sleep(60);
    EXPECT_TRUE(sync.hasPendingRequest());
    EXPECT_FALSE(sync.isBusy()) << "pending is not busy";
    sync.setCommHandler(&handler);
    ASSERT_TRUE(waitFor([&] { return handler.count() == 1; }));
    ASSERT_TRUE(waitFor([&] { return !sync.hasPendingRequest(); }));
    ASSERT_TRUE(sync.addRequest(small, 10)) << "accepted while the line is still busy";
    EXPECT_EQ(sync.getBufferCapacity(), 40) << "the 40-byte buffer is reused";
    Thread::sleep(60);
    EXPECT_EQ(handler.count(), 1u) << "waits for the line";
    sync.setIdle();
    ASSERT_TRUE(waitFor([&] { return handler.count() == 2; }));
    std::lock_guard<std::mutex> g(handler.m);
    EXPECT_EQ(handler.sent[0], std::string(reinterpret_cast<char*>(big), 40));
    EXPECT_EQ(handler.sent[1], "0123456789");
    EXPECT_FALSE(sync.addRequest(nullptr, 3));
    EXPECT_FALSE(sync.addRequest(small, 0));
}

TEST(CommSynchronizerTest, SetBusyRestartsTheTimeout)
{
    CommSynchronizer sync(200, 20);
    RecordingHandler handler(&sync);
    sync.setCommHandler(&handler);
    handler.setBusy();
    EXPECT_TRUE(sync.isBusy());
    for (int i = 0; i < 5; ++i) {
        Thread::sleep(50);
        sync.setBusy();
    }
    EXPECT_TRUE(sync.isBusy()) << "kept busy by repeated setBusy";
    EXPECT_TRUE(waitFor([&] { return !sync.isBusy(); }));
}

TEST(CommSynchronizerTest, TransportMayCallBackFromSendData)
{
    CommSynchronizer sync(5000, 10);
    RecordingHandler handler(&sync);
    // An instant reply: the transport frees the line from inside sendData.
    handler.onSend = [&] { sync.setIdle(); };
    sync.setCommHandler(&handler);
    unsigned char a[] = "A", b[] = "B";
    ASSERT_TRUE(sync.addRequest(a, 1));
    ASSERT_TRUE(waitFor([&] { return handler.count() == 1; }));
    ASSERT_TRUE(waitFor([&] { return sync.addRequest(b, 1); }));
    // Well inside the 5 s time-out: the idle set during sendData must stick.
    EXPECT_TRUE(waitFor([&] { return handler.count() == 2; }, 2500));
}
