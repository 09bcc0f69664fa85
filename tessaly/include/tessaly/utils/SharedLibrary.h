#pragma once

#include "tessaly/core/NonCopyable.h"

namespace tessaly::utils {

// A shared library loaded by path for as long as this object lives.
class SharedLibrary : public core::NonCopyable {
public:
    // Throws IllegalArgumentException for a null path and
    // InitializeFailException when the library does not load, both with
    // "Failed to load library."
    explicit SharedLibrary(const char* path);
    ~SharedLibrary() override;

    // The exported symbol's address, null when there is none.
    void* procAddress(const char* name) const;

private:
    void* handle_;
};

} // namespace tessaly::utils
