#pragma once

#include <chrono>
#include <deque>

#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/concurrent/TimeoutException.h"
#include "tessaly/core/Event.h"
#include "tessaly/core/Mutex.h"
#include "tessaly/core/NonCopyable.h"

namespace tessaly::concurrent {

// Double-ended blocking queue with a timed get and cancellation.
template <class T>
class BlockingQueue : public tessaly::core::NonCopyable {
public:
    BlockingQueue() : notEmpty_(true, false) {}

    // False once cancelled.
    bool put(const T& value)
    {
        mutex_.lock(-1);
        if (cancelled_) {
            mutex_.unlock();
            return false;
        }
        items_.push_back(value);
        notEmpty_.set();
        mutex_.unlock();
        return true;
    }

    bool putFront(const T& value)
    {
        mutex_.lock(-1);
        if (cancelled_) {
            mutex_.unlock();
            return false;
        }
        items_.push_front(value);
        notEmpty_.set();
        mutex_.unlock();
        return true;
    }

    // Removes and returns the front, waiting at most timeout ms (negative:
    // without limit). Throws TimeoutException or CancellationException.
    T get(int timeout = -1)
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout < 0 ? 0 : timeout);
        mutex_.lock(-1);
        while (items_.empty() && !cancelled_) {
            notEmpty_.reset();
            mutex_.unlock();
            int wait = -1;
            if (timeout >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                wait = left > 0 ? static_cast<int>(left) : 0;
            }
            const bool signalled = notEmpty_.wait(wait);
            mutex_.lock(-1);
            if (!signalled && items_.empty() && !cancelled_) {
                mutex_.unlock();
                throw TimeoutException("BlockingQueue_get is timeout.", __FILE__, __LINE__);
            }
        }
        if (items_.empty()) {
            mutex_.unlock();
            throw CancellationException("BlockingQueue_get is cancelled ", __FILE__, __LINE__);
        }
        T value = items_.front();
        items_.pop_front();
        mutex_.unlock();
        return value;
    }

    // Wakes every waiter; waiters on an empty queue get CancellationException.
    void cancel()
    {
        mutex_.lock(-1);
        cancelled_ = true;
        notEmpty_.set();
        mutex_.unlock();
    }

    // Empties the queue and accepts values again.
    void reset()
    {
        mutex_.lock(-1);
        items_.clear();
        cancelled_ = false;
        notEmpty_.reset();
        mutex_.unlock();
    }

    int size()
    {
        mutex_.lock(-1);
        const int n = static_cast<int>(items_.size());
        mutex_.unlock();
        return n;
    }

private:
    std::deque<T> items_;
    tessaly::core::Mutex mutex_;
    tessaly::core::Event notEmpty_;
    bool cancelled_ = false;
};

} // namespace tessaly::concurrent
