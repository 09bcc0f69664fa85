#include "app/DevTrace.h"

#include <windows.h>

#include <string>

// The debugger output, where a developer's debugger or DebugView shows the
// traces of a program started from the desktop (it has no console).
void traceText(std::string_view text) {
    const std::string line(text);  // OutputDebugStringA wants a terminated string
    OutputDebugStringA(line.c_str());
}
