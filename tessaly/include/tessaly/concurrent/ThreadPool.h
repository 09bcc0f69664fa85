#pragma once

#include <atomic>
#include <list>

#include "tessaly/concurrent/LinkedList.h"
#include "tessaly/concurrent/ThreadPoolTask.h"
#include "tessaly/core/Mutex.h"
#include "tessaly/core/NonCopyable.h"
#include "tessaly/core/Thread.h"

namespace tessaly::concurrent {

class ThreadWorker;

// Fixed number of workers taking tasks from one shared queue.
class ThreadPool : public tessaly::core::NonCopyable {
public:
    // threadCount below 1 means 16.
    explicit ThreadPool(int threadCount);
    ~ThreadPool() override;

    void start();
    // False when the pool is not running; the task then stays with the caller.
    virtual bool submit(ThreadPoolTask* task);
    // Ends every worker; tasks still queued are released without running.
    void stop();

    int getThreadCount() const { return threadCount_; }
    // Submitted and not yet taken by a worker: what waits in the queue.
    int getTaskCount() const;
    int getBusyThreadCount() const { return busyThreads_.load(); }
    // Tasks whose run() ended with an exception (the worker carries on).
    int getFailedTaskCount() const { return failedTasks_.load(); }
    bool isStarted() const { return started_.load(); }

private:
    friend class ThreadWorker;
    void registerWorker(ThreadWorker* w);
    void unregisterWorker(ThreadWorker* w);

    // Read by every submit, written by start and stop only.
    int threadCount_;
    tessaly::core::Thread** threads_;
    std::atomic<bool> started_{false};
    std::atomic<LinkedList<ThreadPoolTask*>*> taskQueue_{nullptr};
    tessaly::core::Mutex workerLock_;
    // Guards start/stop against each other and the queue's removal.
    mutable tessaly::core::Mutex queueLock_;
    std::list<ThreadWorker*> workers_;
    // The counters change with every task; each on a cache line of its own
    // so that they do not slow down the fields above or one another.
    // Submits in progress; stop waits for them before freeing the queue.
    alignas(64) std::atomic<int> submitting_{0};
    alignas(64) std::atomic<int> busyThreads_{0};
    std::atomic<int> failedTasks_{0};
};

} // namespace tessaly::concurrent
