#include "tessaly/core/Thread.h"

#include <windows.h>
#include <process.h>

#include <cstdint>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::core {

// getId() and self() give the numeric thread id, which fits the handle type
// and compares across threads. The kernel handle needed to wait for the
// thread is kept in kernelId_: Windows handles hold 32 significant bits and
// may be truncated and sign-extended back.

namespace {

HANDLE kernelHandle(int stored)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(stored));
}

int priorityFor(int priority)
{
    switch (priority) {
    case ThreadPriorityHighest: return THREAD_PRIORITY_HIGHEST;
    case ThreadPriorityLowest: return THREAD_PRIORITY_LOWEST;
    default: return THREAD_PRIORITY_NORMAL;
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
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the C runtime sets up its
    // per-thread state for the new thread.
    // (On x64 there is one calling convention, so the lambda fits.)
    unsigned (*entry)(void*) = [](void* self) -> unsigned {
        Thread::dispatcher(self);
        return 0;
    };
    const std::uintptr_t handle = _beginthreadex(nullptr, 0, entry, this, 0, &id);
    if (handle == 0) {
        joined_ = true;
        throw IllegalArgumentException("Thread creation failed.", __FILE__, __LINE__);
    }
    kernelId_ = static_cast<int>(static_cast<std::intptr_t>(handle));
    handle_ = static_cast<ThreadHandle>(id);
    startup_.wait(-1);
}

void* Thread::dispatcher(void* arg)
{
    auto* self = static_cast<Thread*>(arg);
    Runnable* runnable = self->runnable_;
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
    const HANDLE handle = kernelHandle(kernelId_);
    // A thread cannot wait for itself; closing the handle lets it end alone.
    if (GetCurrentThreadId() != static_cast<DWORD>(handle_))
        WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
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
    return SetThreadPriority(kernelHandle(kernelId_), priorityFor(priority)) != 0;
}

ThreadHandle Thread::self()
{
    return static_cast<ThreadHandle>(GetCurrentThreadId());
}

void Thread::sleep(unsigned long ms)
{
    // Sleep(0) gives the rest of the time slice to another ready thread.
    Sleep(static_cast<DWORD>(ms));
}

void Thread::yield()
{
    SwitchToThread();
}

} // namespace tessaly::core
