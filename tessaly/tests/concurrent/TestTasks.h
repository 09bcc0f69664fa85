#pragma once

#include <atomic>
#include <functional>

#include "tessaly/concurrent/ThreadPoolTask.h"
#include "tessaly/core/Thread.h"

// Pool task running a function and counting its runs and releases.
class FnTask : public tessaly::concurrent::ThreadPoolTask {
public:
    FnTask(std::function<void()> f, std::atomic<int>* released = nullptr) : f_(std::move(f)), released_(released) {}
    void run() override
    {
        seenThreadId = getCurrentThreadID();
        f_();
    }
    void release() override
    {
        if (released_)
            ++*released_;
        delete this;
    }
    int seenThreadId = -2;

private:
    std::function<void()> f_;
    std::atomic<int>* released_;
};

// Polls cond for up to 30 s; a loaded machine may be slow, never this slow.
inline bool waitFor(const std::function<bool()>& cond, int ms = 30000)
{
    for (int waited = 0; waited < ms; waited += 2) {
        if (cond())
            return true;
        tessaly::core::Thread::sleep(2);
    }
    return cond();
}
