// Makes sure a "log" folder exists beside this library's own file as soon
// as the library is loaded (the properties file usually points there). The
// folder takes the access rights of the installation folder.
#include "ModulePath.h"

#include <windows.h>

namespace pellorn {
namespace {

void createLogFolderBesideLibrary(HINSTANCE self)
{
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(self, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    std::string folder(path, n);
    const auto slash = folder.find_last_of("\\/");
    if (slash == std::string::npos)
        return;
    folder.erase(slash);
    folder += "\\log";
    CreateDirectoryA(folder.c_str(), nullptr);
}

} // namespace
} // namespace pellorn

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(self);
        pellorn::createLogFolderBesideLibrary(self);
    }
    return TRUE;
}
