#pragma once

#include <atomic>

namespace tessaly::core {

// Intrusive reference count; the object deletes itself when the last
// reference is released. Counts change atomically so holders may live on
// different threads.
class RefCountedBase {
public:
    RefCountedBase() : refCount_(0) {}
    RefCountedBase(const RefCountedBase& other) : refCount_(other.getRefCount()) {}
    RefCountedBase& operator=(const RefCountedBase&) { return *this; }
    virtual ~RefCountedBase() = default;

    void addRef() { refCount_.fetch_add(1, std::memory_order_relaxed); }

    void release()
    {
        if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    int getRefCount() const { return refCount_.load(std::memory_order_acquire); }

private:
    std::atomic<int> refCount_;
};

} // namespace tessaly::core
