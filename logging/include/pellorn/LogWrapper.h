// Pellorn: named printf-style loggers over a logging back end (log4cxx on
// Linux, the library's own file back end where log4cxx is not available).
//
// One process-wide registry hands out wrappers by name; the first
// createLogWrapper configures the back end from "./ApplicationLog.conf" and reads
// the optional filter file "./LogFilter.conf". Release a wrapper only through
// releaseLogWrapper, in this library.
#pragma once

namespace pellorn {

class LogFilterEntry;
// A logger of the back end, by name; known only inside the library.
struct LoggerHandle;

class LogWrapper {
public:
    explicit LogWrapper(const char* name);
    ~LogWrapper();

    LogWrapper(const LogWrapper&) = delete;
    LogWrapper& operator=(const LogWrapper&) = delete;

    // Level INFO, the message as formatted.
    void info(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Level DEBUG, "ErrorNo(<errorNo>) <message>".
    void debug(int errorNo, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Level DEBUG, the message as formatted.
    void debug2(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Level ERROR, "ErrorNo(<errorNo>) <message>".
    void error(int errorNo, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Level ERROR, the message as formatted.
    void error2(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Level FATAL, "ErrorNo(<errorNo>) <message>".
    void fatal(int errorNo, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Level FATAL, the message as formatted.
    void fatal2(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Longest message kept after formatting; longer ones are cut here.
    static constexpr int maxMessageLength = 3071;

private:
    // Owned; handed back to the back end when the wrapper is destroyed.
    LoggerHandle* logger_ = nullptr;
    // Present only when the filter file was loaded; owned.
    LogFilterEntry* filter_ = nullptr;

    friend struct LogWriteAccess;
};

} // namespace pellorn

extern "C" {
// Returns the wrapper registered under `name`, creating it on first use;
// null for a null name. The first call of the process configures logging.
pellorn::LogWrapper* createLogWrapper(const char* name);
// Destroys the wrapper registered under `name` (for every holder of it).
void releaseLogWrapper(const char* name);
}
