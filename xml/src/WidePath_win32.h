// Windows only: the library's file names are UTF-8, as the rest of the
// system's texts; Windows takes them in UTF-16.
#pragma once

#include <windows.h>

#include <string>

namespace xandril::detail {

inline std::wstring widePath(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

} // namespace xandril::detail
