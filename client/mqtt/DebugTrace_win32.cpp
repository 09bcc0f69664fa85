#include "mqtt/DebugTrace.h"

#include <windows.h>

#include <cstdlib>

// The debugger output costs little when nobody listens, but the message path
// formats a line per message: the same switch as elsewhere keeps it quiet.
bool debugTraceEnabled() {
    static const bool enabled = std::getenv("QUORVEL_DEBUG_TRACE") != nullptr;
    return enabled;
}

void debugTrace(const char* text) {
    if (debugTraceEnabled() && text != nullptr) OutputDebugStringA(text);
}
