#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "TestTasks.h"
#include "tessaly/concurrent/DependentTaskExecutor.h"
#include "tessaly/core/Event.h"

using namespace tessaly::concurrent;
using tessaly::core::Event;
using tessaly::core::int64;

TEST(DependentTaskTest, IdsCarryThePartition)
{
    ThreadPool pool(2);
    pool.start();
    DependentTaskExecutor ex(pool, 2);
    EXPECT_EQ(ex.getPartitionCount(), 4);
    FnTask refused([] {});
    EXPECT_EQ(ex.submit(5, &refused), -1) << "not started: the task stays with the caller";
    ex.start();
    std::atomic<int> released{0};
    int64 last = -1;
    for (int i = 0; i < 5; ++i) {
        const int64 id = ex.submit(5, new FnTask([] {}, &released));
        ASSERT_GE(id, 0);
        EXPECT_EQ(id & 3, 1) << "key 5 lands in partition 01";
        if (last >= 0) {
            EXPECT_EQ(id - last, 4) << "(counter << 2) | partition";
        }
        last = id;
    }
    EXPECT_EQ(ex.submit(0, nullptr), -1);
    EXPECT_TRUE(waitFor([&] { return released.load() == 5; }));
    EXPECT_TRUE(waitFor([&] { return ex.getPendingCount() == 0; }));
    DependentTaskExecutor wide(pool, 9);
    EXPECT_EQ(wide.getPartitionCount(), 64);
    DependentTaskExecutor negative(pool, -1);
    EXPECT_EQ(negative.getPartitionCount(), 64);
}

TEST(DependentTaskTest, ChildWaitsForRunningParentAndRunsAtOnceForFinishedOne)
{
    ThreadPool pool(3);
    pool.start();
    DependentTaskExecutor ex(pool, 3);
    ex.start();
    Event parentGate(true, false);
    std::atomic<bool> parentDone{false}, childRan{false}, childSawParentDone{false};
    const int64 parent = ex.submit(1, new FnTask([&] {
        parentGate.wait(30000);
        parentDone = true;
    }));
    ASSERT_GE(parent, 0);
    const int64 child = ex.submitWithParent(new FnTask([&] {
        childSawParentDone = parentDone.load();
        childRan = true;
    }), parent);
    ASSERT_GE(child, 0);
    EXPECT_EQ(child & 7, parent & 7) << "children live in their parent's partition";
    tessaly::core::Thread::sleep(50);
    EXPECT_FALSE(childRan) << "the parent is still running";
    parentGate.set();
    EXPECT_TRUE(waitFor([&] { return childRan.load(); }));
    EXPECT_TRUE(childSawParentDone);

    // The parent has finished (and been forgotten): a new child runs at once.
    EXPECT_TRUE(waitFor([&] { return ex.getPendingCount() == 0; }));
    std::atomic<bool> late{false};
    ASSERT_GE(ex.submitWithParent(new FnTask([&] { late = true; }), parent), 0);
    EXPECT_TRUE(waitFor([&] { return late.load(); }));
    FnTask orphan([] {});
    EXPECT_EQ(ex.submitWithParent(&orphan, static_cast<int64>(-1)), -1);
}

TEST(DependentTaskTest, ManyParentsAcrossPartitions)
{
    ThreadPool pool(4);
    pool.start();
    DependentTaskExecutor ex(pool, 2);
    ex.start();
    Event gate(true, false);
    std::atomic<int> parentsDone{0};
    std::vector<int64> parents;
    for (int key = 0; key < 3; ++key)
        parents.push_back(ex.submit(key, new FnTask([&] {
            gate.wait(30000);
            ++parentsDone;
        })));
    std::atomic<int> seenAtChild{-1};
    const int64 child = ex.submitWithParent(new FnTask([&] { seenAtChild = parentsDone.load(); }), parents.data(),
                                            static_cast<int>(parents.size()));
    ASSERT_GE(child, 0);
    EXPECT_EQ(child & 3, parents[0] & 3);
    tessaly::core::Thread::sleep(30);
    EXPECT_EQ(seenAtChild, -1);
    gate.set();
    EXPECT_TRUE(waitFor([&] { return seenAtChild.load() != -1; }));
    EXPECT_EQ(seenAtChild, 3) << "the child ran only after all three parents";
}

TEST(DependentTaskTest, ChainRunsInOrderAndFailingParentStillReleasesChild)
{
    ThreadPool pool(2);
    pool.start();
    DependentTaskExecutor ex(pool, 1);
    ex.start();
    std::mutex m;
    std::vector<int> order;
    int64 prev = ex.submit(0, new FnTask([&] {
        std::lock_guard<std::mutex> g(m);
        order.push_back(0);
    }));
    for (int i = 1; i < 20; ++i) {
        prev = ex.submitWithParent(new FnTask([&, i] {
            std::lock_guard<std::mutex> g(m);
            order.push_back(i);
        }), prev);
        ASSERT_GE(prev, 0);
    }
    EXPECT_TRUE(waitFor([&] {
        std::lock_guard<std::mutex> g(m);
        return order.size() == 20;
    }));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[i], i);

    std::atomic<bool> childRan{false};
    const int64 bad = ex.submit(1, new FnTask([] { throw std::runtime_error("parent fails"); }));
    ex.submitWithParent(new FnTask([&] { childRan = true; }), bad);
    EXPECT_TRUE(waitFor([&] { return childRan.load(); }));
}

TEST(DependentTaskTest, StopReleasesWaitingChildren)
{
    std::atomic<int> released{0};
    ThreadPool pool(1);
    pool.start();
    Event gate(true, false);
    {
        DependentTaskExecutor ex(pool, 0);
        ex.start();
        const int64 parent = ex.submit(0, new FnTask([&] { gate.wait(30000); }, &released));
        ex.submitWithParent(new FnTask([] {}, &released), parent);
        ex.submitWithParent(new FnTask([] {}, &released), parent);
        ex.stop();
        EXPECT_EQ(released, 2) << "children that never reached the pool are released by stop";
        FnTask afterStop([] {});
        EXPECT_EQ(ex.submit(0, &afterStop), -1);
    }
    gate.set();
    pool.stop();
    EXPECT_EQ(released, 3);
}
