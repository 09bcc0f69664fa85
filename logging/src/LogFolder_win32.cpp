// Makes sure a "log" folder exists beside this library's own file as soon
// as the library is loaded (the properties file usually points there). The
// folder takes the access rights of the installation folder.
#include "ModulePath.h"

#include <windows.h>

#include <string>

namespace pellorn {
namespace {

void createLogFolderBesideLibrary(HINSTANCE self)
{
    // Wide calls throughout: the folder's name may hold any character.
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH + 1);
    if (n == 0 || n >= MAX_PATH + 1)
        return;
    std::wstring folder(path, n);
    const auto slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return;
    folder.erase(slash);
    folder += L"\\log";
    CreateDirectoryW(folder.c_str(), nullptr);
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
