#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::concurrent {

class CancellationException : public tessaly::core::Exception {
public:
    CancellationException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    CancellationException(const CancellationException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::concurrent
