// What the logging tests need from the platform they run on.
#pragma once

#include <filesystem>
#include <string>

namespace pellorn::test {

// A new, empty folder under the system's temporary folder.
std::filesystem::path makeTempDir(const std::string& prefix);

// File name (no folder) of the running test program.
std::string ownProgramName();

} // namespace pellorn::test
