// mkdtemp for the Windows build of the tests: the runtime has _mktemp_s but
// no folder-making variant.
#pragma once

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstring>

inline char* mkdtemp(char* pattern)
{
    const std::size_t n = std::strlen(pattern) + 1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char candidate[1024];
        if (n > sizeof candidate)
            return nullptr;
        std::memcpy(candidate, pattern, n);
        if (_mktemp_s(candidate, n) != 0)
            return nullptr;
        if (_mkdir(candidate) == 0) {
            std::memcpy(pattern, candidate, n);
            return pattern;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}
