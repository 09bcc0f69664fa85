#pragma once

#include "tessaly/core/Runnable.h"

namespace tessaly::concurrent {

// A unit of work for ThreadPool; the pool gives it back through release()
// after running it (or when it is dropped by stop()).
class ThreadPoolTask : public tessaly::core::Runnable {
public:
    ~ThreadPoolTask() override = default;
    void run() override = 0;
    void release() override = 0;

    // The index of the worker running the task, -1 when not running.
    void setCurrentThreadID(int id) { currentThreadId_ = id; }
    int getCurrentThreadID() const { return currentThreadId_; }

private:
    int currentThreadId_ = -1;
};

} // namespace tessaly::concurrent
