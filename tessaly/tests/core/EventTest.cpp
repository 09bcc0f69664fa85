#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>

#include "tessaly/core/Event.h"
#include "tessaly/core/Thread.h"

using namespace tessaly::core;

namespace {
class Fn : public Runnable {
public:
    explicit Fn(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }
    std::function<void()> f_;
};
} // namespace

TEST(EventTest, ManualResetStaysSetUntilReset)
{
    Event e(true, false);
    EXPECT_FALSE(e.wait(0));
    EXPECT_FALSE(e.wait(20));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(10));
    e.reset();
    EXPECT_FALSE(e.wait(0));
    Event initially(true, true);
    EXPECT_TRUE(initially.wait(0));
}

TEST(EventTest, AutoResetReleasesOneWait)
{
    Event e(false, true);
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.wait(0)) << "consumed by the first wait";
    e.set();
    EXPECT_TRUE(e.wait(100));
    EXPECT_FALSE(e.wait(10));
}

TEST(EventTest, ManualSetWakesEveryWaiter)
{
    Event e(true, false);
    std::atomic<int> woke{0};
    auto waiter = [&] {
        if (e.wait(30000))
            ++woke;
    };
    Thread a(new Fn(waiter), true), b(new Fn(waiter), true), c(new Fn(waiter), true);
    Thread::sleep(20);
    e.set();
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(woke, 3);
}

TEST(EventTest, WaitBelowMinusOneMeansNoLimit)
{
    Event e(true, false);
    std::atomic<int> result{-1};
    Thread t(new Fn([&] { result = e.wait(-5) ? 1 : 0; }), true);
    Thread::sleep(100);
    EXPECT_EQ(result, -1) << "a negative time-out must not return early";
    e.set();
    t.join();
    EXPECT_EQ(result, 1);
}
