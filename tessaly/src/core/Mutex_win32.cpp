#include "tessaly/core/Mutex.h"

#include <windows.h>

namespace tessaly::core {

// A kernel mutex: re-entrant for its owner and waitable with a time-out, as
// the class promises.
struct Mutex::Impl {
    HANDLE mutex;
};

Mutex::Mutex() : impl_(new Impl{CreateMutexW(nullptr, FALSE, nullptr)}) {}

Mutex::~Mutex()
{
    if (impl_->mutex)
        CloseHandle(impl_->mutex);
    delete impl_;
}

bool Mutex::lock(int timeout)
{
    const DWORD rc = WaitForSingleObject(impl_->mutex, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout));
    // An abandoned mutex (its owner ended holding it) is still ours now.
    return rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

void Mutex::unlock()
{
    ReleaseMutex(impl_->mutex);
}

bool Mutex::tryLock()
{
    return lock(0);
}

} // namespace tessaly::core
