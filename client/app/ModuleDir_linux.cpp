// The program's own directory, from the kernel's link to the running file.
#include "app/Globals.h"

#include <filesystem>
#include <system_error>

bool initModuleDir()
{
    g_moduleDir.clear();
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || path.empty())
        return false;
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return false;
    // A program in "/" keeps "" so that dir + "/config" still reads "/config".
    g_moduleDir = path.substr(0, slash);
    return true;
}
