#pragma once

#include "tessaly/utils/TimerTask.h"

namespace tessaly::utils {

// Binary min-heap of tasks by due time, stored from index 1.
class TaskQueue {
public:
    TaskQueue();
    ~TaskQueue();
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    void add(TimerTask* task);
    TimerTask* top() const { return size_ ? heap_[1] : nullptr; }
    void removeTop();
    // Restores the order after the due time of task changed; false when absent.
    bool reorder(TimerTask* task);
    bool contains(const TimerTask* task) const { return indexOf(task) > 0; }
    int size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    // Releases every queued task.
    void releaseAll();

private:
    int indexOf(const TimerTask* task) const;
    void siftUp(int i);
    void siftDown(int i);

    TimerTask** heap_;
    int capacity_;
    int size_ = 0;
};

} // namespace tessaly::utils
