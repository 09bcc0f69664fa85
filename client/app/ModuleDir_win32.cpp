// The program's own folder: the module file name cut at the last backslash.
#include "app/Globals.h"

#include <windows.h>

#include <string>

bool initModuleDir()
{
    g_moduleDir.clear();
    // Long paths: grow the buffer until the whole name fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return false;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return false;
    g_moduleDir = path.substr(0, slash);
    return true;
}
