#include <windows.h>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/InitializeFailException.h"
#include "tessaly/utils/SharedLibrary.h"

namespace tessaly::utils {

SharedLibrary::SharedLibrary(const char* path) : handle_(nullptr)
{
    if (!path)
        throw core::IllegalArgumentException("Failed to load library.", __FILE__, __LINE__);
    handle_ = reinterpret_cast<void*>(::LoadLibraryA(path));
    if (!handle_)
        throw core::InitializeFailException("Failed to load library.", __FILE__, __LINE__);
}

SharedLibrary::~SharedLibrary()
{
    ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::procAddress(const char* name) const
{
    return name ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

} // namespace tessaly::utils
