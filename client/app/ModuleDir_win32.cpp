// The program's own folder: the module file name cut at the last backslash.
#include "app/Globals.h"

#include <windows.h>

#include <cstring>

bool initModuleDir()
{
    g_moduleDir[0] = '\0';
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return false;
    char* slash = std::strrchr(path, '\\');
    if (!slash)
        return false;
    *slash = '\0';
    if (std::strlen(path) >= sizeof g_moduleDir)
        return false;
    std::strcpy(g_moduleDir, path);
    return true;
}
