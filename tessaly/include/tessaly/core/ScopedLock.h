#pragma once

namespace tessaly::core {

// Locks (without time limit) for the lifetime of the guard.
template <class T>
class ScopedLock {
public:
    explicit ScopedLock(T& lock) : lock_(lock) { lock_.lock(-1); }
    ~ScopedLock() { lock_.unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    T& lock_;
};

// Same as ScopedLock, for code that takes the lock object by pointer.
template <class T>
class ScopedLock2 {
public:
    explicit ScopedLock2(T* lock) : lock_(lock) { lock_->lock(-1); }
    explicit ScopedLock2(T& lock) : lock_(&lock) { lock_->lock(-1); }
    ~ScopedLock2() { lock_->unlock(); }
    ScopedLock2(const ScopedLock2&) = delete;
    ScopedLock2& operator=(const ScopedLock2&) = delete;

private:
    T* lock_;
};

// Releases a held lock for the lifetime of the guard and takes it back after.
template <class T>
class ScopedUnlock {
public:
    explicit ScopedUnlock(T& lock) : lock_(lock) { lock_.unlock(); }
    ~ScopedUnlock() { lock_.lock(-1); }
    ScopedUnlock(const ScopedUnlock&) = delete;
    ScopedUnlock& operator=(const ScopedUnlock&) = delete;

private:
    T& lock_;
};

} // namespace tessaly::core
