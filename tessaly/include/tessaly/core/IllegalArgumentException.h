#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::core {

class IllegalArgumentException : public tessaly::core::Exception {
public:
    IllegalArgumentException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    IllegalArgumentException(const IllegalArgumentException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::core
