#pragma once

#include <atomic>

#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/core/Event.h"
#include "tessaly/core/Mutex.h"
#include "tessaly/core/NonCopyable.h"

namespace tessaly::concurrent {

// Blocking FIFO with one lock for producers (tail) and one for consumers
// (head). A dummy node separates the two ends, so neither side ever needs
// the other's lock and the two locks can never be taken in opposite orders.
template <class T>
class LinkedList : public tessaly::core::NonCopyable {
public:
    LinkedList() : head_(new Node), tail_(head_), notEmpty_(true, false) {}

    ~LinkedList() override
    {
        Node* n = head_;
        while (n) {
            Node* next = n->next.load(std::memory_order_relaxed);
            delete n;
            n = next;
        }
    }

    // False once the list has been cancelled.
    bool push(const T& value)
    {
        if (cancelled_.load(std::memory_order_acquire))
            return false;
        Node* node = new Node;
        node->value = value;
        tailLock_.lock(-1);
        if (cancelled_.load(std::memory_order_acquire)) {
            tailLock_.unlock();
            delete node;
            return false;
        }
        tail_->next.store(node, std::memory_order_release);
        tail_ = node;
        count_.fetch_add(1, std::memory_order_relaxed);
        tailLock_.unlock();
        notEmpty_.set();
        return true;
    }

    // Waits for an element; throws CancellationException when the list is
    // cancelled while empty.
    T pop()
    {
        headLock_.lock(-1);
        for (;;) {
            Node* first = head_->next.load(std::memory_order_acquire);
            if (first) {
                T value = first->value;
                Node* old = head_;
                head_ = first;
                count_.fetch_sub(1, std::memory_order_relaxed);
                headLock_.unlock();
                delete old;
                return value;
            }
            if (cancelled_.load(std::memory_order_acquire)) {
                headLock_.unlock();
                throw CancellationException("LinkedList has been cancelled.", __FILE__, __LINE__);
            }
            notEmpty_.reset();
            // Re-check after the reset: a push in between must not be missed.
            if (head_->next.load(std::memory_order_acquire) || cancelled_.load(std::memory_order_acquire))
                continue;
            headLock_.unlock();
            notEmpty_.wait(-1);
            headLock_.lock(-1);
        }
    }

    // Takes the first element without waiting; false when empty.
    bool tryPop(T& out)
    {
        headLock_.lock(-1);
        Node* first = head_->next.load(std::memory_order_acquire);
        if (!first) {
            headLock_.unlock();
            return false;
        }
        out = first->value;
        Node* old = head_;
        head_ = first;
        count_.fetch_sub(1, std::memory_order_relaxed);
        headLock_.unlock();
        delete old;
        return true;
    }

    // Refuses further pushes and wakes every waiting consumer.
    void cancel()
    {
        headLock_.lock(-1);
        cancelled_.store(true, std::memory_order_release);
        headLock_.unlock();
        notEmpty_.set();
    }

    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }
    int size() const { return count_.load(std::memory_order_relaxed); }

private:
    struct Node {
        T value{};
        std::atomic<Node*> next{nullptr};
    };

    Node* head_;
    tessaly::core::Mutex headLock_;
    Node* tail_;
    tessaly::core::Mutex tailLock_;
    tessaly::core::Event notEmpty_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> count_{0};
};

} // namespace tessaly::concurrent
