#include "utils/TaskQueue.h"

#include <algorithm>
#include <utility>

namespace tessaly::utils {

TaskQueue::TaskQueue() : heap_(new TimerTask*[128 + 1]), capacity_(128) {}

TaskQueue::~TaskQueue()
{
    delete[] heap_;
}

void TaskQueue::add(TimerTask* task)
{
    if (size_ == capacity_) {
        const int cap = capacity_ * 2;
        auto** grown = new TimerTask*[cap + 1];
        std::copy(heap_, heap_ + size_ + 1, grown);
        delete[] heap_;
        heap_ = grown;
        capacity_ = cap;
    }
    heap_[++size_] = task;
    siftUp(size_);
}

void TaskQueue::removeTop()
{
    if (!size_)
        return;
    heap_[1] = heap_[size_];
    heap_[size_--] = nullptr;
    if (size_)
        siftDown(1);
}

bool TaskQueue::reorder(TimerTask* task)
{
    const int i = indexOf(task);
    if (i <= 0)
        return false;
    siftUp(i);
    siftDown(indexOf(task));
    return true;
}

void TaskQueue::releaseAll()
{
    for (int i = 1; i <= size_; ++i)
        heap_[i]->release();
    size_ = 0;
}

int TaskQueue::indexOf(const TimerTask* task) const
{
    for (int i = 1; i <= size_; ++i)
        if (heap_[i] == task)
            return i;
    return 0;
}

void TaskQueue::siftUp(int i)
{
    while (i > 1 && heap_[i / 2]->next_ > heap_[i]->next_) {
        std::swap(heap_[i / 2], heap_[i]);
        i /= 2;
    }
}

void TaskQueue::siftDown(int i)
{
    for (;;) {
        int smallest = i;
        const int l = 2 * i, r = 2 * i + 1;
        if (l <= size_ && heap_[l]->next_ < heap_[smallest]->next_)
            smallest = l;
        if (r <= size_ && heap_[r]->next_ < heap_[smallest]->next_)
            smallest = r;
        if (smallest == i)
            return;
        std::swap(heap_[i], heap_[smallest]);
        i = smallest;
    }
}

} // namespace tessaly::utils
