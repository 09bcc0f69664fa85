#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>

#include "SimulatedLogger.h"
#include "tessaly/core/Date.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/Thread.h"
#include "tessaly/frkt/DUMPADownloader.h"
#include "tessaly/frkt/LOOPDownloader.h"

using namespace tessaly::frkt;
using tessaly::core::Date;
using tessaly::core::int64;
using tessaly::core::Thread;
using tessaly::sync::CommSynchronizer;

namespace {

bool waitFor(const std::function<bool()>& cond, int ms = 30000)
{
    for (int w = 0; w < ms; w += 5) {
        if (cond())
            return true;
        Thread::sleep(5);
    }
    return cond();
}

DataTime toDataTime(const Date& d)
{
    DataTime t{};
    t.year = static_cast<std::uint16_t>(d.getYear());
    t.month = static_cast<std::uint8_t>(d.getMonth());
    t.day = static_cast<std::uint8_t>(d.getDayOfMonth());
    t.hour = static_cast<std::uint8_t>(d.getHour());
    t.minute = static_cast<std::uint8_t>(d.getMinute());
    return t;
}

Date minuteOf(const Date& d)
{
    return Date(d.getYear(), d.getMonth(), d.getDayOfMonth(), d.getHour(), d.getMinute(), 0, 0);
}

class CountingHandler : public DUMPADownloaderHandler {
public:
    void downloadFinished() override
    {
        ++finished;
        if (onFinish)
            onFinish();
    }
    std::atomic<int> finished{0};
    std::function<void()> onFinish;
};

// The whole line: pty, logger, synchroniser and transport.
struct Line {
    explicit Line(int timeout = 2000, int period = 10) : sync(timeout, period), logger(pty.master), transport(&sync, pty.slave)
    {
        sync.setCommHandler(&transport);
        logger.start();
    }
    // Detach the transport before it is destroyed: the send thread runs on.
    ~Line() { sync.setCommHandler(nullptr); }
    PtyPair pty;
    CommSynchronizer sync;
    SimulatedLogger logger;
    PtyTransport transport;
};

} // namespace

TEST(DUMPAFormatTest, WireBytesOf14December2016)
{
    unsigned char out[32];
    const int n = DUMPADownloader::formatCommand(Date(2016, 11, 13, 10, 5, 0, 0), 99, out);
    ASSERT_EQ(n, 27);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 27), "\"DUMPA 20 11 13 10 05 99\"\r\n");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(LOOPDownloader::_loopCommand), 8), "\"LOOP\"\r\n");
    EXPECT_EQ(DUMPADownloader::_maxExceptCnt, 99);
}

TEST(DUMPADownloaderTest, BatchesOf99AtTheirRecordTimes)
{
    CommSynchronizer sync(1000, 10);
    CountingHandler handler;
    DeviceKey key;
    key.keyPending = 1;  // hold the download in the key wait while we look
    DUMPADownloader dl(&sync, &handler, 5, &key);
    const Date start = minuteOf(Date::now().addMinutes(-5 * 250));
    ASSERT_TRUE(dl.startDownload(toDataTime(start), 7, "station 7"));
    EXPECT_EQ(dl.getState(), DUMPADownloader::StateKeyWait);
    EXPECT_EQ(dl.getNumber(), 7);
    EXPECT_STREQ(dl.getText().text(), "station 7");
    const auto items = dl.getQueue();
    ASSERT_EQ(items.size(), 3u);
    const int64 interval = 5 * 60000LL;
    EXPECT_EQ(items[0].count, 99);
    EXPECT_EQ(items[1].count, 99);
    EXPECT_EQ(items[2].count, 52);
    EXPECT_EQ(items[0].time - start, 100 * interval);
    EXPECT_EQ(items[1].time - start, 199 * interval);
    EXPECT_EQ(items[2].time - start, 298 * interval);
    EXPECT_FALSE(dl.startDownload(toDataTime(start), 1, "again")) << "one download at a time";
    EXPECT_EQ(dl.getQueue().size(), 3u);
}

