#include "tessaly/concurrent/DependentTaskExecutor.h"

#include "tessaly/core/ScopedLock.h"

namespace tessaly::concurrent {

using tessaly::core::int64;
using tessaly::core::ScopedLock;
using tessaly::core::SpinLock;

namespace {

// Runs one user task for the executor and reports its id when done.
class DependentTask : public ThreadPoolTask {
public:
    DependentTask(ThreadPoolTask* task, int64 id, std::shared_ptr<DependentTaskExecutor::CompletionQueue> done)
        : task_(task), id_(id), done_(std::move(done))
    {
    }

    void run() override
    {
        task_->setCurrentThreadID(getCurrentThreadID());
        try {
            task_->run();
        } catch (...) {
            // Children still wait for this id; report it before passing the failure on.
            complete();
            throw;
        }
        complete();
    }

    void release() override
    {
        task_->release();
        delete this;
    }

private:
    void complete()
    {
        task_->setCurrentThreadID(-1);
        done_->put(id_);
    }

    ThreadPoolTask* task_;
    int64 id_;
    std::shared_ptr<DependentTaskExecutor::CompletionQueue> done_;
};

} // namespace

class TaskDispatcher : public tessaly::core::Runnable {
public:
    explicit TaskDispatcher(DependentTaskExecutor* executor) : executor_(executor) {}

    void run() override
    {
        while (!stop_.load()) {
            int64 id;
            try {
                id = executor_->completed_->get(-1);
            } catch (const CancellationException&) {
                break;
            }
            executor_->finished(id);
        }
    }

    void stop() { stop_.store(true); }

private:
    DependentTaskExecutor* executor_;
    std::atomic<bool> stop_{false};
};

DependentTaskExecutor::DependentTaskExecutor(ThreadPool& pool, int b) : pool_(pool)
{
    bits_ = (b < 0 || b > 6) ? 6 : b;
    partitionCount_ = 1 << bits_;
    mask_ = partitionCount_ - 1;
    sequenceLimit_ = tessaly::core::uint64(1) << (63 - bits_);
    partitions_ = new Partition[partitionCount_];
    completed_ = std::make_shared<CompletionQueue>();
}

DependentTaskExecutor::~DependentTaskExecutor()
{
    stop();
    delete[] partitions_;
}

void DependentTaskExecutor::start()
{
    if (started_.exchange(true))
        return;
    completed_->reset();
    dispatcher_ = new TaskDispatcher(this);
    dispatcherThread_ = new tessaly::core::Thread(dispatcher_, true);
}

void DependentTaskExecutor::stop()
{
    if (!started_.exchange(false))
        return;
    dispatcher_->stop();
    completed_->cancel();
    delete dispatcherThread_;  // joins and releases the dispatcher
    dispatcherThread_ = nullptr;
    dispatcher_ = nullptr;
    for (int p = 0; p < partitionCount_; ++p) {
        ScopedLock<SpinLock> guard(partitions_[p].lock);
        for (auto& [id, node] : partitions_[p].nodes) {
            // A waiting task never reached the pool: it is ours to give back.
            if (!node->ready && node->task)
                node->task->release();
            delete node;
        }
        partitions_[p].nodes.clear();
    }
}

int64 DependentTaskExecutor::allocateId(int partition)
{
    Partition& part = partitions_[partition];
    const int64 id = static_cast<int64>((part.counter << bits_) | static_cast<tessaly::core::uint64>(partition));
    if (++part.counter >= sequenceLimit_)
        part.counter = 0;
    return id;
}

bool DependentTaskExecutor::dispatch(int64 id, Node* node)
{
    node->ready = true;
    auto* wrapper = new DependentTask(node->task, id, completed_);
    if (pool_.submit(wrapper))
        return true;
    delete wrapper;  // the user task is not released here: the caller decides
    return false;
}

int64 DependentTaskExecutor::submit(int key, ThreadPoolTask* task)
{
    if (!task || !started_.load())
        return -1;
    const int p = static_cast<int>(key & mask_);
    Partition& part = partitions_[p];
    ScopedLock<SpinLock> guard(part.lock);
    const int64 id = allocateId(p);
    auto* node = new Node;
    node->task = task;
    if (!dispatch(id, node)) {
        delete node;
        return -1;
    }
    part.nodes[id] = node;
    return id;
}

int64 DependentTaskExecutor::submitWithParent(ThreadPoolTask* task, int64 parentId)
{
    return submitWithParent(task, &parentId, 1);
}

int64 DependentTaskExecutor::submitWithParent(ThreadPoolTask* task, const int64* parentIds, int count)
{
    if (!task || !started_.load() || !parentIds || count < 1)
        return -1;
    for (int i = 0; i < count; ++i)
        if (parentIds[i] < 0)
            return -1;
    // The child lives in its first parent's partition.
    const int p = static_cast<int>(parentIds[0] & mask_);
    Partition& part = partitions_[p];
    auto* node = new Node;
    node->task = task;
    // One extra count holds the node back until every parent is linked.
    node->parents.store(1);
    int64 id;
    {
        ScopedLock<SpinLock> guard(part.lock);
        id = allocateId(p);
        part.nodes[id] = node;
    }
    for (int i = 0; i < count; ++i) {
        Partition& pp = partitions_[parentIds[i] & mask_];
        ScopedLock<SpinLock> guard(pp.lock);
        auto it = pp.nodes.find(parentIds[i]);
        if (it == pp.nodes.end())
            continue;  // finished already, or never recorded
        it->second->children.push_back(id);
        node->parents.fetch_add(1);
    }
    ScopedLock<SpinLock> guard(part.lock);
    if (node->parents.fetch_sub(1) == 1 && !dispatch(id, node)) {
        part.nodes.erase(id);
        delete node;
        return -1;
    }
    return id;
}

void DependentTaskExecutor::finished(int64 id)
{
    std::vector<int64> children;
    {
        Partition& part = partitions_[id & mask_];
        ScopedLock<SpinLock> guard(part.lock);
        auto it = part.nodes.find(id);
        if (it == part.nodes.end())
            return;
        children.swap(it->second->children);
        delete it->second;
        part.nodes.erase(it);
    }
    for (int64 child : children) {
        Partition& part = partitions_[child & mask_];
        ScopedLock<SpinLock> guard(part.lock);
        auto it = part.nodes.find(child);
        if (it == part.nodes.end())
            continue;
        Node* node = it->second;
        if (node->parents.fetch_sub(1) != 1)
            continue;
        if (!dispatch(child, node)) {
            // The pool no longer runs tasks: give the task back and let its
            // own children be settled the same way.
            node->task->release();
            node->task = nullptr;
            completed_->put(child);
        }
    }
}

int DependentTaskExecutor::getPendingCount() const
{
    int n = 0;
    for (int p = 0; p < partitionCount_; ++p) {
        ScopedLock<SpinLock> guard(partitions_[p].lock);
        n += static_cast<int>(partitions_[p].nodes.size());
    }
    return n;
}

} // namespace tessaly::concurrent
