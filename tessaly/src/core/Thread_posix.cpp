#include "tessaly/core/Thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::core {

static_assert(sizeof(pthread_t) == sizeof(ThreadHandle), "thread handle must hold a pthread_t");

namespace {

// Priority values mapped onto per-thread nice values (SCHED_OTHER has no
// static priorities). Raising above the inherited level needs privileges;
// without them the request is kept but the platform keeps its value.
int niceFor(int priority)
{
    switch (priority) {
    case ThreadPriorityHighest: return -10;
    case ThreadPriorityLowest: return 19;
    default: return 0;
    }
}

} // namespace

Thread::Thread(Runnable* runnable, bool ownsRunnable)
    : runnable_(runnable), ownsRunnable_(ownsRunnable), startup_(true, false)
{
    init();
}

void Thread::init()
{
    pthread_t handle;
    const int rc = pthread_create(&handle, nullptr, &Thread::dispatcher, this);
    if (rc != 0) {
        joined_ = true;
        throw IllegalArgumentException("Thread creation failed.", __FILE__, __LINE__);
    }
    handle_ = static_cast<ThreadHandle>(handle);
    startup_.wait(-1);
}

void* Thread::dispatcher(void* arg)
{
    auto* self = static_cast<Thread*>(arg);
    Runnable* runnable = self->runnable_;
    self->kernelId_ = static_cast<int>(gettid());
    self->startup_.set();
    if (runnable)
        runnable->run();
    return nullptr;
}

Thread::~Thread()
{
    join();
    if (ownsRunnable_ && runnable_)
        runnable_->release();
}

void Thread::join()
{
    if (joined_)
        return;
    joined_ = true;
    const pthread_t handle = static_cast<pthread_t>(handle_);
    // A thread cannot wait for itself; let it clean up on its own instead.
    if (pthread_equal(handle, pthread_self()))
        pthread_detach(handle);
    else
        pthread_join(handle, nullptr);
}

void Thread::setPriority(ThreadPolicy, ThreadPriority priority)
{
    const int value = static_cast<int>(priority);
    if (value < ThreadPriorityHighest || value > ThreadPriorityLowest)
        throw IllegalArgumentException("Invalid thread priority.", __FILE__, __LINE__);
    if (value == priority_)
        return;
    applyPlatformPriority(value);
    priority_ = value;
}

bool Thread::applyPlatformPriority(int priority)
{
    return setpriority(PRIO_PROCESS, static_cast<id_t>(kernelId_), niceFor(priority)) == 0;
}

ThreadHandle Thread::self()
{
    return static_cast<ThreadHandle>(pthread_self());
}

void Thread::sleep(unsigned long ms)
{
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

void Thread::yield()
{
    sched_yield();
}

} // namespace tessaly::core
