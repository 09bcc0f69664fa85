#include "pellorn/LogWrapper.h"

#include "LibraryState.h"
#include "LogFilter.h"
#include "ModulePath.h"

#include <log4cxx/helpers/messagebuffer.h>
#include <log4cxx/level.h>
#include <log4cxx/logger.h>
#include <log4cxx/spi/location/locationinfo.h>

#include <cstdarg>
#include <cstdio>

namespace pellorn {

using log4cxx::Level;
using log4cxx::Logger;

using LevelCheck = bool (Logger::*)() const;

struct LogWriteAccess {
    static void write(LogWrapper& wrapper, const void* caller, const log4cxx::LevelPtr& level,
                      LevelCheck levelEnabled, const int* errorNo, const char* function, int line,
                      const char* format, va_list args)
    {
        if (wrapper.filter_ && !wrapper.filter_->allows(moduleNameOf(caller)))
            return;
        const log4cxx::LoggerPtr& logger = *wrapper.logger_;
        if (!logger || !((*logger).*levelEnabled)())
            return;

        char text[LogWrapper::maxMessageLength + 1];
        if (std::vsnprintf(text, sizeof text, format ? format : "", args) < 0)
            text[0] = '\0';

        char message[4096];
        if (errorNo)
            std::snprintf(message, sizeof message, "ErrorNo(%d) %s", *errorNo, text);
        else
            std::snprintf(message, sizeof message, "%s", text);

        log4cxx::helpers::MessageBuffer buffer;
        logger->forcedLog(level, buffer.str(buffer << message),
                          log4cxx::spi::LocationInfo(__FILE__, "LogWrapper.cpp", function, line));
    }
};

LogWrapper::LogWrapper(const char* name)
    : logger_(std::make_unique<log4cxx::LoggerPtr>(Logger::getLogger(name)))
{
    LibraryState& state = libraryState();
    if (state.filterLoaded)
        filter_ = new LogFilterEntry(name, state.filterTable.get());
}

LogWrapper::~LogWrapper()
{
    delete filter_;
}

// Each operation hands on its own return address: the filter matches the
// module that called it.
#define PELLORN_WRITE(levelGetter, check, errorNoPtr)                                   \
    va_list args;                                                                       \
    va_start(args, format);                                                             \
    LogWriteAccess::write(*this, __builtin_return_address(0), Level::levelGetter(),     \
                          &Logger::check, errorNoPtr, __PRETTY_FUNCTION__, __LINE__,    \
                          format, args);                                                \
    va_end(args)

void LogWrapper::info(const char* format, ...)
{
    PELLORN_WRITE(getInfo, isInfoEnabled, nullptr);
}

void LogWrapper::debug(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(getDebug, isDebugEnabled, &errorNo);
}

void LogWrapper::debug2(const char* format, ...)
{
    PELLORN_WRITE(getDebug, isDebugEnabled, nullptr);
}

void LogWrapper::error(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(getError, isErrorEnabled, &errorNo);
}

void LogWrapper::error2(const char* format, ...)
{
    PELLORN_WRITE(getError, isErrorEnabled, nullptr);
}

void LogWrapper::fatal(int errorNo, const char* format, ...)
{
    PELLORN_WRITE(getFatal, isFatalEnabled, &errorNo);
}

void LogWrapper::fatal2(const char* format, ...)
{
    PELLORN_WRITE(getFatal, isFatalEnabled, nullptr);
}

#undef PELLORN_WRITE

} // namespace pellorn
