#pragma once

#include <cstdint>
#include <ctime>

namespace tessaly::core::internal {

// Milliseconds of a monotonic clock (never goes back with wall-clock changes).
std::int64_t tickMillis();

// The finest monotonic counter there is, and its ticks per second.
std::int64_t performanceTicks();
std::int64_t performanceFrequency();

// Absolute time on CLOCK_MONOTONIC that lies ms milliseconds from now.
timespec monotonicDeadline(int ms);

} // namespace tessaly::core::internal
