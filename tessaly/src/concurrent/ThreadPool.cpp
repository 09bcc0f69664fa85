#include "tessaly/concurrent/ThreadPool.h"

#include <cstdio>
#include <exception>

#include "concurrent/ThreadWorker.h"
#include "tessaly/core/Exception.h"
#include "tessaly/core/ScopedLock.h"

namespace tessaly::concurrent {

using tessaly::core::Mutex;
using tessaly::core::ScopedLock;

ThreadWorker::ThreadWorker(ThreadPool* pool, int index) : pool_(pool), index_(index) {}

ThreadWorker::~ThreadWorker()
{
    pool_->unregisterWorker(this);
}

void ThreadWorker::run()
{
    LinkedList<ThreadPoolTask*>* queue = pool_->taskQueue_.load();
    while (!stop_.load()) {
        ThreadPoolTask* task;
        try {
            task = queue->pop();
        } catch (const CancellationException&) {
            break;
        }
        if (!task)
            continue;
        task->setCurrentThreadID(index_);
        pool_->busyThreads_.fetch_add(1);
        // A failing task must not cost the pool a worker: count it, say so, go on.
        try {
            task->run();
        } catch (const tessaly::core::Exception& e) {
            pool_->failedTasks_.fetch_add(1);
            std::fprintf(stderr, "ThreadPool worker %d: task failed:%s", index_, e.printException().text());
        } catch (const std::exception& e) {
            pool_->failedTasks_.fetch_add(1);
            std::fprintf(stderr, "ThreadPool worker %d: task failed: %s\n", index_, e.what());
        } catch (...) {
            pool_->failedTasks_.fetch_add(1);
            std::fprintf(stderr, "ThreadPool worker %d: task failed with an unknown exception\n", index_);
        }
        pool_->busyThreads_.fetch_sub(1);
        task->release();
    }
}

ThreadPool::ThreadPool(int threadCount) : threadCount_(threadCount < 1 ? 16 : threadCount)
{
    threads_ = new tessaly::core::Thread*[threadCount_]();
}

ThreadPool::~ThreadPool()
{
    stop();
    delete[] threads_;
}

void ThreadPool::start()
{
    {
        ScopedLock<Mutex> guard(queueLock_);
        if (started_.load() || taskQueue_.load())
            return;
        taskQueue_.store(new LinkedList<ThreadPoolTask*>);
        started_.store(true);
    }
    for (int i = 0; i < threadCount_; ++i) {
        auto* worker = new ThreadWorker(this, i);
        registerWorker(worker);
        threads_[i] = new tessaly::core::Thread(worker, true);
    }
}

bool ThreadPool::submit(ThreadPoolTask* task)
{
    // Lock-free entry: stop() clears started_ and then waits for every
    // submit in progress before it frees the queue.
    submitting_.fetch_add(1);
    LinkedList<ThreadPoolTask*>* queue = taskQueue_.load();
    bool accepted = false;
    if (started_.load() && queue)
        accepted = queue->push(task);
    submitting_.fetch_sub(1);
    return accepted;
}

void ThreadPool::stop()
{
    {
        ScopedLock<Mutex> guard(queueLock_);
        if (!started_.load())
            return;
        started_.store(false);
    }
    {
        ScopedLock<Mutex> guard(workerLock_);
        for (ThreadWorker* w : workers_)
            w->stop();
    }
    taskQueue_.load()->cancel();
    for (int i = 0; i < threadCount_; ++i) {
        delete threads_[i];  // joins, then releases (destroys) the worker
        threads_[i] = nullptr;
    }
    while (submitting_.load() > 0)
        tessaly::core::Thread::yield();
    // Tasks that never ran still go back to their owners.
    LinkedList<ThreadPoolTask*>* queue = taskQueue_.load();
    ThreadPoolTask* left;
    while (queue->tryPop(left)) {
        if (left)
            left->release();
    }
    {
        ScopedLock<Mutex> guard(queueLock_);
        taskQueue_.store(nullptr);
    }
    delete queue;
}

int ThreadPool::getTaskCount() const
{
    ScopedLock<Mutex> guard(queueLock_);
    const LinkedList<ThreadPoolTask*>* queue = taskQueue_.load();
    return queue ? queue->size() : 0;
}

void ThreadPool::registerWorker(ThreadWorker* w)
{
    ScopedLock<Mutex> guard(workerLock_);
    workers_.push_back(w);
}

void ThreadPool::unregisterWorker(ThreadWorker* w)
{
    ScopedLock<Mutex> guard(workerLock_);
    workers_.remove(w);
}

} // namespace tessaly::concurrent
