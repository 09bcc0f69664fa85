#include "tessaly/utils/PerformanceCounter.h"

#include "core/internal/Clock.h"

namespace tessaly::utils {

using core::int64;

namespace {

int64 ticks()
{
    return core::internal::performanceTicks();
}

} // namespace

PerformanceCounter::PerformanceCounter() : frequency_(core::internal::performanceFrequency()) {}

void PerformanceCounter::start()
{
    start_ = ticks();
    stop_ = 0;
}

void PerformanceCounter::stop()
{
    if (start_ != 0)
        stop_ = ticks();
}

void PerformanceCounter::reset()
{
    start_ = stop_ = 0;
}

int64 PerformanceCounter::count() const
{
    return start_ != 0 && stop_ >= start_ ? stop_ - start_ : 0;
}

double PerformanceCounter::elapse() const
{
    return static_cast<double>(count()) * 1000.0 / static_cast<double>(frequency_);
}

} // namespace tessaly::utils
