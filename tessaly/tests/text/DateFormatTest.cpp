// DateFormat: both directions for every pattern letter.
#include <gtest/gtest.h>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/text/DateFormat.h"

using tessaly::core::Date;
using tessaly::core::IllegalArgumentException;
using tessaly::core::String;
using tessaly::text::DateFormat;

namespace {

std::string fmt(const char* pattern, const Date& d)
{
    const String s = DateFormat(String(pattern)).format(d);
    return s.text() ? s.text() : "";
}

Date parse(const char* pattern, const char* text)
{
    return DateFormat(String(pattern)).parse(String(text));
}

// 2023-03-05 (a Sunday) 14:07:09.045
const Date kAfternoon(2023, 2, 4, 14, 7, 9, 45);
// 2009-11-30 (a Monday) 08:00:00.000
const Date kMorning(2009, 10, 29, 8, 0, 0, 0);

} // namespace

TEST(DateFormatTest, EmptyPatternIsRefused)
{
    try {
        DateFormat f{String()};
        FAIL();
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "The pattern must not be empty.");
    }
    DateFormat f{String("yyyy")};
    EXPECT_FALSE(f.applyPattern(String()));
    EXPECT_TRUE(f == String("yyyy"));
    EXPECT_TRUE(f.applyPattern(String("yyyy")));
    EXPECT_TRUE(f.applyPattern(String("dd")));
    EXPECT_TRUE(f != DateFormat(String("yyyy")));
    EXPECT_EQ(f.format(kAfternoon), String("05"));
}

TEST(DateFormatTest, StandardPatternRoundTrips)
{
    const char* p = "yyyy-MM-dd HH:mm:ss";
    EXPECT_EQ(fmt(p, kAfternoon), "2023-03-05 14:07:09");
    EXPECT_EQ(parse(p, "2023-03-05 14:07:09"), kAfternoon.addMilliseconds(-45));
    for (const Date& d : {kMorning, Date(1900, 0, 0, 0, 0, 1, 0), Date(2999, 11, 30, 23, 59, 59, 0)})
        EXPECT_EQ(parse(p, fmt(p, d).c_str()), d);
    const char* ms = "yyyy-MM-dd HH:mm:ss.SSS";
    EXPECT_EQ(fmt(ms, kAfternoon), "2023-03-05 14:07:09.045");
    EXPECT_EQ(parse(ms, "2023-03-05 14:07:09.045"), kAfternoon);
}

TEST(DateFormatTest, EveryFieldFormats)
{
    EXPECT_EQ(fmt("yy y yyy yyyy", kMorning), "09 09 2009 2009");
    EXPECT_EQ(fmt("M MM MMM MMMM", kAfternoon), "3 03 Mar March");
    EXPECT_EQ(fmt("d dd ddd", kAfternoon), "5 05 005");
    EXPECT_EQ(fmt("W WW WWW WWWW", kMorning), "1 01 Mon Monday");
    EXPECT_EQ(fmt("W WWW", kAfternoon), "0 Sun");
    EXPECT_EQ(fmt("a|a", kMorning), "AM|AM");
    EXPECT_EQ(fmt("hh:mm a", kAfternoon), "02:07 PM");
    EXPECT_EQ(fmt("H HH h", kMorning), "8 08 8");
    EXPECT_EQ(fmt("s S SSS", kAfternoon), "9 45 045");
}

TEST(DateFormatTest, LiteralsQuotesAndUnknownLetters)
{
    EXPECT_EQ(fmt("yyyy'T'HH", kAfternoon), "2023T14");
    EXPECT_EQ(fmt("'at' HH 'o''clock'", kAfternoon), "at 14 o'clock");
    EXPECT_EQ(fmt("''yy", kAfternoon), "'23");
    EXPECT_EQ(fmt("yyyy zz Q", kAfternoon), "2023 [NOT FORMATABLE KEY] [NOT FORMATABLE KEY]");
    EXPECT_EQ(parse("yyyy'T'HH", "2023T14"), Date(2023, 0, 0, 14, 0, 0, 0));
}

TEST(DateFormatTest, ZeroDateAndEmptyText)
{
    EXPECT_EQ(fmt("yyyy-MM-dd", Date()), "");
    EXPECT_EQ(parse("yyyy-MM-dd", "").toMilliseconds(), 0);
}

TEST(DateFormatTest, NamesAndAmPmParse)
{
    EXPECT_EQ(parse("dd MMM yyyy", "05 mar 2023"), Date(2023, 2, 4, 0, 0, 0, 0));
    EXPECT_EQ(parse("dd MMMM yyyy", "30 November 2009"), Date(2009, 10, 29, 0, 0, 0, 0));
    EXPECT_EQ(parse("dd MMMM yyyy", "30 Nov 2009"), Date(2009, 10, 29, 0, 0, 0, 0));
    const char* p = "WWW, dd MMM yyyy hh:mm:ss a";
    EXPECT_EQ(fmt(p, kAfternoon), "Sun, 05 Mar 2023 02:07:09 PM");
    EXPECT_EQ(parse(p, "Sun, 05 Mar 2023 02:07:09 PM"), kAfternoon.addMilliseconds(-45));
    EXPECT_EQ(parse(p, "Monday, 30 Nov 2009 08:00:00 am"), kMorning);
    EXPECT_EQ(parse(p, fmt(p, kMorning).c_str()), kMorning);
    EXPECT_EQ(parse("hh a", "03 pm").getHour(), 15);
    EXPECT_EQ(parse("yyyy hh a", "2020 03 XM").toMilliseconds(), 0);
}

TEST(DateFormatTest, TwoDigitYearsAndMissingYear)
{
    const int century = Date::now().getYear() / 100 * 100;
    EXPECT_EQ(parse("yy-MM-dd", "07-01-02").getYear(), century + 7);
    EXPECT_EQ(parse("MM-dd", "06-15").getYear(), Date::now().getYear());
    EXPECT_EQ(parse("MM-dd", "06-15").getMonth(), 5);
}

TEST(DateFormatTest, TextThatDoesNotFollowThePattern)
{
    EXPECT_EQ(parse("yyyy-MM-dd", "2023/03/05").toMilliseconds(), 0);  // literal mismatch
    EXPECT_EQ(parse("yyyy-MM-dd HH", "2023-03-05").toMilliseconds(), 0); // too short
    EXPECT_EQ(parse("dd MMM yyyy", "05 Foo 2023").toMilliseconds(), 0);  // no such month
    // Non-digits count as zero: day "0x" becomes day 0, which no month has.
    EXPECT_THROW(parse("yyyy-MM-dd", "2023-03-0x"), IllegalArgumentException);
    EXPECT_THROW(parse("yyyy-MM-dd", "2023-02-30"), IllegalArgumentException);
    EXPECT_THROW(parse("yyyy-MM-dd HH", "2023-02-03 25"), IllegalArgumentException);
}
