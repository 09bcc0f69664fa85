#include <windows.h>

#include "tessaly/utils/PerformanceCounter.h"

namespace tessaly::utils {

using core::int64;

namespace {

int64 ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64>(now.QuadPart);
}

int64 counterFrequency()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64>(f.QuadPart);
}

} // namespace

PerformanceCounter::PerformanceCounter() : frequency_(counterFrequency()) {}

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
