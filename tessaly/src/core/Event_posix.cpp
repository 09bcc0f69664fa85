#include "tessaly/core/Event.h"

#include <pthread.h>

#include <cerrno>

#include "core/internal/Clock.h"

namespace tessaly::core {

struct Event::Impl {
    pthread_mutex_t mutex;
    pthread_cond_t cond;
    bool manualReset;
    bool signalled;
    int waiters;
};

Event::Event(bool manualReset, bool initiallySet) : impl_(new Impl)
{
    pthread_mutex_init(&impl_->mutex, nullptr);
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&impl_->cond, &attr);
    pthread_condattr_destroy(&attr);
    impl_->manualReset = manualReset;
    impl_->signalled = initiallySet;
    impl_->waiters = 0;
}

Event::~Event()
{
    pthread_cond_destroy(&impl_->cond);
    pthread_mutex_destroy(&impl_->mutex);
    delete impl_;
}

void Event::set()
{
    pthread_mutex_lock(&impl_->mutex);
    impl_->signalled = true;
    // No waiter, no wake-up call: keeps set() cheap on busy queues.
    if (impl_->waiters > 0) {
        if (impl_->manualReset)
            pthread_cond_broadcast(&impl_->cond);
        else
            pthread_cond_signal(&impl_->cond);
    }
    pthread_mutex_unlock(&impl_->mutex);
}

void Event::reset()
{
    pthread_mutex_lock(&impl_->mutex);
    impl_->signalled = false;
    pthread_mutex_unlock(&impl_->mutex);
}

bool Event::wait(int timeout)
{
    pthread_mutex_lock(&impl_->mutex);
    ++impl_->waiters;
    if (timeout < 0) {
        while (!impl_->signalled)
            pthread_cond_wait(&impl_->cond, &impl_->mutex);
    } else if (!impl_->signalled && timeout > 0) {
        const timespec deadline = internal::monotonicDeadline(timeout);
        while (!impl_->signalled) {
            if (pthread_cond_timedwait(&impl_->cond, &impl_->mutex, &deadline) == ETIMEDOUT)
                break;
        }
    }
    --impl_->waiters;
    const bool got = impl_->signalled;
    if (got && !impl_->manualReset)
        impl_->signalled = false;
    pthread_mutex_unlock(&impl_->mutex);
    return got;
}

} // namespace tessaly::core
