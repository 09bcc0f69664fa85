#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "tessaly/core/Date.h"
#include "tessaly/core/IllegalArgumentException.h"

using namespace tessaly::core;

namespace {

void expectThrowText(const std::function<void()>& f, const char* text)
{
    try {
        f();
        ADD_FAILURE() << "no exception, expected: " << text;
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), text);
    }
}

const char* kFields = "Arguement out of range.";
const char* kMillis = "Argument exceeds max value or less than 0.";

} // namespace

TEST(DateTest, DefaultIsMonday1900)
{
    const Date d;
    EXPECT_EQ(d.toMilliseconds(), 0);
    EXPECT_EQ(d.getYear(), 1900);
    EXPECT_EQ(d.getMonth(), 0);
    EXPECT_EQ(d.getDayOfMonth(), 0);
    EXPECT_EQ(d.getDayOfWeek(), 1);
    EXPECT_STREQ(d.getWeekdayOfName().text(), "Mon");
    EXPECT_STREQ(d.getFullWeekName().text(), "Monday");
    EXPECT_STREQ(d.getMonthName().text(), "Jan");
    EXPECT_STREQ(d.getFullMonthName().text(), "January");
}

TEST(DateTest, MillisecondLimits)
{
    const Date max(Date::_maxValue);
    EXPECT_EQ(max.getYear(), 3000);
    EXPECT_EQ(max.getMonth(), 0);
    EXPECT_EQ(max.getDayOfMonth(), 0);
    EXPECT_EQ(max.getHour(), 0);
    EXPECT_STREQ(max.toString().text(), "3000-01-01 00:00:00");
    expectThrowText([] { Date(Date::_maxValue + 1); }, kMillis);
    expectThrowText([] { Date(static_cast<int64>(-1)); }, kMillis);
    EXPECT_EQ((max + 1).toMilliseconds(), Date::_maxValue);
    EXPECT_EQ((Date() - 1).toMilliseconds(), 0);
    EXPECT_EQ((Date() + INT64_MAX).toMilliseconds(), Date::_maxValue) << "no overflow";
    EXPECT_EQ((max - INT64_MIN).toMilliseconds(), Date::_maxValue);
    expectThrowText([] { Date().addMilliseconds(-1); }, kMillis);
    expectThrowText([] { Date().addSeconds(INT64_MAX); }, kMillis);
    expectThrowText([&] { max.addDays(1); }, kMillis);
    Date assigned(5);
    assigned = static_cast<int64>(-7);
    EXPECT_EQ(assigned.toMilliseconds(), 0);
    assigned = static_cast<int64>(1234);
    EXPECT_EQ(assigned.toMilliseconds(), 1234);
    EXPECT_EQ(Date(2000) - Date(500), 1500);
}

