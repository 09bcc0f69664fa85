// The pattern layout of the own file back end: turns a record into the
// text a ConversionPattern describes.
//
// Conversions: %d (ISO8601), %d{ISO8601|ABSOLUTE|DATE|<date pattern>} with
// the letters y M d H h k K m s S E a Z, quoted 'text' and '' for a quote;
// %t thread, %p level, %c logger (%c{n}: its last n parts), %m message,
// %n line end, %F file, %M method, %L line, %l method(file:line), %r
// milliseconds since the library was loaded, %% a percent sign. Each may
// carry a format modifier: '-' pads on the right, a minimum width pads
// with blanks, ".max" keeps the last max characters.
#pragma once

#include "FileLogLevels.h"
#include "LogBackend.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace pellorn::filelog {

struct LogEvent {
    Level level;
    const std::string& logger;
    const char* message;
    const LogLocation& location;
    std::chrono::system_clock::time_point time;
};

class PatternLayout {
public:
    // Conversions it does not know are reported and printed as written.
    explicit PatternLayout(const std::string& pattern);
    ~PatternLayout();

    std::string format(const LogEvent& event) const;

    struct Part;

private:
    std::vector<std::unique_ptr<Part>> parts_;
};

} // namespace pellorn::filelog
