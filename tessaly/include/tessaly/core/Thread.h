#pragma once

#include "tessaly/core/Event.h"
#include "tessaly/core/Runnable.h"

namespace tessaly::core {

enum ThreadPolicy { ThreadPolicyDefault = 0 };

enum ThreadPriority {
    ThreadPriorityHighest = 0,
    ThreadPriorityNormal = 1,
    ThreadPriorityLowest = 2,
};

// Platform thread handle (pthread_t on POSIX).
using ThreadHandle = unsigned long;

// Runs a Runnable on a new platform thread. The constructor returns once the
// thread has started; the destructor waits for it to end.
class Thread {
public:
    explicit Thread(Runnable* runnable, bool ownsRunnable = false);
    virtual ~Thread();

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void join();
    ThreadHandle getId() const { return handle_; }
    // Throws IllegalArgumentException "Invalid thread priority." for values
    // other than 0 (highest), 1 (normal), 2 (lowest).
    void setPriority(ThreadPolicy policy, ThreadPriority priority);
    int getPriority() const { return priority_; }

    static ThreadHandle self();
    static void sleep(unsigned long ms);
    static void yield();

private:
    void init();
    static void* dispatcher(void* self);
    bool applyPlatformPriority(int priority);

    Runnable* runnable_;
    int priority_ = ThreadPriorityNormal;
    ThreadHandle handle_ = 0;
    bool ownsRunnable_;
    Event startup_;
    bool joined_ = false;
    int kernelId_ = 0;
};

} // namespace tessaly::core