TEST(DateTest, FieldValidationAndLeapDays)
{
    EXPECT_NO_THROW(Date(2000, 1, 28, 0, 0, 0, 0));
    expectThrowText([] { Date(1900, 1, 28, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(2100, 1, 28, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(2016, 12, 0, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(2016, 0, 31, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(1899, 11, 30, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(3000, 0, 0, 0, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(2016, 0, 0, -1, 0, 0, 0); }, kFields);
    expectThrowText([] { Date(2016, 0, 0, 0, 60, 0, 0); }, kFields);
    expectThrowText([] { Date(2016, 0, 0, 0, 0, 0, 1000); }, kFields);
    expectThrowText([] { Date(2016, 0, -1, 0, 0, 0, 0); }, kFields);
    const Date d(2999, 11, 30, 23, 59, 59, 999);
    EXPECT_EQ(d.toMilliseconds(), Date::_maxValue - 1);
    EXPECT_FALSE(Date::isLeapYear(1899));
    EXPECT_FALSE(Date::isLeapYear(3000));
    EXPECT_FALSE(Date::isLeapYear(1900));
    EXPECT_TRUE(Date::isLeapYear(2000));
    EXPECT_EQ(Date::getMaxDayOfMonth(2016, 1), 29);
    EXPECT_EQ(Date::getMaxDayOfMonth(2015, 1), 28);
    EXPECT_EQ(Date::getMaxDayOfMonth(2016, 12), -1);
    EXPECT_EQ(Date::getTotalDays(1900, 0, 0), 0);
    EXPECT_EQ(Date::getTotalDays(2000, 0, 0), 36524);
    EXPECT_EQ(Date::getTotalDays(2000, 1, 29), -1);
    EXPECT_EQ(Date::getTotalDays(static_cast<int64>(86400000LL * 3 + 5)), 3);
    EXPECT_EQ(Date::getTotalDays(static_cast<int64>(-1)), -1);
}

TEST(DateTest, FieldsAgreeWithCivilCalendarOverTheWholeRange)
{
    // Walk every day from 1900 to 3000 with an independent calendar count.
    int y = 1900, m = 0, dom = 0, dow = 1, doy = 0;
    const int last = Date::getTotalDays(Date::_maxValue);
    for (int day = 0; day < last; ++day) {
        const Date d(static_cast<int64>(day) * 86400000LL + 45296789);  // 12:34:56.789
        if (d.getYear() != y || d.getMonth() != m || d.getDayOfMonth() != dom || d.getDayOfWeek() != dow ||
            d.getDayInYear() != doy) {
            FAIL() << "day " << day << " reads " << d.getYear() << "-" << d.getMonth() << "-" << d.getDayOfMonth()
                   << ", expected " << y << "-" << m << "-" << dom;
        }
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        const int len[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        dow = (dow + 1) % 7;
        ++doy;
        if (++dom == len[m]) {
            dom = 0;
            if (++m == 12) {
                m = 0;
                ++y;
                doy = 0;
            }
        }
    }
    EXPECT_EQ(y, 3000) << "the walk ends on the last representable day";
    const Date t(2016, 11, 13, 15, 4, 5, 678);
    EXPECT_EQ(t.getHour(), 15);
    EXPECT_EQ(t.getMinute(), 4);
    EXPECT_EQ(t.getSecond(), 5);
    EXPECT_EQ(t.getMillisecond(), 678);
}

TEST(DateTest, MonthsAndYears)
{
    const Date jan31(2016, 0, 30, 8, 9, 10, 11);
    const Date feb = jan31.addMonths(1);
    EXPECT_EQ(feb.getMonth(), 1);
    EXPECT_EQ(feb.getDayOfMonth(), 28);
    EXPECT_EQ(feb.getHour(), 8);
    EXPECT_EQ(feb.getMillisecond(), 11);
    const Date mar15(2016, 2, 14, 0, 0, 0, 0);
    const Date back = mar15.addMonths(-13);
    EXPECT_EQ(back.getYear(), 2015);
    EXPECT_EQ(back.getMonth(), 1);
    EXPECT_EQ(back.getDayOfMonth(), 14);
    const Date plus12 = mar15.addMonths(12);
    EXPECT_EQ(plus12.getYear(), 2017);
    EXPECT_EQ(plus12.getMonth(), 2);
    EXPECT_EQ(plus12.getDayOfMonth(), 14);
    EXPECT_EQ(Date(2016, 10, 14, 0, 0, 0, 0).addMonths(2).getYear(), 2017);
    expectThrowText([] { Date(2999, 11, 0, 0, 0, 0, 0).addMonths(1); }, kFields);
    expectThrowText([] { Date().addMonths(-1); }, kFields);
    expectThrowText([] { Date().addMonths(INT32_MIN); }, kFields);

    const Date leap(2016, 1, 28, 0, 0, 0, 0);
    expectThrowText([&] { leap.addYears(1); }, kFields);
    const Date in2020 = leap.addYears(4);
    EXPECT_EQ(in2020.getYear(), 2020);
    EXPECT_EQ(in2020.getDayOfMonth(), 28);
    expectThrowText([&] { leap.addYears(INT32_MAX); }, kFields);
    EXPECT_EQ(Date().addDays(1).getDayOfMonth(), 1);
    EXPECT_EQ(Date().addHours(25).getHour(), 1);
    EXPECT_EQ(Date().addMinutes(61).getMinute(), 1);
    EXPECT_EQ(Date().addSeconds(61).getSecond(), 1);
}

TEST(DateTest, WeekNumbers)
{
    for (int year : {1900, 2015, 2016, 2017, 2023, 2999})
        EXPECT_EQ(Date(year, 0, 0, 0, 0, 0, 0).getWeekOfYear(), 0) << year;
    EXPECT_EQ(Date(2016, 0, 1, 0, 0, 0, 0).getWeekOfYear(), 0);  // Saturday 2 January
    EXPECT_EQ(Date(2016, 0, 2, 0, 0, 0, 0).getWeekOfYear(), 1);  // Sunday 3 January
    EXPECT_EQ(Date(2016, 0, 9, 0, 0, 0, 0).getWeekOfYear(), 2);  // Sunday 10 January
    EXPECT_EQ(Date(2017, 0, 6, 0, 0, 0, 0).getWeekOfYear(), 0);  // 2017 starts on a Sunday
    EXPECT_EQ(Date(2017, 0, 7, 0, 0, 0, 0).getWeekOfYear(), 1);
    EXPECT_EQ(Date(2016, 1, 0, 0, 0, 0, 0).getWeekOfMonth(), 0);  // Monday 1 February
    EXPECT_EQ(Date(2016, 1, 6, 0, 0, 0, 0).getWeekOfMonth(), 1);  // Sunday 7 February
    expectThrowText([] { Date(Date::_maxValue).getWeekOfYear(); }, kFields);
}

TEST(DateTest, TextForms)
{
    const Date d(2016, 11, 13, 15, 4, 5, 0);
    EXPECT_STREQ(d.toString(false, true).text(), "2016-12-14");
    EXPECT_STREQ(d.toString(true, true).text(), "2016-12-14 15:04:05");
    EXPECT_STREQ(d.toString(true, false).text(), "2016-12-14 03:04:05PM");
    EXPECT_STREQ(Date(2016, 0, 0, 12, 30, 0, 0).toString(true, false).text(), "2016-01-01 00:30:00PM");
    EXPECT_STREQ(Date(2016, 0, 0, 0, 30, 0, 0).toString(true, false).text(), "2016-01-01 00:30:00AM");
    EXPECT_STREQ(d.toWideString(true, false).text(), L"2016-12-14 03:04:05PM");
    EXPECT_STREQ(d.format("%Y/%m/%d %H.%M.%S %a %b").text(), "2016/12/14 15.04.05 Wed Dec");
    EXPECT_STREQ(d.format(L"%d.%m.%Y").text(), L"14.12.2016");
    EXPECT_TRUE(d.format(static_cast<const char*>(nullptr)).isEmpty());
    EXPECT_TRUE(d.format("").isEmpty());
    std::string longPattern(200, 'x');
    EXPECT_TRUE(d.format(longPattern.c_str()).isEmpty()) << "does not fit 128 characters";
    const struct tm t = d;
    EXPECT_EQ(t.tm_year, 116);
    EXPECT_EQ(t.tm_mon, 11);
    EXPECT_EQ(t.tm_mday, 14);
    EXPECT_EQ(t.tm_wday, 3);
    EXPECT_EQ(t.tm_yday, 348);
}

TEST(DateTest, LocalTimeConversions)
{
    setenv("TZ", "Asia/Shanghai", 1);  // fixed +8 h, no daylight saving
    tzset();
    const Date d(2016, 11, 13, 10, 5, 0, 0);
    EXPECT_EQ(d.toLocalTime(), 1481681100LL);
    const Date back = Date::fromLocalTime(1481681100LL);
    EXPECT_EQ(back, d);
    const Date now = Date::now();
    EXPECT_EQ(now.getMillisecond(), 0);
    const long long diff = static_cast<long long>(now.toLocalTime()) - static_cast<long long>(time(nullptr));
    EXPECT_LE(std::llabs(diff), 2);
    unsetenv("TZ");
    tzset();
}
