#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "TestTasks.h"
#include "tessaly/concurrent/ThreadPool.h"
#include "tessaly/core/Event.h"

using namespace tessaly::concurrent;
using tessaly::core::Event;
using tessaly::core::Thread;

TEST(ThreadPoolTest, ZeroThreadsMeansSixteen)
{
    ThreadPool pool(0);
    EXPECT_EQ(pool.getThreadCount(), 16);
    pool.start();
    // All 16 workers are live: 16 tasks can block at the same time.
    Event gate(true, false);
    std::atomic<int> inside{0};
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(pool.submit(new FnTask([&] {
            ++inside;
            gate.wait(30000);
        })));
    EXPECT_TRUE(waitFor([&] { return inside.load() == 16; }));
    EXPECT_EQ(pool.getBusyThreadCount(), 16);
    gate.set();
    pool.stop();
    EXPECT_EQ(pool.getBusyThreadCount(), 0);
    EXPECT_EQ(ThreadPool(-3).getThreadCount(), 16);
}

TEST(ThreadPoolTest, SubmitRefusedBeforeStartAndAfterStop)
{
    ThreadPool pool(2);
    std::atomic<int> runs{0};
    FnTask early([&] { ++runs; });
    EXPECT_FALSE(pool.submit(&early));
    pool.start();
    pool.stop();
    FnTask late([&] { ++runs; });
    EXPECT_FALSE(pool.submit(&late));
    EXPECT_EQ(runs, 0);
}

TEST(ThreadPoolTest, RunsEveryTaskOnceAndReleasesIt)
{
    std::atomic<int> runs{0}, released{0};
    {
        ThreadPool pool(4);
        pool.start();
        for (int i = 0; i < 2000; ++i) {
            auto* t = new FnTask([&] { ++runs; }, &released);
            ASSERT_TRUE(pool.submit(t));
        }
        EXPECT_TRUE(waitFor([&] { return released.load() == 2000; }));
        EXPECT_EQ(pool.getTaskCount(), 0);
        ASSERT_TRUE(pool.submit(new FnTask([&] {}, &released)));
        EXPECT_TRUE(waitFor([&] { return released.load() == 2001; }));
    }
    EXPECT_EQ(runs, 2000);
}

TEST(ThreadPoolTest, WorkerIndexIsVisibleToTheTask)
{
    ThreadPool pool(3);
    pool.start();
    std::atomic<int> seen{-5};
    class Probe : public ThreadPoolTask {
    public:
        explicit Probe(std::atomic<int>& s) : s_(s) {}
        void run() override { s_ = getCurrentThreadID(); }
        void release() override { delete this; }
        std::atomic<int>& s_;
    };
    ASSERT_TRUE(pool.submit(new Probe(seen)));
    EXPECT_TRUE(waitFor([&] { return seen.load() != -5; }));
    EXPECT_GE(seen.load(), 0);
    EXPECT_LT(seen.load(), 3);
}

TEST(ThreadPoolTest, StopWakesIdleWorkersAndReleasesQueuedTasks)
{
    ThreadPool pool(2);
    pool.start();
    Event gate(true, false);
    std::atomic<int> ran{0}, released{0};
    // Two tasks occupy both workers; five more wait in the queue.
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(pool.submit(new FnTask([&] {
            gate.wait(200);
            ++ran;
        }, &released)));
    EXPECT_TRUE(waitFor([&] { return pool.getBusyThreadCount() == 2; }));
    pool.stop();
    EXPECT_EQ(released, 7) << "queued tasks go back to their owner";
    EXPECT_GE(ran, 2);
    EXPECT_LT(ran, 7) << "stop does not run the queue dry";
    EXPECT_EQ(pool.getTaskCount(), 0);

    ThreadPool idle(3);
    idle.start();
    idle.stop();  // workers blocked on an empty queue must wake and end
    SUCCEED();
}

TEST(ThreadPoolTest, ThrowingTaskIsCountedAndWorkerSurvives)
{
    ThreadPool pool(1);
    pool.start();
    std::atomic<int> released{0}, after{0};
    ASSERT_TRUE(pool.submit(new FnTask([] { throw std::runtime_error("boom"); }, &released)));
    ASSERT_TRUE(pool.submit(new FnTask([&] { ++after; }, &released)));
    EXPECT_TRUE(waitFor([&] { return released.load() == 2; }));
    EXPECT_EQ(after, 1) << "the single worker kept going";
    EXPECT_EQ(pool.getFailedTaskCount(), 1);
    EXPECT_EQ(pool.getBusyThreadCount(), 0);
}

TEST(ThreadPoolTest, RestartAfterStop)
{
    ThreadPool pool(2);
    pool.start();
    pool.stop();
    pool.start();
    std::atomic<int> runs{0};
    ASSERT_TRUE(pool.submit(new FnTask([&] { ++runs; })));
    EXPECT_TRUE(waitFor([&] { return runs.load() == 1; }));
}
