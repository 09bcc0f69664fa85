#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <functional>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/Thread.h"

using namespace tessaly::core;

namespace {

class Counting : public Runnable {
public:
    Counting(std::atomic<int>& runs, std::atomic<int>& releases) : runs_(runs), releases_(releases) {}
    void run() override { ++runs_; }
    void release() override
    {
        ++releases_;
        delete this;
    }

private:
    std::atomic<int>& runs_;
    std::atomic<int>& releases_;
};

class Fn : public Runnable {
public:
    explicit Fn(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }
    std::function<void()> f_;
};

} // namespace

TEST(ThreadTest, RunsOnceAndReleasesOwnedRunnable)
{
    std::atomic<int> runs{0}, releases{0};
    {
        Thread t(new Counting(runs, releases), true);
        t.join();
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(releases, 0) << "released only by the destructor";
    }
    EXPECT_EQ(releases, 1);

    Counting* kept = new Counting(runs, releases);
    {
        Thread t(kept, false);
    }
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(releases, 1) << "a runnable the thread does not own stays with the caller";
    kept->release();
}

TEST(ThreadTest, NullRunnableStartsAndEnds)
{
    Thread t(nullptr, true);
    t.join();
    SUCCEED();
}

TEST(ThreadTest, ConstructorReturnsAfterStartAndIdsDiffer)
{
    std::atomic<ThreadHandle> inside{0};
    std::atomic<bool> go{false};
    Thread t(new Fn([&] {
        inside = Thread::self();
        while (!go)
            Thread::sleep(1);
    }), true);
    go = true;
    t.join();
    EXPECT_EQ(inside.load(), t.getId());
    EXPECT_NE(Thread::self(), t.getId());
}

TEST(ThreadTest, PriorityValuesAndErrors)
{
    std::atomic<bool> go{false};
    std::atomic<int> tid{0};
    Thread t(new Fn([&] {
        tid = static_cast<int>(gettid());
        while (!go)
            Thread::sleep(1);
    }), true);
    while (!tid)
        Thread::sleep(1);
    EXPECT_EQ(t.getPriority(), ThreadPriorityNormal);
    try {
        t.setPriority(ThreadPolicyDefault, static_cast<ThreadPriority>(3));
        ADD_FAILURE() << "priority 3 accepted";
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Invalid thread priority.");
    }
    EXPECT_THROW(t.setPriority(ThreadPolicyDefault, static_cast<ThreadPriority>(-1)), IllegalArgumentException);
    EXPECT_EQ(t.getPriority(), ThreadPriorityNormal) << "a refused value leaves the priority alone";

    t.setPriority(ThreadPolicyDefault, ThreadPriorityLowest);
    EXPECT_EQ(t.getPriority(), ThreadPriorityLowest);
    errno = 0;
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(tid.load())), 19) << "lowest maps to nice 19";
    // Setting the current value again must not touch the platform: a level
    // changed behind the Thread's back stays as it is.
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid.load()), 5) == 0) {  // needs privileges
        t.setPriority(ThreadPolicyDefault, ThreadPriorityLowest);
        EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(tid.load())), 5) << "same value: no platform call";
        t.setPriority(ThreadPolicyDefault, ThreadPriorityNormal);
        EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(tid.load())), 0);
    }
    go = true;
}

TEST(ThreadTest, SleepWaitsAtLeastTheGivenTime)
{
    const auto start = std::chrono::steady_clock::now();
    Thread::sleep(30);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 29);
    Thread::sleep(0);
    Thread::yield();
}
