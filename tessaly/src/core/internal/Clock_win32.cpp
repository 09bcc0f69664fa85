#include "core/internal/Clock.h"

#include <windows.h>

namespace tessaly::core::internal {

std::int64_t tickMillis()
{
    return static_cast<std::int64_t>(GetTickCount64());
}

std::int64_t performanceTicks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::int64_t>(now.QuadPart);
}

std::int64_t performanceFrequency()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<std::int64_t>(f.QuadPart);
}

timespec monotonicDeadline(int ms)
{
    // Same scale as tickMillis(): milliseconds since the system started.
    const std::int64_t at = tickMillis() + ms;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(at / 1000);
    ts.tv_nsec = static_cast<long>(at % 1000) * 1000000L;
    return ts;
}

} // namespace tessaly::core::internal
