#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/core/NonCopyable.h"

namespace tessaly::concurrent {

// Blocking FIFO with one lock for producers (tail) and one for consumers
// (head). A dummy node separates the two ends, so neither side holds the
// other's lock while holding its own and the two can never deadlock.
// Kept fast for streams of small elements: the two ends live on cache lines
// of their own, and nodes are reused rather than freed (the list keeps as
// many as it once held at the most).
template <class T>
class LinkedList : public tessaly::core::NonCopyable {
public:
    LinkedList() : head_(new Node), tail_(head_) {}

    ~LinkedList() override
    {
        deleteChain(head_);
        deleteChain(spare_);
        deleteChain(freed_.load(std::memory_order_acquire));
    }

    // False once the list has been cancelled.
    bool push(const T& value)
    {
        if (cancelled_.load(std::memory_order_acquire))
            return false;
        int before;
        {
            std::lock_guard<std::mutex> tail(tailLock_);
            if (cancelled_.load(std::memory_order_acquire))
                return false;
            Node* node = takeNode();
            node->value = value;
            node->next.store(nullptr, std::memory_order_relaxed);
            tail_->next.store(node, std::memory_order_release);
            tail_ = node;
            before = count_.fetch_add(1, std::memory_order_acq_rel);
        }
        // Consumers sleep only on an empty list: the push that ends the
        // emptiness wakes one. Passing through the head lock orders this
        // wake-up after any consumer's "empty" check, so none is lost.
        if (before == 0) {
            std::unique_lock<std::mutex> head(headLock_);
            if (waiting_ > 0) {
                head.unlock();
                notEmpty_.notify_one();
            }
        }
        return true;
    }

    // Waits for an element; throws CancellationException ("LinkedList has
    // been cancelled.") when the list is cancelled while empty.
    T pop()
    {
        std::unique_lock<std::mutex> head(headLock_);
        for (;;) {
            Node* first = head_->next.load(std::memory_order_acquire);
            if (first) {
                T value = std::move(first->value);
                Node* old = head_;
                head_ = first;
                count_.fetch_sub(1, std::memory_order_acq_rel);
                const bool more = head_->next.load(std::memory_order_acquire) != nullptr && waiting_ > 0;
                head.unlock();
                recycle(old);
                // Pass the wake-up on: another consumer may sleep while
                // elements pushed behind this one are waiting.
                if (more)
                    notEmpty_.notify_one();
                return value;
            }
            if (cancelled_.load(std::memory_order_acquire))
                throw CancellationException("LinkedList has been cancelled.", __FILE__, __LINE__);
            ++waiting_;
            notEmpty_.wait(head);
            --waiting_;
        }
    }

    // Takes the first element without waiting; false when empty.
    bool tryPop(T& out)
    {
        Node* old;
        {
            std::lock_guard<std::mutex> head(headLock_);
            Node* first = head_->next.load(std::memory_order_acquire);
            if (!first)
                return false;
            out = std::move(first->value);
            old = head_;
            head_ = first;
            count_.fetch_sub(1, std::memory_order_acq_rel);
        }
        recycle(old);
        return true;
    }

    // Refuses further pushes and wakes every waiting consumer.
    void cancel()
    {
        {
            std::lock_guard<std::mutex> head(headLock_);
            cancelled_.store(true, std::memory_order_release);
        }
        notEmpty_.notify_all();
    }

    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }
    int size() const { return count_.load(std::memory_order_acquire); }

private:
    struct Node {
        T value{};
        std::atomic<Node*> next{nullptr};
    };

    static void deleteChain(Node* n)
    {
        while (n) {
            Node* next = n->next.load(std::memory_order_relaxed);
            delete n;
            n = next;
        }
    }

    // Tail lock held: a node given back by the consumers, else a new one.
    Node* takeNode()
    {
        if (!spare_)
            spare_ = freed_.exchange(nullptr, std::memory_order_acquire);
        if (Node* n = spare_) {
            spare_ = n->next.load(std::memory_order_relaxed);
            return n;
        }
        return new Node;
    }

    // A node out of the list goes onto the stack the producers draw from.
    // They only ever take the whole stack, so a reused pointer is harmless.
    void recycle(Node* n)
    {
        Node* top = freed_.load(std::memory_order_relaxed);
        do {
            n->next.store(top, std::memory_order_relaxed);
        } while (!freed_.compare_exchange_weak(top, n, std::memory_order_release, std::memory_order_relaxed));
    }

    // Consumers' end.
    alignas(64) Node* head_;
    std::mutex headLock_;
    std::condition_variable notEmpty_;
    // Consumers inside the wait (head lock): nobody to wake, no signal.
    int waiting_ = 0;
    // Producers' end.
    alignas(64) Node* tail_;
    std::mutex tailLock_;
    Node* spare_ = nullptr;
    std::atomic<bool> cancelled_{false};
    // Both ends.
    alignas(64) std::atomic<int> count_{0};
    alignas(64) std::atomic<Node*> freed_{nullptr};
};

} // namespace tessaly::concurrent
