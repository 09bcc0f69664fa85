#include "tessaly/core/Mutex.h"

#include <pthread.h>

#include <cerrno>
#include <cstdint>

#include "core/internal/Clock.h"

namespace tessaly::core {

struct Mutex::Impl {
    pthread_mutex_t mutex;
};

Mutex::Mutex() : impl_(new Impl)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&impl_->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

Mutex::~Mutex()
{
    pthread_mutex_destroy(&impl_->mutex);
    delete impl_;
}

bool Mutex::lock(int timeout)
{
    if (timeout < 0)
        return pthread_mutex_lock(&impl_->mutex) == 0;
    if (timeout == 0)
        return tryLock();
    // The limit is kept on the monotonic clock; each attempt waits at most a
    // short slice against the wall clock, so a wall-clock jump can neither
    // cut the wait short nor stretch it by more than one slice.
    const std::int64_t end = internal::tickMillis() + timeout;
    for (;;) {
        const std::int64_t left = end - internal::tickMillis();
        if (left <= 0)
            return tryLock();
        const int slice = left < 50 ? static_cast<int>(left) : 50;
        timespec deadline;
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_nsec += long(slice) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
        const int rc = pthread_mutex_timedlock(&impl_->mutex, &deadline);
        if (rc == 0)
            return true;
        if (rc != ETIMEDOUT)
            return false;
    }
}

void Mutex::unlock()
{
    pthread_mutex_unlock(&impl_->mutex);
}

bool Mutex::tryLock()
{
    return pthread_mutex_trylock(&impl_->mutex) == 0;
}

} // namespace tessaly::core
