#include "utils/LocalClock.h"

#include <ctime>

#include "tessaly/core/Date.h"

namespace tessaly::utils {

tessaly::core::int64 localMillisSince1900()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    const tessaly::core::Date second = tessaly::core::Date::fromLocalTime(static_cast<tessaly::core::int64>(ts.tv_sec));
    return second.toMilliseconds() + ts.tv_nsec / 1000000;
}

} // namespace tessaly::utils
