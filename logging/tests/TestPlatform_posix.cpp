#include "TestPlatform.h"

#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace pellorn::test {

fs::path makeTempDir(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    return pattern;
}

std::string ownProgramName()
{
    return fs::read_symlink("/proc/self/exe").filename().string();
}

} // namespace pellorn::test
