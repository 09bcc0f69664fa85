#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "TestTasks.h"
#include "tessaly/concurrent/BlockingQueue.h"
#include "tessaly/concurrent/LinkedList.h"

using namespace tessaly::concurrent;
using tessaly::core::Runnable;
using tessaly::core::Thread;

namespace {
class Fn : public Runnable {
public:
    explicit Fn(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }
    std::function<void()> f_;
};
} // namespace

TEST(LinkedListTest, FifoOrderAndCount)
{
    LinkedList<int> list;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(list.push(i));
    EXPECT_EQ(list.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.pop(), i);
    int v;
    EXPECT_FALSE(list.tryPop(v));
    EXPECT_EQ(list.size(), 0);
}

TEST(LinkedListTest, CancelWakesEveryWaiterAndRefusesPush)
{
    LinkedList<int> list;
    std::atomic<int> cancelled{0};
    std::string message;
    auto waiter = [&] {
        try {
            list.pop();
        } catch (const CancellationException& e) {
            if (++cancelled == 1)
                message = e.getDescription().text();
        }
    };
    Thread a(new Fn(waiter), true), b(new Fn(waiter), true), c(new Fn(waiter), true);
    Thread::sleep(30);
    list.cancel();
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(cancelled, 3);
    EXPECT_EQ(message, "LinkedList has been cancelled.");
    EXPECT_FALSE(list.push(1));
}

TEST(LinkedListTest, ManyProducersOneConsumerLoseNothing)
{
    LinkedList<int> list;
    constexpr int perProducer = 20000;
    auto producer = [&](int base) {
        return [&list, base] {
            for (int i = 0; i < perProducer; ++i)
                list.push(base + i);
        };
    };
    long long sum = 0;
    int received = 0;
    {
        Thread consumer(new Fn([&] {
            for (int i = 0; i < 3 * perProducer; ++i) {
                sum += list.pop();
                ++received;
            }
        }), true);
        Thread p1(new Fn(producer(0)), true), p2(new Fn(producer(perProducer)), true),
            p3(new Fn(producer(2 * perProducer)), true);
    }
    EXPECT_EQ(received, 3 * perProducer);
    const long long n = 3LL * perProducer;
    EXPECT_EQ(sum, n * (n - 1) / 2);
}

TEST(BlockingQueueTest, GetTimesOutThenDelivers)
{
    BlockingQueue<int> q;
    try {
        q.get(30);
        ADD_FAILURE() << "no time-out";
    } catch (const TimeoutException& e) {
        EXPECT_STREQ(e.getDescription().text(), "BlockingQueue_get is timeout.");
    }
    q.put(1);
    q.putFront(0);
    EXPECT_EQ(q.get(0), 0);
    EXPECT_EQ(q.get(-1), 1);
    std::atomic<int> got{-1};
    Thread t(new Fn([&] { got = q.get(30000); }), true);
    Thread::sleep(20);
    q.put(7);
    t.join();
    EXPECT_EQ(got, 7);
}

TEST(BlockingQueueTest, CancelAndReset)
{
    BlockingQueue<int> q;
    std::string message;
    Thread t(new Fn([&] {
        try {
            q.get(-1);
        } catch (const CancellationException& e) {
            message = e.getDescription().text();
        }
    }), true);
    Thread::sleep(20);
    q.cancel();
    t.join();
    EXPECT_EQ(message, "BlockingQueue_get is cancelled ");
    EXPECT_FALSE(q.put(3));
    q.reset();
    EXPECT_TRUE(q.put(4));
    EXPECT_EQ(q.size(), 1);
    EXPECT_EQ(q.get(0), 4);
}
