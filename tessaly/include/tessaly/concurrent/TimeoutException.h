#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::concurrent {

class TimeoutException : public tessaly::core::Exception {
public:
    TimeoutException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    TimeoutException(const TimeoutException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::concurrent
