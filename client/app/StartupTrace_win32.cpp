#include "app/StartupTrace.h"

#include <windows.h>

// Start-up progress marks go to the debugger output, where a developer's
// debugger or DebugView shows them.
std::string startupTraceLine(const char* tag) {
    static const std::string at(12, '@');
    return at + (tag ? tag : "") + at + "\r\n";
}

void startupTrace(const char* tag) { OutputDebugStringA(startupTraceLine(tag).c_str()); }
