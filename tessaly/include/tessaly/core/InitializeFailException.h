#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::core {

class InitializeFailException : public tessaly::core::Exception {
public:
    InitializeFailException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    InitializeFailException(const InitializeFailException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::core
