#include "tessaly/core/Mutex.h"

#include <pthread.h>

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
    // Monotonic deadline, so a wall-clock jump neither shortens nor stretches the wait.
    timespec deadline = internal::monotonicDeadline(timeout);
    return pthread_mutex_clocklock(&impl_->mutex, CLOCK_MONOTONIC, &deadline) == 0;
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
