#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "tessaly/core/Mutex.h"
#include "tessaly/core/ScopedLock.h"
#include "tessaly/core/SpinLock.h"
#include "tessaly/core/Thread.h"

using namespace tessaly::core;
using Clock = std::chrono::steady_clock;

namespace {

// Runs a function on a Thread; joined by the destructor.
class FnRunnable : public Runnable {
public:
    explicit FnRunnable(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }

private:
    std::function<void()> f_;
};

long long msSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

} // namespace

TEST(MutexTest, ReentrantForOwnerAndExclusiveForOthers)
{
    Mutex m;
    ASSERT_TRUE(m.lock(-1));
    ASSERT_TRUE(m.lock(100));
    ASSERT_TRUE(m.tryLock());
    std::atomic<int> otherGot{-1};
    {
        Thread t(new FnRunnable([&] { otherGot = m.tryLock() ? 1 : 0; }), true);
    }
    EXPECT_EQ(otherGot, 0);
    m.unlock();
    m.unlock();
    {
        Thread t(new FnRunnable([&] { otherGot = m.lock(0) ? 1 : 0; }), true);
    }
    EXPECT_EQ(otherGot, 0) << "one level still held";
    m.unlock();
    {
        Thread t(new FnRunnable([&] {
            otherGot = m.lock(1000) ? 1 : 0;
            if (otherGot)
                m.unlock();
        }), true);
    }
    EXPECT_EQ(otherGot, 1);
}

TEST(MutexTest, TimedLockGivesUpAfterTimeout)
{
    Mutex m;
    m.lock();
    std::atomic<int> result{-1};
    std::atomic<long long> waited{0};
    {
        Thread t(new FnRunnable([&] {
            const auto start = Clock::now();
            result = m.lock(50) ? 1 : 0;
            waited = msSince(start);
        }), true);
    }
    m.unlock();
    EXPECT_EQ(result, 0);
    EXPECT_GE(waited, 45);
}

TEST(SpinLockTest, NotReentrantAndTimesOut)
{
    SpinLock s;
    ASSERT_TRUE(s.lock(-1));
    EXPECT_FALSE(s.tryLock()) << "not re-entrant";
    EXPECT_FALSE(s.lock(0));
    std::atomic<int> zero{-1}, timed{-1};
    std::atomic<long long> waited{0};
    {
        Thread t(new FnRunnable([&] {
            zero = s.lock(0) ? 1 : 0;
            const auto start = Clock::now();
            timed = s.lock(50) ? 1 : 0;
            waited = msSince(start);
        }), true);
    }
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(timed, 0);
    EXPECT_GE(waited, 45);
    EXPECT_LT(waited, 30000);
    s.unlock();
    EXPECT_TRUE(s.lock(0));
    s.unlock();
}

TEST(SpinLockTest, UnlimitedWaitAcquiresWhenReleased)
{
    SpinLock s;
    s.lock();
    std::atomic<bool> got{false};
    Thread t(new FnRunnable([&] { got = s.lock(-1); s.unlock(); }), true);
    Thread::sleep(20);
    EXPECT_FALSE(got);
    s.unlock();
    t.join();
    EXPECT_TRUE(got);
}

TEST(LockTest, CountersStayExactUnderContention)
{
    Mutex m;
    SpinLock s;
    long mutexCount = 0, spinCount = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            {
                ScopedLock<Mutex> g(m);
                ++mutexCount;
            }
            ScopedLock2<SpinLock> g2(&s);
            ++spinCount;
        }
    };
    {
        Thread a(new FnRunnable(work), true);
        Thread b(new FnRunnable(work), true);
    }
    EXPECT_EQ(mutexCount, 40000);
    EXPECT_EQ(spinCount, 40000);
}

TEST(LockTest, ScopedUnlockReleasesForItsScope)
{
    Mutex m;
    ScopedLock<Mutex> g(m);
    std::atomic<int> got{-1};
    {
        ScopedUnlock<Mutex> u(m);
        Thread t(new FnRunnable([&] {
            got = m.tryLock() ? 1 : 0;
            if (got)
                m.unlock();
        }), true);
    }
    EXPECT_EQ(got, 1);
    Thread t(new FnRunnable([&] { got = m.tryLock() ? 1 : 0; }), true);
    t.join();
    EXPECT_EQ(got, 0) << "re-locked after the ScopedUnlock";
}
