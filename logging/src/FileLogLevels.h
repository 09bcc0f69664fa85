// Levels of the own file back end, ordered as log4j orders them.
#pragma once

#include "LogBackend.h"

#include <climits>
#include <optional>
#include <string>

namespace pellorn::filelog {

enum Level : int {
    All = INT_MIN,
    Trace = 5000,
    Debug = 10000,
    Info = 20000,
    Warn = 30000,
    Error = 40000,
    Fatal = 50000,
    Off = INT_MAX,
};

// ALL, TRACE, DEBUG, INFO, WARN, ERROR, FATAL, OFF in any case; none for
// anything else.
std::optional<Level> parseLevel(const std::string& text);

// The name a layout prints ("INFO", "ERROR", ...).
const char* levelName(Level level);

Level fromLogLevel(LogLevel level);

} // namespace pellorn::filelog
