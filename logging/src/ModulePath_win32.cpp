#include "ModulePath.h"

#include <windows.h>

namespace pellorn {

std::string modulePathOf(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return {};
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return {};
    return std::string(path, n);
}

std::string moduleNameOf(const void* address)
{
    std::string path = modulePathOf(address);
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace pellorn
