#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "tessaly/core/Event.h"
#include "tessaly/core/Mutex.h"
#include "tessaly/core/Runnable.h"
#include "tessaly/core/Thread.h"
#include "tessaly/utils/PerformanceCounter.h"

using namespace tessaly::core;

namespace {

class Counter : public Runnable {
public:
    Counter(Mutex& lock, long& shared, int rounds) : lock_(lock), shared_(shared), rounds_(rounds) {}
    void run() override
    {
        for (int i = 0; i < rounds_; ++i) {
            lock_.lock(-1);
            // Re-entrant: the owner takes it again without blocking itself.
            lock_.lock(-1);
            const long v = shared_;
            if (i % 64 == 0)
                Thread::yield();
            shared_ = v + 1;
            lock_.unlock();
            lock_.unlock();
        }
    }
    void release() override {}

private:
    Mutex& lock_;
    long& shared_;
    int rounds_;
};

class Call : public Runnable {
public:
    template <class F>
    explicit Call(F f) : f_(std::move(f)) {}
    void run() override { f_(); }
    void release() override {}

private:
    std::function<void()> f_;
};

long long msSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count();
}

} // namespace

// Four threads increment one counter under the kernel mutex; a lost update
// would show as a smaller total.
TEST(Win32Threads, MutexSerialisesThreadsAndIsReentrant)
{
    Mutex lock;
    long shared = 0;
    Counter counter(lock, shared, 2000);
    {
        std::vector<std::unique_ptr<Thread>> threads;
        for (int i = 0; i < 4; ++i)
            threads.push_back(std::make_unique<Thread>(&counter));
        for (auto& t : threads) {
            EXPECT_NE(t->getId(), Thread::self());
            t->join();
        }
    }
    EXPECT_EQ(shared, 8000);
}

TEST(Win32Threads, TimedLockGivesUpWhileAnotherThreadHoldsIt)
{
    Mutex lock;
    Event held(true, false);
    Event letGo(true, false);
    Call holder([&] {
        lock.lock(-1);
        held.set();
        letGo.wait(-1);
        lock.unlock();
    });
    Thread t(&holder);
    ASSERT_TRUE(held.wait(10000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(lock.lock(300));
    EXPECT_GE(msSince(start), 250);
    EXPECT_FALSE(lock.tryLock());
    letGo.set();
    t.join();
    EXPECT_TRUE(lock.lock(5000));
    lock.unlock();
}

TEST(Win32Threads, AutomaticResetEventWakesOneWaiterPerSet)
{
    Event event(false, false);
    std::atomic<int> woken{0};
    Call waiter([&] {
        if (event.wait(3000))
            woken.fetch_add(1);
    });
    Thread a(&waiter);
    Thread b(&waiter);
    Thread::sleep(200);
    event.set();
    Thread::sleep(500);
    EXPECT_EQ(woken.load(), 1);
    event.set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 2);
    // Consumed by the wake-up: nothing left for a later wait.
    EXPECT_FALSE(event.wait(0));
}

TEST(Win32Threads, ManualResetEventStaysSetUntilReset)
{
    Event event(true, false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.wait(200));
    EXPECT_GE(msSince(start), 150);
    event.set();
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(event.wait(0));
    event.reset();
    EXPECT_FALSE(event.wait(0));
}

TEST(Win32Threads, PriorityAndSleep)
{
    Event go(true, false);
    Call sleeper([&] { go.wait(5000); });
    Thread t(&sleeper);
    t.setPriority(ThreadPolicyDefault, ThreadPriorityLowest);
    EXPECT_EQ(t.getPriority(), ThreadPriorityLowest);
    go.set();
    t.join();

    tessaly::utils::PerformanceCounter counter;
    EXPECT_GT(counter.frequency(), 0);
    counter.start();
    Thread::sleep(100);
    counter.stop();
    EXPECT_GE(counter.elapse(), 90.0);
    EXPECT_LT(counter.elapse(), 5000.0);
}
