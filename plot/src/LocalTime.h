// Local calendar time <-> seconds since 1970, as the plot keeps its times.
#pragma once
#include <cstdint>
#include <optional>

namespace curvella {

struct CalendarFields {
    int year = 1970;
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // 0 = Sunday
};

// The stamp of a local calendar time, daylight saving left to the system.
// Empty when a field is out of range (year < 1900, month 1-12, day 1-31,
// hour 0-23, minute and second 0-59) or the date does not exist (31 April).
std::optional<std::int64_t> makeLocalTime(int year, int month, int day,
                                          int hour, int minute, int second);

// As makeLocalTime, but throws std::invalid_argument on a rejected date.
std::int64_t localTimeOrThrow(int year, int month, int day, int hour, int minute, int second);

CalendarFields breakDownLocal(std::int64_t stamp);

// 00:00 of the stamp's local day.
std::int64_t localMidnight(std::int64_t stamp);

// 00:00 of the first day of the month `monthDelta` months after the stamp's.
std::int64_t firstOfMonth(std::int64_t stamp, int monthDelta = 0);

}  // namespace curvella