TEST(DUMPADownloaderTest, NinetyNineAndHundredIntervals)
{
    CommSynchronizer sync(1000, 10);
    DeviceKey key;
    key.keyPending = 1;
    DUMPADownloader a(&sync, nullptr, 1, &key);
    ASSERT_TRUE(a.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-99))), 0, nullptr));
    auto qa = a.getQueue();
    ASSERT_EQ(qa.size(), 1u);
    EXPECT_EQ(qa[0].count, 99);
    DUMPADownloader b(&sync, nullptr, 1, &key);
    ASSERT_TRUE(b.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-100))), 0, nullptr));
    auto qb = b.getQueue();
    ASSERT_EQ(qb.size(), 2u);
    EXPECT_EQ(qb[0].count, 99);
    EXPECT_EQ(qb[1].count, 1);
}

TEST(DUMPADownloaderTest, NothingToFetchOrBadInput)
{
    CommSynchronizer sync(1000, 10);
    CountingHandler handler;
    DUMPADownloader dl(&sync, &handler, 5, nullptr);
    EXPECT_FALSE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(3))), 0, "future"));
    EXPECT_FALSE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-4))), 0, "under one interval"));
    EXPECT_EQ(dl.getState(), DUMPADownloader::StateIdle);
    DataTime bad{};
    bad.year = 2016;
    bad.month = 1;
    bad.day = 30;  // 31 February
    EXPECT_THROW(dl.startDownload(bad, 0, ""), tessaly::core::IllegalArgumentException);
    DUMPADownloader zero(&sync, &handler, 0, nullptr);
    EXPECT_FALSE(zero.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-100))), 0, ""));
    EXPECT_EQ(handler.finished, 0);
}

TEST(DUMPADownloaderTest, RefusedKeyAbandonsTheDownload)
{
    CommSynchronizer sync(1000, 10);
    CountingHandler handler;
    DeviceKey key;
    key.keyPending = 1;
    key.keyStatus = DeviceKey::_statusRefused;
    DUMPADownloader dl(&sync, &handler, 1, &key);
    ASSERT_TRUE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-10))), 0, ""));
    ASSERT_TRUE(waitFor([&] { return handler.finished.load() == 1; }));
    EXPECT_EQ(dl.getState(), DUMPADownloader::StateIdle);
    EXPECT_TRUE(dl.getQueue().empty());
    EXPECT_FALSE(sync.hasPendingRequest()) << "nothing was sent";
}

TEST(DUMPADownloaderTest, FullDownloadOverAPseudoTerminal)
{
    Line line;
    CountingHandler handler;
    DeviceKey key;
    key.keyPending = 1;
    std::atomic<int> repliesAtFinish{-1};
    handler.onFinish = [&] { repliesAtFinish = static_cast<int>(line.transport.replies().size()); };
    DUMPADownloader dl(&line.sync, &handler, 5, &key);
    const Date start = minuteOf(Date::now().addMinutes(-5 * 250));
    ASSERT_TRUE(dl.startDownload(toDataTime(start), 1, "x"));
    const auto items = dl.getQueue();
    Thread::sleep(60);
    EXPECT_TRUE(line.logger.commands().empty()) << "nothing goes out before the key is ready";
    key.keyPending = 0;
    ASSERT_TRUE(waitFor([&] { return handler.finished.load() == 1; }));
    const auto commands = line.logger.commands();
    ASSERT_EQ(commands.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        unsigned char expected[32];
        const int n = DUMPADownloader::formatCommand(items[i].time, items[i].count, expected);
        EXPECT_EQ(commands[i], std::string(reinterpret_cast<char*>(expected), static_cast<size_t>(n)));
    }
    EXPECT_EQ(commands[2].substr(22, 2), "52");
    // The end is reported only once the last reply is in, not when the
    // last command was merely queued.
    EXPECT_EQ(repliesAtFinish, 3);
    EXPECT_EQ(line.transport.replies().back(), "RECORDS 52");
    EXPECT_EQ(handler.finished, 1);
}

