#include "app/DevTrace.h"

#include <cstdlib>

std::string startupTraceLine(const char* tag) {
    static const std::string at(12, '@');
    return at + (tag ? tag : "") + at + "\r\n";
}

void startupTrace(const char* tag) { traceText(startupTraceLine(tag)); }

bool messageTraceEnabled() {
    static const bool enabled = std::getenv("QUORVEL_DEBUG_TRACE") != nullptr;
    return enabled;
}

void messageTrace(std::string_view text) {
    if (messageTraceEnabled()) traceText(text);
}
