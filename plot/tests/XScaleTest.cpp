#include <gtest/gtest.h>

#include "LocalTime.h"
#include "XScale.h"

using namespace curvella;

namespace {

std::int64_t at(int y, int mo, int d, int h = 0, int mi = 0) { return localTimeOrThrow(y, mo, d, h, mi, 0); }

}  // namespace

TEST(LocalTime, RejectsOutOfRangeFieldsAndDatesThatDoNotExist) {
    EXPECT_FALSE(makeLocalTime(1899, 12, 31, 0, 0, 0));
    EXPECT_FALSE(makeLocalTime(2014, 13, 1, 0, 0, 0));
    EXPECT_FALSE(makeLocalTime(2014, 7, 0, 0, 0, 0));
    EXPECT_FALSE(makeLocalTime(2014, 7, 1, 24, 0, 0));
    EXPECT_FALSE(makeLocalTime(2014, 7, 1, 0, 60, 0));
    EXPECT_FALSE(makeLocalTime(2014, 7, 1, 0, 0, 60));
    EXPECT_FALSE(makeLocalTime(2014, 4, 31, 0, 0, 0));
    EXPECT_FALSE(makeLocalTime(2014, 2, 29, 0, 0, 0));
    EXPECT_TRUE(makeLocalTime(2016, 2, 29, 0, 0, 0));
    EXPECT_THROW(localTimeOrThrow(1800, 1, 1, 0, 0, 0), std::invalid_argument);
    const CalendarFields f = breakDownLocal(at(2014, 7, 19, 10, 30));
    EXPECT_EQ(f.year, 2014);
    EXPECT_EQ(f.month, 7);
    EXPECT_EQ(f.day, 19);
    EXPECT_EQ(f.hour, 10);
    EXPECT_EQ(f.minute, 30);
    EXPECT_EQ(f.weekday, 6);
    EXPECT_EQ(firstOfMonth(at(2014, 12, 19, 5), 1), at(2015, 1, 1));
    EXPECT_EQ(firstOfMonth(at(2014, 1, 19, 5), -1), at(2013, 12, 1));
}

TEST(XScaleRange, SingleDayGivesOneDayWindowAndLabels) {
    XScale x;
    x.setRange(at(2014, 7, 19, 10), at(2014, 7, 19, 14));
    EXPECT_EQ(x.span(), 4);
    EXPECT_STREQ(x.spanName(), "1天");
    ASSERT_EQ(x.days().size(), 1u);
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19));
    EXPECT_EQ(x.windowEnd(), at(2014, 7, 20));
    EXPECT_EQ(x.shortDayLabels()[0], "14/07/19");
    EXPECT_EQ(x.longDayLabels()[0], "周六 2014 七月 19");
    EXPECT_EQ(x.firstDayLongLabel(), "周六 2014 七月 19");
    EXPECT_EQ(x.dayIndex(), 0u);
    const auto& t = x.tickLabels();
    ASSERT_EQ(t.size(), 25u);
    EXPECT_EQ(t[0], "午夜");
    EXPECT_EQ(t[1], "1");
    EXPECT_EQ(t[12], "中午");
    EXPECT_EQ(t[13], "1");
    EXPECT_EQ(t[24], "午夜");
}

TEST(XScalePaging, RefusedOnSingleDayData) {
    XScale x;
    x.setRange(at(2014, 7, 19, 10), at(2014, 7, 19, 14));
    EXPECT_FALSE(x.previousPage());
    EXPECT_FALSE(x.nextPage());
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19));
}

TEST(XScalePaging, DaysBackToTheFirstDayThenRefused) {
    XScale x;
    x.setRange(at(2014, 7, 17, 8), at(2014, 7, 19, 14));
    ASSERT_EQ(x.days().size(), 3u);
    EXPECT_EQ(x.dayIndex(), 2u);
    EXPECT_TRUE(x.previousPage());
    EXPECT_EQ(x.windowStart(), at(2014, 7, 18));
    EXPECT_EQ(x.dayIndex(), 1u);
    EXPECT_TRUE(x.previousPage());
    EXPECT_FALSE(x.previousPage());
    EXPECT_EQ(x.windowStart(), at(2014, 7, 17));
    EXPECT_TRUE(x.nextPage());
    EXPECT_TRUE(x.nextPage());
    EXPECT_FALSE(x.nextPage());
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19));
}

TEST(XScalePaging, DaySpansRealignToMidnight) {
    XScale x;
    x.setRange(at(2014, 7, 17), at(2014, 7, 19, 14));
    ASSERT_TRUE(x.changeSpan(0));
    EXPECT_EQ(x.windowEnd(), at(2014, 7, 19, 1));
    EXPECT_TRUE(x.nextPage());  // one hour
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19, 1));
    ASSERT_TRUE(x.changeSpan(4));
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19, 1));  // start kept
    EXPECT_EQ(x.windowEnd(), at(2014, 7, 20, 1));
    EXPECT_EQ(x.tickLabels()[0], "1");
    EXPECT_TRUE(x.previousPage());  // back to the same day's midnight
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19));
    ASSERT_TRUE(x.changeSpan(0));
    ASSERT_TRUE(x.nextPage());
    ASSERT_TRUE(x.changeSpan(5));
    EXPECT_EQ(x.windowEnd(), at(2014, 7, 22, 1));
    EXPECT_FALSE(x.nextPage());  // the next midnight is past the last day
    EXPECT_TRUE(x.previousPage());
    EXPECT_EQ(x.windowStart(), at(2014, 7, 19));
}

