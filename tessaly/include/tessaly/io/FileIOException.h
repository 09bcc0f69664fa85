#pragma once

#include "tessaly/core/Exception.h"

namespace tessaly::io {

class FileIOException : public tessaly::core::Exception {
public:
    FileIOException(const tessaly::core::String& description, const tessaly::core::String& filename, int line)
        : Exception(description, filename, line)
    {
    }
    FileIOException(const FileIOException&) = default;

    tessaly::core::String printException() const override;
};

} // namespace tessaly::io
