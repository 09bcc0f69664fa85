#pragma once

#include <atomic>

#include "tessaly/core/Runnable.h"

namespace tessaly::concurrent {

class ThreadPool;

// One pool worker: takes tasks until stopped or the queue is cancelled.
class ThreadWorker : public tessaly::core::Runnable {
public:
    ThreadWorker(ThreadPool* pool, int index);
    ~ThreadWorker() override;

    void run() override;
    void stop() { stop_.store(true); }

private:
    ThreadPool* pool_;
    int index_;
    std::atomic<bool> stop_{false};
};

} // namespace tessaly::concurrent
