// The program's own folder: the module file name cut at the last backslash,
// in UTF-8 like every path the program builds from it.
#include "app/Globals.h"
#include "app/WideText_win32.h"

#include <windows.h>

#include <string>

bool initModuleDir()
{
    g_moduleDir.clear();
    // Long paths: grow the buffer until the whole name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return false;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    g_moduleDir = utf8FromWide(std::wstring_view(path.data(), slash));
    return !g_moduleDir.empty();
}
