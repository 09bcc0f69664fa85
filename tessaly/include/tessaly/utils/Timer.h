#pragma once

#include <atomic>

#include "tessaly/core/Date.h"
#include "tessaly/core/Event.h"
#include "tessaly/core/Mutex.h"
#include "tessaly/core/NonCopyable.h"
#include "tessaly/core/Thread.h"
#include "tessaly/utils/TimerTask.h"

namespace tessaly::utils {

class TaskQueue;
class TimerExecutor;

// Runs TimerTasks once or repeatedly on one background thread, in order of
// their due time (one-second resolution). Tasks run with the timer's lock
// released, so a task may schedule or remove tasks.
class Timer : public tessaly::core::NonCopyable {
public:
    Timer();
    // Waits for the running task to end; tasks still queued are released.
    ~Timer() override;

    void schedule(TimerTask* task, tessaly::core::Date& at);
    void schedule(TimerTask* task, tessaly::core::Date& first, int period, int count);
    void scheduleAtFixedRate(TimerTask* task, tessaly::core::Date& first, int period, int count);
    void schedule(TimerTask* task, int delay);
    void schedule(TimerTask* task, int delay, int period, int count);
    void scheduleAtFixedRate(TimerTask* task, int delay, int period, int count);

    // Marks a queued task cancelled; it never runs again and is released later.
    bool remove(TimerTask* task);

    int getQueuedCount();
    // Runs that ended with an exception (the timer carries on).
    int getFailedRunCount() const { return failedRuns_.load(); }

private:
    friend class TimerExecutor;
    void sched(TimerTask* task, tessaly::core::uint64 time, int period, int count);
    static tessaly::core::uint64 nowSeconds();

    TaskQueue* queue_;
    TimerExecutor* executor_;
    tessaly::core::Mutex mutex_;
    tessaly::core::Event wake_;
    tessaly::core::Thread* thread_;
    std::atomic<int> failedRuns_{0};
};

} // namespace tessaly::utils
