#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::core {

class ConvertFailException : public tessaly::core::Exception {
public:
    ConvertFailException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    ConvertFailException(const ConvertFailException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::core
