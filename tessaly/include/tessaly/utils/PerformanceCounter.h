#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::utils {

// Measures an interval with the system's monotonic high-resolution clock.
class PerformanceCounter {
public:
    PerformanceCounter();

    void start();
    void stop();
    void reset();
    // Ticks between start and stop; 0 when not measured.
    core::int64 count() const;
    // Milliseconds between start and stop; 0 when not measured.
    double elapse() const;
    // Ticks per second.
    core::int64 frequency() const { return frequency_; }

private:
    core::int64 start_ = 0;
    core::int64 stop_ = 0;
    core::int64 frequency_;
};

} // namespace tessaly::utils