TEST(DUMPADownloaderTest, SilentLoggerIsCoveredByTheTimeout)
{
    Line line(300, 10);
    line.logger.silentEvery = 2;  // the second command is never answered
    CountingHandler handler;
    DUMPADownloader dl(&line.sync, &handler, 1, nullptr);
    ASSERT_TRUE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-250))), 0, ""));
    ASSERT_TRUE(waitFor([&] { return handler.finished.load() == 1; }));
    EXPECT_EQ(line.logger.commands().size(), 3u);
    EXPECT_EQ(line.transport.replies().size(), 2u);
}

TEST(DUMPADownloaderTest, HandlerStartsTheNextDownloadFromFinished)
{
    Line line;
    CountingHandler handler;
    DUMPADownloader dl(&line.sync, &handler, 1, nullptr);
    std::atomic<bool> second{false};
    handler.onFinish = [&] {
        if (handler.finished.load() == 1)
            second = dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-20))), 2, "second");
    };
    ASSERT_TRUE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-10))), 1, "first"));
    ASSERT_TRUE(waitFor([&] { return handler.finished.load() == 2; }));
    EXPECT_TRUE(second);
    EXPECT_EQ(line.logger.commands().size(), 2u);
}

TEST(DUMPADownloaderTest, SuspendEndsTheWaitForAReply)
{
    Line line(60000, 10);  // a reply that never comes would block for a minute
    line.logger.silentEvery = 1;
    CountingHandler handler;
    DUMPADownloader dl(&line.sync, &handler, 1, nullptr);
    ASSERT_TRUE(dl.startDownload(toDataTime(minuteOf(Date::now().addMinutes(-150))), 0, ""));
    ASSERT_TRUE(waitFor([&] { return line.logger.commands().size() == 1; }));
    ASSERT_TRUE(waitFor([&] { return dl.getState() == DUMPADownloader::StateReplyWait; }));
    dl.suspendSingleDownload();
    EXPECT_EQ(dl.getState(), DUMPADownloader::StateSend);
    line.sync.setIdle();  // the application gives the line back as well
    ASSERT_TRUE(waitFor([&] { return line.logger.commands().size() == 2; }));
    ASSERT_TRUE(waitFor([&] { return dl.getState() == DUMPADownloader::StateReplyWait; }));
    dl.suspendSingleDownload();
    EXPECT_EQ(dl.getState(), DUMPADownloader::StateIdle);
    EXPECT_EQ(handler.finished, 1);
    dl.suspendSingleDownload();  // idle: nothing happens
    EXPECT_EQ(handler.finished, 1);
}

TEST(LOOPDownloaderTest, OneLoopPerIntervalOverAPseudoTerminal)
{
    Line line;
    const auto start = std::chrono::steady_clock::now();
    {
        LOOPDownloader loop(&line.sync, 200);
        Thread::sleep(1300);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    const auto commands = line.logger.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_LE(static_cast<long long>(commands.size()), ms / 200 + 1) << "at most one LOOP per interval";
    for (const auto& c : commands)
        EXPECT_EQ(c, "\"LOOP\"\r\n");
    EXPECT_TRUE(waitFor([&] { return line.transport.replies().size() == commands.size(); }));
}

TEST(LOOPDownloaderTest, UnansweredLoopFreesTheLineAfterTheTimeout)
{
    Line line(150, 10);
    line.logger.silentEvery = 1;  // the logger never answers
    {
        LOOPDownloader loop(&line.sync, 20);
        ASSERT_TRUE(waitFor([&] { return line.logger.commands().size() >= 3; }));
    }
    EXPECT_TRUE(line.transport.replies().empty());
}
