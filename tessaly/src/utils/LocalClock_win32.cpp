#include "utils/LocalClock.h"

#include <windows.h>

#include "tessaly/core/Date.h"

namespace tessaly::utils {

tessaly::core::int64 localMillisSince1900()
{
    // FILETIME counts 100 ns units since 1601-01-01 UTC.
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    constexpr unsigned long long kUnixEpoch = 116444736000000000ULL;
    const unsigned long long since1970 = (t.QuadPart - kUnixEpoch) / 10000ULL;
    const tessaly::core::Date second =
        tessaly::core::Date::fromLocalTime(static_cast<tessaly::core::int64>(since1970 / 1000));
    return second.toMilliseconds() + static_cast<tessaly::core::int64>(since1970 % 1000);
}

} // namespace tessaly::utils
