#pragma once

#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

#include "tessaly/concurrent/BlockingQueue.h"
#include "tessaly/concurrent/ThreadPool.h"
#include "tessaly/concurrent/ThreadPoolTask.h"
#include "tessaly/core/NonCopyable.h"
#include "tessaly/core/SpinLock.h"
#include "tessaly/core/Thread.h"
#include "tessaly/core/Types.h"

namespace tessaly::concurrent {

class TaskDispatcher;

// Runs tasks on a pool once the tasks they depend on have finished.
//
// Ownership: a task accepted by submit/submitWithParent (id >= 0) belongs to
// the executor, which calls its release() after it has run, or when the
// executor stops before it could run. A refused task (-1) stays with the caller.
class DependentTaskExecutor : public tessaly::core::NonCopyable {
public:
    // 2^b partitions; b outside 0..6 becomes 6.
    DependentTaskExecutor(ThreadPool& pool, int b);
    ~DependentTaskExecutor() override;

    void start();
    void stop();

    // Task id (its low b bits name the partition of key), or -1.
    tessaly::core::int64 submit(int key, ThreadPoolTask* task);
    tessaly::core::int64 submitWithParent(ThreadPoolTask* task, tessaly::core::int64 parentId);
    tessaly::core::int64 submitWithParent(ThreadPoolTask* task, const tessaly::core::int64* parentIds, int count);

    int getPartitionCount() const { return partitionCount_; }
    // Tasks recorded and not yet finished.
    int getPendingCount() const;

    // Completion queue shared with the wrappers that run on the pool, so a
    // wrapper finishing after the executor is gone touches nothing freed.
    using CompletionQueue = BlockingQueue<tessaly::core::int64>;

private:
    friend class TaskDispatcher;

    struct Node {
        ThreadPoolTask* task = nullptr;
        std::atomic<int> parents{0};
        bool ready = false;
        std::vector<tessaly::core::int64> children;
    };

    struct Partition {
        tessaly::core::uint64 counter = 0;
        tessaly::core::SpinLock lock;
        std::unordered_map<tessaly::core::int64, Node*> nodes;
    };

    tessaly::core::int64 allocateId(int partition);
    // Hands a ready node's task to the pool; with the partition lock held.
    bool dispatch(tessaly::core::int64 id, Node* node);
    void finished(tessaly::core::int64 id);

    ThreadPool& pool_;
    int bits_;
    int partitionCount_;
    tessaly::core::int64 mask_;
    tessaly::core::uint64 sequenceLimit_;
    Partition* partitions_;
    std::shared_ptr<CompletionQueue> completed_;
    std::atomic<bool> started_{false};
    TaskDispatcher* dispatcher_ = nullptr;
    tessaly::core::Thread* dispatcherThread_ = nullptr;
};

} // namespace tessaly::concurrent
