#include "ModulePath.h"

#include <windows.h>

namespace pellorn {

std::string modulePathOf(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return {};
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH + 1);
    if (n == 0 || n >= MAX_PATH + 1)
        return {};
    // UTF-8, as the names in the filter file are read.
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), text.data(), bytes, nullptr, nullptr);
    return text;
}

std::string moduleNameOf(const void* address)
{
    std::string path = modulePathOf(address);
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace pellorn
