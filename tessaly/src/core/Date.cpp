#include "tessaly/core/Date.h"

#include <cwchar>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::core {

namespace {

constexpr int64 kMsPerDay = 86400000LL;
constexpr const char* kOutOfRange = "Arguement out of range.";
constexpr const char* kBadMillis = "Argument exceeds max value or less than 0.";

const int kDaysInMonth[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};
const int kDaysBefore[2][12] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};
const char* const kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthFull[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char* const kDayShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kDayFull[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool gregorianLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1900-01-01 without range checks; the valid range ends on
// 3000-01-01, which the checked public form does not accept as a year.
int daysSince1900(int year, int month, int day)
{
    return 365 * year + (year - 1) / 4 - (year - 1) / 100 + (year - 1) / 400 - 693960 +
           kDaysBefore[gregorianLeap(year) ? 1 : 0][month] + day;
}

int yearOfDay(int d)
{
    const int y0 = d / 365 + 1899;
    return (d + 460 + y0 / 100 - y0 / 400 - y0 / 4) / 365 + 1900;
}

int monthOfDay(int d, int year)
{
    const int r = d - daysSince1900(year, 0, 0);
    const int* table = kDaysBefore[gregorianLeap(year) ? 1 : 0];
    for (int m = 11; m > 0; --m)
        if (r >= table[m])
            return m;
    return 0;
}

void checkMillis(int64 v)
{
    if (v < 0 || v > Date::_maxValue)
        throw IllegalArgumentException(kBadMillis, __FILE__, __LINE__);
}

int64 clampMillis(int64 v)
{
    return v < 0 ? 0 : (v > Date::_maxValue ? Date::_maxValue : v);
}

// value + n * unit; a product or sum beyond 64 bits is out of range anyway.
Date shifted(int64 value, int64 n, int64 unit)
{
    int64 delta, sum;
    if (__builtin_mul_overflow(n, unit, &delta) || __builtin_add_overflow(value, delta, &sum))
        throw IllegalArgumentException(kBadMillis, __FILE__, __LINE__);
    return Date(sum);
}

} // namespace

Date::Date(int64 milliseconds) : value_(milliseconds)
{
    checkMillis(milliseconds);
}

Date::Date(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    if (year < 1900 || year > 2999 || month < 0 || month > 11 || day < 0 ||
        day >= kDaysInMonth[gregorianLeap(year) ? 1 : 0][month] || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59 || millisecond < 0 || millisecond > 999)
        throw IllegalArgumentException(kOutOfRange, __FILE__, __LINE__);
    value_ = encode(year, month, day, hour, minute, second, millisecond);
}

Date& Date::operator=(int64 milliseconds)
{
    value_ = (milliseconds < 0 || milliseconds > _maxValue) ? 0 : milliseconds;
    return *this;
}

Date Date::operator+(int64 milliseconds) const
{
    int64 sum;
    if (__builtin_add_overflow(value_, milliseconds, &sum))
        sum = milliseconds < 0 ? 0 : _maxValue;
    return Date(clampMillis(sum));
}

Date Date::operator-(int64 milliseconds) const
{
    int64 diff;
    if (__builtin_sub_overflow(value_, milliseconds, &diff))
        diff = milliseconds < 0 ? _maxValue : 0;
    return Date(clampMillis(diff));
}

Date Date::addDays(int n) const { return shifted(value_, n, kMsPerDay); }
Date Date::addHours(int n) const { return shifted(value_, n, 3600000LL); }
Date Date::addMinutes(int n) const { return shifted(value_, n, 60000LL); }
Date Date::addSeconds(int64 n) const { return shifted(value_, n, 1000LL); }
Date Date::addMilliseconds(int64 n) const { return shifted(value_, n, 1LL); }

Date Date::addYears(int n) const
{
    const int64 year = int64(getYear()) + n;
    if (year < 1900 || year > 2999)
        throw IllegalArgumentException(kOutOfRange, __FILE__, __LINE__);
    return Date(static_cast<int>(year), getMonth(), getDayOfMonth(), getHour(), getMinute(), getSecond(),
                getMillisecond());
}

Date Date::addMonths(int n) const
{
    int64 q = n / 12;
    int m = getMonth() + (n - 12 * static_cast<int>(q));
    if (m >= 12) {
        q += 1;
        m -= 12;
    } else if (m < 0) {
        q -= 1;
        m += 12;
    }
    const int64 y = getYear() + q;
    if (y < 1900 || y > 2999)
        throw IllegalArgumentException(kOutOfRange, __FILE__, __LINE__);
    const int lastDay = getMaxDayOfMonth(static_cast<int>(y), m) - 1;
    const int day = getDayOfMonth() < lastDay ? getDayOfMonth() : lastDay;
    return Date(static_cast<int>(y), m, day, getHour(), getMinute(), getSecond(), getMillisecond());
}

int Date::getYear() const { return yearOfDay(dayNumber()); }

int Date::getMonth() const { return monthOfDay(dayNumber(), getYear()); }

int Date::getDayOfMonth() const
{
    const int d = dayNumber();
    const int year = yearOfDay(d);
    return d - daysSince1900(year, monthOfDay(d, year), 0);
}

int Date::getDayOfWeek() const
{
    const int w = dayNumber() % 7 + 1;
    return w == 7 ? 0 : w;
}

int Date::getDayInYear() const
{
    const int d = dayNumber();
    return d - daysSince1900(yearOfDay(d), 0, 0);
}

int Date::getHour() const { return static_cast<int>((value_ / 3600000LL) % 24); }
int Date::getMinute() const { return static_cast<int>((value_ / 60000LL) % 60); }
int Date::getSecond() const { return static_cast<int>((value_ / 1000LL) % 60); }
int Date::getMillisecond() const { return static_cast<int>(value_ % 1000LL); }

int Date::getWeekOfYear() const
{
    const Date first(getYear(), 0, 0, 0, 0, 0, 0);
    return (getDayInYear() + first.getDayOfWeek()) / 7;
}

int Date::getWeekOfMonth() const
{
    const Date first(getYear(), getMonth(), 0, 0, 0, 0, 0);
    return (getDayOfMonth() + first.getDayOfWeek()) / 7;
}

String Date::getMonthName() const { return String(kMonthShort[getMonth()]); }
String Date::getFullMonthName() const { return String(kMonthFull[getMonth()]); }
String Date::getWeekdayOfName() const { return String(kDayShort[getDayOfWeek()]); }
String Date::getFullWeekName() const { return String(kDayFull[getDayOfWeek()]); }

int Date::getHour12Format() const
{
    const int h = getHour();
    return h >= 12 ? h - 12 : h;
}

bool Date::isAfternoon() const { return getHour() >= 12; }

Date::operator struct tm() const
{
    struct tm t {};
    t.tm_year = getYear() - 1900;
    t.tm_mon = getMonth();
    t.tm_mday = getDayOfMonth() + 1;
    t.tm_hour = getHour();
    t.tm_min = getMinute();
    t.tm_sec = getSecond();
    t.tm_wday = getDayOfWeek();
    t.tm_yday = getDayInYear();
    // The count carries no daylight-saving flag: let the C library decide.
    t.tm_isdst = -1;
    return t;
}

int64 Date::toLocalTime() const
{
    struct tm t = *this;
    return static_cast<int64>(mktime(&t));
}

Date Date::fromLocalTime(int64 seconds)
{
    const time_t tt = static_cast<time_t>(seconds);
    struct tm t {};
    if (!localtime_r(&tt, &t))
        throw IllegalArgumentException(kOutOfRange, __FILE__, __LINE__);
    // A leap second (tm_sec 60) is folded into the last regular second.
    return Date(t.tm_year + 1900, t.tm_mon, t.tm_mday - 1, t.tm_hour, t.tm_min, t.tm_sec > 59 ? 59 : t.tm_sec, 0);
}

Date Date::now()
{
    return fromLocalTime(static_cast<int64>(time(nullptr)));
}

String Date::toString(bool withTime, bool use24Hour) const
{
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%d-%02d-%02d", getYear(), getMonth() + 1, getDayOfMonth() + 1);
    if (withTime) {
        const int hour = use24Hour ? getHour() : getHour12Format();
        n += std::snprintf(buf + n, sizeof buf - n, " %02d:%02d:%02d%s", hour, getMinute(), getSecond(),
                           use24Hour ? "" : (isAfternoon() ? "PM" : "AM"));
    }
    return String(buf, n).rtrim();
}

WideString Date::toWideString(bool withTime, bool use24Hour) const
{
    const String s = toString(withTime, use24Hour);
    wchar_t buf[64];
    int i = 0;
    for (; i < static_cast<int>(s.length()) && i < 63; ++i)
        buf[i] = static_cast<wchar_t>(s[i]);
    buf[i] = 0;
    return WideString(buf);
}

String Date::format(const char* pattern) const
{
    if (!pattern || !*pattern)
        return String();
    char buf[128];
    const struct tm t = *this;
    const std::size_t n = std::strftime(buf, sizeof buf, pattern, &t);
    return String(buf, static_cast<int>(n));
}

WideString Date::format(const wchar_t* pattern) const
{
    if (!pattern || !*pattern)
        return WideString();
    wchar_t buf[128];
    const struct tm t = *this;
    const std::size_t n = std::wcsftime(buf, 128, pattern, &t);
    return WideString(buf, static_cast<int>(n));
}

bool Date::isLeapYear(int year)
{
    if (year < 1900 || year > 2999)
        return false;
    return gregorianLeap(year);
}

int Date::getMaxDayOfMonth(int year, int month)
{
    if (year < 1900 || year > 2999 || month < 0 || month > 11)
        return -1;
    return kDaysInMonth[gregorianLeap(year) ? 1 : 0][month];
}

int Date::getTotalDays(int year, int month, int day)
{
    const int max = getMaxDayOfMonth(year, month);
    if (max < 0 || day < 0 || day >= max)
        return -1;
    return daysSince1900(year, month, day);
}

int Date::getTotalDays(int64 milliseconds)
{
    if (milliseconds < 0 || milliseconds > _maxValue)
        return -1;
    return static_cast<int>(milliseconds / kMsPerDay);
}

int64 Date::encode(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    return ((int64(daysSince1900(year, month, day)) * 86400 + (int64(hour) * 60 + minute) * 60 + second) * 1000) +
           millisecond;
}

} // namespace tessaly::core
