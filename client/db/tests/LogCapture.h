#pragma once
// Collects the database layer's log lines for the length of a test.
#include <mutex>
#include <string>
#include <vector>

#include "db/DbLog.h"

class LogCapture {
public:
    LogCapture()
    {
        setDbLogObserver([this](const char* level, const std::string& message) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(std::string(level) + " " + message);
        });
    }
    ~LogCapture() { setDbLogObserver({}); }

    std::vector<std::string> errors() const { return withPrefix("ERROR "); }
    std::vector<std::string> infos() const { return withPrefix("INFO "); }

private:
    std::vector<std::string> withPrefix(const std::string& prefix) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const std::string& line : lines_)
            if (line.compare(0, prefix.size(), prefix) == 0)
                out.push_back(line.substr(prefix.size()));
        return out;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};
