#include "pellorn/LogWrapper.h"

#include "LibraryState.h"
#include "LogBackend.h"
#include "LogFilter.h"
#include "ModulePath.h"

#include <cstdarg>
#include <cstdio>

namespace pellorn {

struct LogWriteAccess {
    static void write(LogWrapper& wrapper, const void* caller, LogLevel level, const int* errorNo,
                      const char* function, int line, const char* format, va_list args)
    {
        if (wrapper.filter_ && !wrapper.filter_->allows(moduleNameOf(caller)))
            return;
        if (!wrapper.logger_ || !logBackend::isEnabled(*wrapper.logger_, level))
            return;

        char text[LogWrapper::maxMessageLength + 1];
        if (std::vsnprintf(text, sizeof text, format ? format : "", args) < 0)
            text[0] = '\0';

        char message[4096];
        if (errorNo)
            std::snprintf(message, sizeof message, "ErrorNo(%d) %s", *errorNo, text);
        else
            std::snprintf(message, sizeof message, "%s", text);

        logBackend::write(*wrapper.logger_, level, message,
                          LogLocation{__FILE__, "LogWrapper.cpp", function, line});
    }
};

LogWrapper::LogWrapper(const char* name)
    : logger_(logBackend::getLogger(name))
{
    LibraryState& state = libraryState();
    if (state.filterLoaded)
        filter_ = new LogFilterEntry(name, state.filterTable.get());
}

LogWrapper::~LogWrapper()
{
    logBackend::releaseLogger(logger_);
    delete filter_;
}

// Each operation hands on its own return address: the filter matches the
// module that called it.
#define PELLORN_WRITE(level, errorNoPtr)                                                \
    va_list args;                                                                       \
    va_start(args, format);                                                             \
    LogWriteAccess::write(*this, __builtin_return_address(0), level, errorNoPtr,        \
                          __PRETTY_FUNCTION__, __LINE__, format, args);                 \
    va_end(args)

void LogWrapper::info(const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Info, nullptr);
}

void LogWrapper::debug(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Debug, &errorNo);
}

void LogWrapper::debug2(const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Debug, nullptr);
}

void LogWrapper::error(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Error, &errorNo);
}

void LogWrapper::error2(const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Error, nullptr);
}

void LogWrapper::fatal(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Fatal, &errorNo);
}

void LogWrapper::fatal2(const char* format, ...)
{
    PELLORN_WRITE(LogLevel::Fatal, nullptr);
}

#undef PELLORN_WRITE

} // namespace pellorn