TEST(XScaleSpans, HourSpanLabels) {
    XScale x;
    x.setRange(at(2014, 7, 19), at(2014, 7, 19, 14));
    x.changeSpan(0);
    EXPECT_EQ(x.tickLabels(), (std::vector<std::string>{"12:00 上午", "10", "20", "30", "40", "50", "1:00 上午"}));
    x.changeSpan(1);
    EXPECT_EQ(x.tickLabels(),
              (std::vector<std::string>{"12:00 上午", "1:00 上午", "2:00 上午", "3:00 上午", "4:00 上午"}));
    x.changeSpan(2);
    EXPECT_EQ(x.tickLabels(),
              (std::vector<std::string>{"12:00 上午", "2:00 上午", "4:00 上午", "6:00 上午", "8:00 上午"}));
    x.changeSpan(3);
    ASSERT_EQ(x.tickLabels().size(), 13u);
    EXPECT_EQ(x.tickLabels()[12], "中午");
    x.changeSpan(5);
    ASSERT_EQ(x.tickLabels().size(), 25u);
    EXPECT_EQ(x.tickLabels()[4], "中午");
    EXPECT_EQ(x.windowEnd() - x.windowStart(), 72 * 3600);
}

TEST(XScaleSpans, WeekMonthAndYearWindows) {
    XScale x;
    x.setRange(at(2014, 3, 5), at(2014, 3, 20, 9));
    x.changeSpan(0);
    x.nextPage();  // 01:00 on the 20th
    ASSERT_TRUE(x.changeSpan(6));
    EXPECT_EQ(x.windowStart(), at(2014, 3, 20));
    EXPECT_EQ(x.windowEnd(), at(2014, 3, 27));
    EXPECT_EQ(x.tickLabels(),
              (std::vector<std::string>{"周四", "周五", "周六", "周日", "周一", "周二", "周三"}));
    ASSERT_TRUE(x.changeSpan(7));
    EXPECT_EQ(x.windowEnd(), at(2014, 4, 20));
    ASSERT_EQ(x.tickLabels().size(), 16u);
    EXPECT_EQ(x.tickLabels()[0], "20");
    EXPECT_EQ(x.tickLabels()[6], "1");  // 20 + 12 days = 1 April

    ASSERT_TRUE(x.changeSpan(8));
    EXPECT_EQ(x.windowStart(), at(2014, 3, 1));
    EXPECT_EQ(x.windowEnd(), at(2015, 3, 1));
    EXPECT_EQ(x.tickLabels(), (std::vector<std::string>{"三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月",
                                                        "十一", "十二", "一月", "二月"}));
    EXPECT_EQ(x.dayIndex(), 0u);  // 5 March, the first day on or after 1 March
    EXPECT_FALSE(x.nextPage());   // April starts after the last day
    EXPECT_EQ(x.firstDayLongLabel(), "周三 2014 三月 05");
    // February still overlaps the data (its year runs to February 2015).
    ASSERT_TRUE(x.previousPage());
    EXPECT_EQ(x.windowStart(), at(2014, 2, 1));
    EXPECT_EQ(x.windowEnd(), at(2015, 2, 1));
    EXPECT_EQ(x.dayIndex(), x.days().size());
    EXPECT_EQ(x.firstDayLongLabel(), "周六 2014 二月 01");  // no data day in February
    EXPECT_EQ(x.tickLabels().front(), "二月");
}

TEST(XScaleSpans, ChangeSpanRejectsSameAndOutOfRange) {
    XScale x;
    x.setRange(at(2014, 7, 19), at(2014, 7, 19));
    EXPECT_FALSE(x.changeSpan(4));
    EXPECT_FALSE(x.changeSpan(-1));
    EXPECT_FALSE(x.changeSpan(9));
    EXPECT_EQ(x.span(), 4);
}

TEST(XScaleJump, JumpsToTheChosenDayForTheSpan) {
    XScale x;
    x.setRange(at(2014, 7, 1, 3), at(2014, 7, 10, 3));
    ASSERT_EQ(x.days().size(), 10u);
    ASSERT_TRUE(x.jumpToDay(2));
    EXPECT_EQ(x.windowStart(), at(2014, 7, 3));
    EXPECT_EQ(x.dayIndex(), 2u);
    EXPECT_EQ(x.firstDayLongLabel(), "周四 2014 七月 03");
    EXPECT_FALSE(x.jumpToDay(10));
    x.changeSpan(8);
    ASSERT_TRUE(x.jumpToDay(5));
    EXPECT_EQ(x.windowStart(), at(2014, 7, 1));
}
