#pragma once

#include <ctime>

#include "tessaly/core/String.h"
#include "tessaly/core/Types.h"
#include "tessaly/core/WideString.h"

namespace tessaly::core {

// A local wall-clock instant: milliseconds since 1900-01-01 00:00:00.000,
// from 0 to 3000-01-01 00:00:00.000. Calendar fields are zero-based
// (month 0 = January, day of month 0 = the 1st, day of week 0 = Sunday).
class Date {
public:
    static constexpr int64 _maxValue = 34712668800000LL;

    Date() : value_(0) {}
    Date(const Date& other) = default;
    // Throws IllegalArgumentException outside 0.._maxValue.
    Date(int64 milliseconds);
    // Throws IllegalArgumentException when any field is out of range.
    Date(int year, int month, int day, int hour, int minute, int second, int millisecond);
    ~Date() = default;

    Date& operator=(const Date& other) = default;
    // Out-of-range values store 0; never throws.
    Date& operator=(int64 milliseconds);

    // Clamped into the valid range; never throw.
    Date operator+(int64 milliseconds) const;
    Date operator-(int64 milliseconds) const;
    int64 operator-(const Date& other) const { return value_ - other.value_; }

    bool operator==(const Date& o) const { return value_ == o.value_; }
    bool operator!=(const Date& o) const { return value_ != o.value_; }
    bool operator<(const Date& o) const { return value_ < o.value_; }
    bool operator<=(const Date& o) const { return value_ <= o.value_; }
    bool operator>(const Date& o) const { return value_ > o.value_; }
    bool operator>=(const Date& o) const { return value_ >= o.value_; }

    // These throw when the result leaves the valid range.
    Date addDays(int n) const;
    Date addHours(int n) const;
    Date addMinutes(int n) const;
    Date addSeconds(int64 n) const;
    Date addMilliseconds(int64 n) const;
    Date addYears(int n) const;
    Date addMonths(int n) const;

    int getYear() const;
    int getMonth() const;
    int getDayOfMonth() const;
    int getDayOfWeek() const;
    int getDayInYear() const;
    int getHour() const;
    int getMinute() const;
    int getSecond() const;
    int getMillisecond() const;
    int getWeekOfYear() const;
    int getWeekOfMonth() const;
    String getMonthName() const;
    String getFullMonthName() const;
    String getWeekdayOfName() const;
    String getFullWeekName() const;

    int64 toMilliseconds() const { return value_; }
    operator struct tm() const;
    int64 toLocalTime() const;
    static Date fromLocalTime(int64 seconds);
    static Date now();

    String toString(bool withTime = true, bool use24Hour = true) const;
    WideString toWideString(bool withTime = true, bool use24Hour = true) const;
    String format(const char* pattern) const;
    WideString format(const wchar_t* pattern) const;

    static bool isLeapYear(int year);
    static int getMaxDayOfMonth(int year, int month);
    static int getTotalDays(int year, int month, int day);
    static int getTotalDays(int64 milliseconds);

private:
    int getHour12Format() const;
    bool isAfternoon() const;
    int dayNumber() const { return static_cast<int>(value_ / 86400000LL); }
    static int64 encode(int year, int month, int day, int hour, int minute, int second, int millisecond);

    int64 value_;
};

} // namespace tessaly::core
