#include "FileLogLevels.h"

#include "FileLogText.h"

namespace pellorn::filelog {

std::optional<Level> parseLevel(const std::string& text)
{
    const std::string upper = toUpper(trim(text));
    if (upper == "ALL") return All;
    if (upper == "TRACE") return Trace;
    if (upper == "DEBUG") return Debug;
    if (upper == "INFO") return Info;
    if (upper == "WARN") return Warn;
    if (upper == "ERROR") return Error;
    if (upper == "FATAL") return Fatal;
    if (upper == "OFF") return Off;
    return std::nullopt;
}

const char* levelName(Level level)
{
    switch (level) {
    case All: return "ALL";
    case Trace: return "TRACE";
    case Debug: return "DEBUG";
    case Info: return "INFO";
    case Warn: return "WARN";
    case Error: return "ERROR";
    case Fatal: return "FATAL";
    case Off: return "OFF";
    }
    return "";
}

Level fromLogLevel(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug: return Debug;
    case LogLevel::Info: return Info;
    case LogLevel::Error: return Error;
    case LogLevel::Fatal: return Fatal;
    }
    return Fatal;
}

} // namespace pellorn::filelog
