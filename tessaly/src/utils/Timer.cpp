#include "tessaly/utils/Timer.h"

#include <cstdio>
#include <exception>

#include "tessaly/core/Exception.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/ScopedLock.h"
#include "utils/LocalClock.h"
#include "utils/TaskQueue.h"

namespace tessaly::utils {

using tessaly::core::Date;
using tessaly::core::IllegalArgumentException;
using tessaly::core::Mutex;
using tessaly::core::ScopedLock;
using tessaly::core::uint64;

class TimerExecutor : public tessaly::core::Runnable {
public:
    explicit TimerExecutor(Timer* timer) : timer_(timer) {}
    void run() override;
    void stop() { stop_.store(true); }

private:
    void runTask(TimerTask* task);

    Timer* timer_;
    std::atomic<bool> stop_{false};
};

void TimerExecutor::runTask(TimerTask* task)
{
    // A failing task must not end the timer thread.
    try {
        task->run();
    } catch (const tessaly::core::Exception& e) {
        timer_->failedRuns_.fetch_add(1);
        std::fprintf(stderr, "Timer: task failed:%s", e.printException().text());
    } catch (const std::exception& e) {
        timer_->failedRuns_.fetch_add(1);
        std::fprintf(stderr, "Timer: task failed: %s\n", e.what());
    } catch (...) {
        timer_->failedRuns_.fetch_add(1);
        std::fprintf(stderr, "Timer: task failed with an unknown exception\n");
    }
}

void TimerExecutor::run()
{
    Mutex& mutex = timer_->mutex_;
    TaskQueue& queue = *timer_->queue_;
    mutex.lock(-1);
    while (!stop_.load()) {
        if (queue.isEmpty()) {
            timer_->wake_.reset();
            mutex.unlock();
            timer_->wake_.wait(-1);
            mutex.lock(-1);
            continue;
        }
        TimerTask* task = queue.top();
        if (task->cancelled_ || task->count_ == 0) {
            queue.removeTop();
            task->release();
            continue;
        }
        const tessaly::core::int64 nowMs = localMillisSince1900();
        const uint64 now = static_cast<uint64>(nowMs / 1000);
        if (now < task->next_) {
            timer_->wake_.reset();
            mutex.unlock();
            // Sleep to the start of the due second (not a whole number of
            // seconds from a truncated now, which would add up to a second).
            const tessaly::core::int64 waitMs = static_cast<tessaly::core::int64>(task->next_) * 1000 - nowMs;
            // Wake at least every hour so a clock change is noticed.
            const int ms = waitMs > 3600000 ? 3600000 : static_cast<int>(waitMs);
            timer_->wake_.wait(ms);
            mutex.lock(-1);
            continue;
        }
        if (task->count_ != -1)
            --task->count_;
        if (task->period_ < 0) {
            task->next_ = now + static_cast<uint64>(-static_cast<long long>(task->period_));
            queue.reorder(task);
        }
        mutex.unlock();
        runTask(task);
        mutex.lock(-1);
        if (task->period_ >= 0) {
            task->next_ = Timer::nowSeconds() + static_cast<uint64>(task->period_);
            queue.reorder(task);
        }
    }
    mutex.unlock();
}

Timer::Timer() : queue_(new TaskQueue), wake_(true, false)
{
    executor_ = new TimerExecutor(this);
    thread_ = new tessaly::core::Thread(executor_, true);
}

Timer::~Timer()
{
    executor_->stop();
    wake_.set();
    delete thread_;  // joins and releases the executor
    ScopedLock<Mutex> guard(mutex_);
    queue_->releaseAll();
    delete queue_;
}

uint64 Timer::nowSeconds()
{
    return static_cast<uint64>(localMillisSince1900() / 1000);
}

void Timer::sched(TimerTask* task, uint64 time, int period, int count)
{
    ScopedLock<Mutex> guard(mutex_);
    // The timer owns a task once; a second entry would release it twice.
    if (queue_->contains(task))
        throw IllegalArgumentException("Task is already scheduled for Timer.", __FILE__, __LINE__);
    task->next_ = time;
    task->period_ = period;
    task->count_ = count < -1 ? -1 : count;
    task->cancelled_ = false;
    queue_->add(task);
    wake_.set();
}

void Timer::schedule(TimerTask* task, Date& at)
{
    if (!task)
        throw IllegalArgumentException("Task can't be NULL for Timer.", __FILE__, __LINE__);
    sched(task, static_cast<uint64>(at.toMilliseconds() / 1000), 0, 1);
}

void Timer::schedule(TimerTask* task, Date& first, int period, int count)
{
    if (!task || period <= 0)
        throw IllegalArgumentException("Task can't be NULL or period must be greater then 0 for Timer.", __FILE__,
                                       __LINE__);
    sched(task, static_cast<uint64>(first.toMilliseconds() / 1000), -period, count);
}

void Timer::scheduleAtFixedRate(TimerTask* task, Date& first, int period, int count)
{
    if (!task || period <= 0)
        throw IllegalArgumentException("Task can't be NULL or period must be greater then 0 for Timer.", __FILE__,
                                       __LINE__);
    sched(task, static_cast<uint64>(first.toMilliseconds() / 1000), period, count);
}

void Timer::schedule(TimerTask* task, int delay)
{
    if (!task || delay < 0)
        throw IllegalArgumentException("Task can't be NULL or delay must be equal and greater then 0 for Timer.",
                                       __FILE__, __LINE__);
    sched(task, nowSeconds() + static_cast<uint64>(delay), 0, 1);
}

namespace {
const char* const kRepeatDelayText =
    "Task can't be or delay must be equal \t\t\tand greater than 0 and period must be greater than 0 for Timer.";
}

void Timer::schedule(TimerTask* task, int delay, int period, int count)
{
    if (!task || delay < 0 || period <= 0)
        throw IllegalArgumentException(kRepeatDelayText, __FILE__, __LINE__);
    sched(task, nowSeconds() + static_cast<uint64>(delay), -period, count);
}

void Timer::scheduleAtFixedRate(TimerTask* task, int delay, int period, int count)
{
    if (!task || delay < 0 || period <= 0)
        throw IllegalArgumentException(kRepeatDelayText, __FILE__, __LINE__);
    sched(task, nowSeconds() + static_cast<uint64>(delay), period, count);
}

bool Timer::remove(TimerTask* task)
{
    ScopedLock<Mutex> guard(mutex_);
    if (!task || !queue_->contains(task))
        return false;
    task->cancelled_ = true;
    // Let the executor drop it now rather than at its old due time.
    wake_.set();
    return true;
}

int Timer::getQueuedCount()
{
    ScopedLock<Mutex> guard(mutex_);
    return queue_->size();
}

} // namespace tessaly::utils
