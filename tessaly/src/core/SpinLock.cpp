#include "tessaly/core/SpinLock.h"

#include "core/internal/Clock.h"
#include "tessaly/core/Thread.h"

namespace tessaly::core {

bool SpinLock::tryLock()
{
    return flag_.exchange(1, std::memory_order_acquire) == 0;
}

void SpinLock::unlock()
{
    flag_.exchange(0, std::memory_order_release);
}

bool SpinLock::lock(int timeout)
{
    if (timeout == 0)
        return tryLock();
    const std::int64_t start = timeout > 0 ? internal::tickMillis() : 0;
    int failures = 0;
    while (!tryLock()) {
        if (++failures % _spinsPerYield == 0) {
            Thread::sleep(0);
            if (timeout > 0 && internal::tickMillis() - start >= timeout)
                return false;
        }
    }
    return true;
}

} // namespace tessaly::core
