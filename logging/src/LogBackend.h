// What the wrappers need from a logging back end: configuration from a
// properties file, loggers by name, level checks and writing a record.
// Two implementations exist: Log4cxxBackend.cpp and FileLogBackend.cpp; a
// build links exactly one of them.
#pragma once

namespace pellorn {

struct LoggerHandle;

// The levels the wrappers write at.
enum class LogLevel { Debug, Info, Error, Fatal };

// Where a record comes from (always the wrapper operation itself).
struct LogLocation {
    const char* file;      // full source path
    const char* shortFile; // file name alone
    const char* function;  // full signature
    int line;
};

namespace logBackend {

// Reads a log4j-style properties file; the records of every logger follow
// it from then on. Never throws.
void configure(const char* propertiesPath);

// Drops the whole configuration: no appenders, the default levels.
void reset();

// A handle to the logger `name`; give it back through releaseLogger.
LoggerHandle* getLogger(const char* name);
void releaseLogger(LoggerHandle* logger);

bool isEnabled(const LoggerHandle& logger, LogLevel level);

// Writes `message` whatever the logger's level (the caller asked first).
void write(const LoggerHandle& logger, LogLevel level, const char* message, const LogLocation& location);

} // namespace logBackend

} // namespace pellorn
