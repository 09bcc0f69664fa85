// The logging back end over log4cxx (Linux builds).
#include "LogBackend.h"
#include "OwnerOnlyFileAppender.h"

#include <log4cxx/file.h>
#include <log4cxx/helpers/messagebuffer.h>
#include <log4cxx/level.h>
#include <log4cxx/logger.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/propertyconfigurator.h>
#include <log4cxx/spi/location/locationinfo.h>

namespace pellorn {

struct LoggerHandle {
    log4cxx::LoggerPtr logger;
};

namespace logBackend {

void configure(const char* propertiesPath)
{
    registerOwnerOnlyAppender();
    log4cxx::PropertyConfigurator::configure(log4cxx::File(propertiesPath));
}

void reset()
{
    log4cxx::LogManager::resetConfiguration();
}

LoggerHandle* getLogger(const char* name)
{
    return new LoggerHandle{log4cxx::Logger::getLogger(name)};
}

void releaseLogger(LoggerHandle* logger)
{
    delete logger;
}

bool isEnabled(const LoggerHandle& handle, LogLevel level)
{
    const log4cxx::LoggerPtr& logger = handle.logger;
    if (!logger)
        return false;
    switch (level) {
    case LogLevel::Debug: return logger->isDebugEnabled();
    case LogLevel::Info: return logger->isInfoEnabled();
    case LogLevel::Error: return logger->isErrorEnabled();
    case LogLevel::Fatal: return logger->isFatalEnabled();
    }
    return false;
}

void write(const LoggerHandle& handle, LogLevel level, const char* message, const LogLocation& location)
{
    log4cxx::LevelPtr levelPtr;
    switch (level) {
    case LogLevel::Debug: levelPtr = log4cxx::Level::getDebug(); break;
    case LogLevel::Info: levelPtr = log4cxx::Level::getInfo(); break;
    case LogLevel::Error: levelPtr = log4cxx::Level::getError(); break;
    case LogLevel::Fatal: levelPtr = log4cxx::Level::getFatal(); break;
    }
    log4cxx::helpers::MessageBuffer buffer;
    handle.logger->forcedLog(levelPtr, buffer.str(buffer << message),
                             log4cxx::spi::LocationInfo(location.file, location.shortFile, location.function,
                                                        location.line));
}

} // namespace logBackend

} // namespace pellorn
