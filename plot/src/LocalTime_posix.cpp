#include "LocalTime.h"

#include <ctime>
#include <stdexcept>

namespace curvella {

namespace {

std::optional<std::int64_t> fromTm(std::tm tm) {
    const int year = tm.tm_year, month = tm.tm_mon, day = tm.tm_mday;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    // mktime silently rolls 31 April over to 1 May: such a date is not a date.
    if (tm.tm_year != year || tm.tm_mon != month || tm.tm_mday != day) return std::nullopt;
    return static_cast<std::int64_t>(t);
}

std::tm toTm(std::int64_t stamp) {
    const std::time_t t = static_cast<std::time_t>(stamp);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) throw std::invalid_argument("time stamp outside the calendar");
    return tm;
}

}  // namespace

std::optional<std::int64_t> makeLocalTime(int year, int month, int day,
                                          int hour, int minute, int second) {
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return fromTm(tm);
}

std::int64_t localTimeOrThrow(int year, int month, int day, int hour, int minute, int second) {
    auto t = makeLocalTime(year, month, day, hour, minute, second);
    if (!t) throw std::invalid_argument("invalid calendar date");
    return *t;
}

CalendarFields breakDownLocal(std::int64_t stamp) {
    const std::tm tm = toTm(stamp);
    CalendarFields f;
    f.year = tm.tm_year + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    f.weekday = tm.tm_wday;
    return f;
}

std::int64_t localMidnight(std::int64_t stamp) {
    const CalendarFields f = breakDownLocal(stamp);
    return localTimeOrThrow(f.year, f.month, f.day, 0, 0, 0);
}

std::int64_t firstOfMonth(std::int64_t stamp, int monthDelta) {
    const CalendarFields f = breakDownLocal(stamp);
    int months = f.year * 12 + (f.month - 1) + monthDelta;
    return localTimeOrThrow(months / 12, months % 12 + 1, 1, 0, 0, 0);
}

}  // namespace curvella
