#include "db/DbLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include <soci/error.h>

#include "pellorn/LogWrapper.h"

namespace {

std::atomic<pellorn::LogWrapper*> logWrapper{nullptr};

std::mutex observerMutex;
DbLogObserver observer;

void notify(const char* level, const char* format, const std::string& text)
{
    std::lock_guard<std::mutex> lock(observerMutex);
    if (!observer)
        return;
    int size = std::snprintf(nullptr, 0, format, text.c_str());
    std::string message(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::snprintf(message.data(), message.size() + 1, format, text.c_str());
    observer(level, message);
}

}  // namespace

void setDbLogWrapper(pellorn::LogWrapper* wrapper)
{
    logWrapper = wrapper;
}

void dbLogError(const char* format, const std::string& text)
{
    if (pellorn::LogWrapper* wrapper = logWrapper)
        wrapper->error2(format, text.c_str());
    notify("ERROR", format, text);
}

void dbLogInfo(const char* format, const std::string& text)
{
    if (pellorn::LogWrapper* wrapper = logWrapper)
        wrapper->info(format, text.c_str());
    notify("INFO", format, text);
}

std::string dbErrorText(const std::exception& error)
{
    if (const auto* soci = dynamic_cast<const soci::soci_error*>(&error))
        return soci->get_error_message();
    return error.what();
}

void setDbLogObserver(DbLogObserver newObserver)
{
    std::lock_guard<std::mutex> lock(observerMutex);
    observer = std::move(newObserver);
}
