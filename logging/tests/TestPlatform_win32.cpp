#include "TestPlatform.h"

#include <stdexcept>
#include <windows.h>

namespace fs = std::filesystem;

namespace pellorn::test {

fs::path makeTempDir(const std::string& prefix)
{
    const fs::path base = fs::temp_directory_path();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const fs::path dir = base / (prefix + "-" + std::to_string(GetCurrentProcessId()) + "-"
                                     + std::to_string(GetTickCount64() % 100000) + "-" + std::to_string(attempt));
        if (fs::create_directory(dir))
            return dir;
    }
    throw std::runtime_error("no temporary folder under " + base.string());
}

std::string ownProgramName()
{
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return fs::path(std::wstring(path, n)).filename().string();
}

} // namespace pellorn::test
