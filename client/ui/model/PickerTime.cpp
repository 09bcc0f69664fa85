#include "ui/model/PickerTime.h"

#include <cstdio>

namespace quorvel::ui {

std::string pickerText(std::time_t t)
{
    struct tm local {};
    if (!localtime_r(&t, &local))
        return {};
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(text, n);
}

std::optional<std::time_t> parsePickerText(const std::string& text)
{
    int year, month, day, hour, minute, second, used = 0;
    if (std::sscanf(text.c_str(), " %d/%d/%d %d:%d:%d %n", &year, &month, &day, &hour, &minute, &second, &used)
            != 6
        || used != static_cast<int>(text.size()))
        return std::nullopt;
    if (year < 1900 || year > 9999)
        return std::nullopt;
    struct tm local {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    // mktime normalises 2019/2/30 to March; such input is refused.
    if (t == static_cast<std::time_t>(-1) || local.tm_year != year - 1900 || local.tm_mon != month - 1
        || local.tm_mday != day || local.tm_hour != hour || local.tm_min != minute || local.tm_sec != second)
        return std::nullopt;
    return t;
}

}  // namespace quorvel::ui
