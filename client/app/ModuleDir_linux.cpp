// The program's own directory, from the kernel's link to the running file.
#include "app/Globals.h"

#include <cstring>
#include <limits.h>
#include <unistd.h>

bool initModuleDir()
{
    g_moduleDir[0] = '\0';
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    char* slash = std::strrchr(path, '/');
    if (!slash)
        return false;
    // A program in "/" keeps "" so that dir + "/config" still reads "/config".
    *slash = '\0';
    if (std::strlen(path) >= sizeof g_moduleDir)
        return false;
    std::strcpy(g_moduleDir, path);
    return true;
}
