#include "app/StartupTrace.h"

#include <cstdio>

std::string startupTraceLine(const char* tag) {
    static const std::string at(12, '@');
    return at + (tag ? tag : "") + at + "\r\n";
}

void startupTrace(const char* tag) {
    const std::string line = startupTraceLine(tag);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
