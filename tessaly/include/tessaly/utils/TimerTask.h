#pragma once

#include "tessaly/core/Runnable.h"
#include "tessaly/core/Types.h"

namespace tessaly::utils {

class Timer;
class TaskQueue;
class TimerExecutor;

// Work for a Timer; the application overrides run(). Once scheduled the
// task belongs to the timer, which gives it back through release().
class TimerTask : public tessaly::core::Runnable {
public:
    TimerTask() = default;
    TimerTask(const TimerTask&) = default;
    TimerTask& operator=(const TimerTask&) = default;
    ~TimerTask() override = default;

    int getPeriod() const { return period_; }
    int getRemainingRuns() const { return count_; }
    tessaly::core::uint64 getNextTime() const { return next_; }
    bool isCancelled() const { return cancelled_; }

private:
    friend class Timer;
    friend class TaskQueue;
    friend class TimerExecutor;

    // 0: one run; negative: next run |period| s after the start of a run;
    // positive: period s after its end.
    int period_ = 0;
    int count_ = 1;  // -1: without end
    tessaly::core::uint64 next_ = 0;  // seconds since 1900, local time
    bool cancelled_ = false;
};

} // namespace tessaly::utils
