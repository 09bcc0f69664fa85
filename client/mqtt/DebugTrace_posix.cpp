#include "mqtt/DebugTrace.h"

#include <cstdio>
#include <cstdlib>

bool debugTraceEnabled() {
    static const bool enabled = std::getenv("QUORVEL_DEBUG_TRACE") != nullptr;
    return enabled;
}

void debugTrace(const char* text) {
    if (debugTraceEnabled() && text != nullptr) {
        std::fputs(text, stderr);
    }
}
