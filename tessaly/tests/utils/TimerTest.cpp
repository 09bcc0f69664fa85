#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/Thread.h"
#include "tessaly/utils/Timer.h"

using namespace tessaly::utils;
using tessaly::core::Date;
using tessaly::core::IllegalArgumentException;
using tessaly::core::Thread;

namespace {

struct Probe {
    std::atomic<int> runs{0};
    std::atomic<int> released{0};
    std::mutex m;
    std::vector<std::chrono::steady_clock::time_point> times;
};

class ProbeTask : public TimerTask {
public:
    explicit ProbeTask(Probe& p, std::function<void()> extra = {}) : p_(p), extra_(std::move(extra)) {}
    void run() override
    {
        {
            std::lock_guard<std::mutex> g(p_.m);
            p_.times.push_back(std::chrono::steady_clock::now());
        }
        ++p_.runs;
        if (extra_)
            extra_();
    }
    void release() override
    {
        ++p_.released;
        delete this;
    }

private:
    Probe& p_;
    std::function<void()> extra_;
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

void expectText(const std::function<void()>& f, const char* text)
{
    try {
        f();
        ADD_FAILURE() << "accepted, expected: " << text;
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), text);
    }
}

} // namespace

TEST(TimerTest, ValidationTexts)
{
    Timer timer;
    Probe p;
    Date when = Date::now();
    const char* repeat =
        "Task can't be or delay must be equal \t\t\tand greater than 0 and period must be greater than 0 for Timer.";
    expectText([&] { timer.schedule(nullptr, when); }, "Task can't be NULL for Timer.");
    expectText([&] { timer.schedule(nullptr, when, 5, 1); },
               "Task can't be NULL or period must be greater then 0 for Timer.");
    ProbeTask task(p);
    expectText([&] { timer.schedule(&task, when, 0, 1); },
               "Task can't be NULL or period must be greater then 0 for Timer.");
    expectText([&] { timer.scheduleAtFixedRate(&task, when, -1, 1); },
               "Task can't be NULL or period must be greater then 0 for Timer.");
    expectText([&] { timer.schedule(&task, -1); },
               "Task can't be NULL or delay must be equal and greater then 0 for Timer.");
    expectText([&] { timer.schedule(nullptr, 0); },
               "Task can't be NULL or delay must be equal and greater then 0 for Timer.");
    expectText([&] { timer.schedule(&task, 0, 0, 3); }, repeat);
    expectText([&] { timer.schedule(&task, -1, 5, 3); }, repeat);
    expectText([&] { timer.scheduleAtFixedRate(&task, 0, 0, 3); }, repeat);
    expectText([&] { timer.scheduleAtFixedRate(nullptr, 0, 5, 3); }, repeat);
    EXPECT_EQ(timer.getQueuedCount(), 0);
    EXPECT_EQ(p.runs, 0);
}

TEST(TimerTest, DelayZeroRunsOnceAndIsReleased)
{
    Probe p;
    Timer timer;
    timer.schedule(new ProbeTask(p), 0);
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 1; }));
    EXPECT_EQ(p.runs, 1);
    EXPECT_EQ(timer.getQueuedCount(), 0);
}

TEST(TimerTest, PastDateRunsAtOnce)
{
    Probe p;
    Timer timer;
    Date past = Date::now().addSeconds(-100);
    timer.schedule(new ProbeTask(p), past);
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 1; }));
    EXPECT_EQ(p.runs, 1);
}

TEST(TimerTest, FixedDelayPeriodFiveCountThree)
{
    Probe p;
    Timer timer;
    timer.schedule(new ProbeTask(p), 0, 5, 3);
    ASSERT_TRUE(waitFor([&] { return p.released.load() == 1; }, 60000));
    EXPECT_EQ(p.runs, 3);
    std::lock_guard<std::mutex> g(p.m);
    ASSERT_EQ(p.times.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(p.times[i] - p.times[i - 1]).count();
        // Whole seconds on the wall clock: between 4 and 6 s apart.
        EXPECT_GE(gap, 3900) << i;
        EXPECT_LE(gap, 7000) << i;
    }
}

TEST(TimerTest, CountBelowMinusOneRunsUntilRemoved)
{
    Probe p;
    Timer timer;
    auto* task = new ProbeTask(p);
    timer.scheduleAtFixedRate(task, 0, 1, -2);
    EXPECT_EQ(task->getRemainingRuns(), -1);
    ASSERT_TRUE(waitFor([&] { return p.runs.load() >= 3; }, 60000));
    EXPECT_TRUE(timer.remove(task));
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 1; }));
    const int runs = p.runs.load();
    Thread::sleep(1500);
    EXPECT_EQ(p.runs.load(), runs) << "a removed task never runs again";
}

TEST(TimerTest, RemoveUnknownAndPendingTasks)
{
    Probe p;
    Timer timer;
    ProbeTask stranger(p);
    EXPECT_FALSE(timer.remove(&stranger));
    EXPECT_FALSE(timer.remove(nullptr));
    auto* later = new ProbeTask(p);
    timer.schedule(later, 3600);
    EXPECT_TRUE(timer.remove(later));
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 1; }));
    EXPECT_EQ(p.runs, 0);
}

TEST(TimerTest, TaskMayScheduleAndRemoveFromItsRun)
{
    Probe p, q;
    Timer timer;
    auto* victim = new ProbeTask(q);
    timer.schedule(victim, 3600);
    timer.schedule(new ProbeTask(p, [&] {
        timer.remove(victim);
        timer.schedule(new ProbeTask(q), 0);
    }), 0);
    EXPECT_TRUE(waitFor([&] { return q.runs.load() == 1 && q.released.load() == 2; }));
    EXPECT_EQ(p.runs, 1);
}

TEST(TimerTest, SurvivesThrowingTask)
{
    Probe p;
    Timer timer;
    timer.schedule(new ProbeTask(p, [] { throw std::runtime_error("task failure"); }), 0);
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 1; }));
    timer.schedule(new ProbeTask(p), 0);
    EXPECT_TRUE(waitFor([&] { return p.released.load() == 2; }));
    EXPECT_EQ(p.runs, 2);
    EXPECT_EQ(timer.getFailedRunCount(), 1);
}

TEST(TimerTest, DestructionReleasesPendingTasks)
{
    Probe p;
    {
        Timer timer;
        for (int i = 0; i < 200; ++i)  // beyond the initial heap capacity of 128
            timer.schedule(new ProbeTask(p), 3600 + i);
        EXPECT_EQ(timer.getQueuedCount(), 200);
    }
    EXPECT_EQ(p.released, 200);
    EXPECT_EQ(p.runs, 0);
}

TEST(TimerTest, SchedulingATaskTwiceIsRefused)
{
    Probe p;
    Timer timer;
    auto* task = new ProbeTask(p);
    timer.schedule(task, 3600);
    EXPECT_THROW(timer.schedule(task, 10), IllegalArgumentException);
    EXPECT_EQ(timer.getQueuedCount(), 1);
}

TEST(TimerTest, EarlierTaskWakesTheExecutor)
{
    Probe late, early;
    Timer timer;
    timer.schedule(new ProbeTask(late), 3600);
    Thread::sleep(50);  // the executor now sleeps towards the hour-away task
    timer.schedule(new ProbeTask(early), 0);
    EXPECT_TRUE(waitFor([&] { return early.runs.load() == 1; }));
    EXPECT_EQ(late.runs, 0);
}
