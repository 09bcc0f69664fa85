#include <dlfcn.h>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/InitializeFailException.h"
#include "tessaly/utils/SharedLibrary.h"

namespace tessaly::utils {

SharedLibrary::SharedLibrary(const char* path) : handle_(nullptr)
{
    if (!path)
        throw core::IllegalArgumentException("Failed to load library.", __FILE__, __LINE__);
    // Symbols stay private to the library so two back ends cannot collide.
    handle_ = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw core::InitializeFailException("Failed to load library.", __FILE__, __LINE__);
}

SharedLibrary::~SharedLibrary()
{
    ::dlclose(handle_);
}

void* SharedLibrary::procAddress(const char* name) const
{
    return name ? ::dlsym(handle_, name) : nullptr;
}

} // namespace tessaly::utils
