// Value conversions across the table, including the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/Value.h"

using namespace tessaly::core;

TEST(ValueConversionTest, ToBool)
{
    bool ok = false;
    EXPECT_TRUE(Value('x').toBool(&ok));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(Value(0u).toBool());
    EXPECT_TRUE(Value(uint64(1) << 40).toBool()); // non-zero beyond the low 32 bits
    EXPECT_TRUE(Value("Y").toBool());
    EXPECT_TRUE(Value(L"true").toBool());
    EXPECT_FALSE(Value("nope").toBool(&ok));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(Value(1.0).toBool(&ok)); // double is not in the table
    EXPECT_FALSE(ok);
    EXPECT_FALSE(Value().toBool(&ok));
    EXPECT_FALSE(ok);
}

TEST(ValueConversionTest, ToCharTakesTheLowByteOfIntegers)
{
    bool ok = false;
    EXPECT_EQ(Value(0x141).toChar(&ok), 'A');
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(int64(0x7A)).toChar(), 'z');
    EXPECT_EQ(Value(String("7")).toChar(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(true).toChar(&ok), 0);
    EXPECT_FALSE(ok);
}

TEST(ValueConversionTest, ToIntegers)
{
    bool ok = false;
    EXPECT_EQ(Value(true).toInt(&ok), 1);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(int64(-5)).toInt(), -5);
    EXPECT_EQ(Value(-1).toUInt(), 0xFFFFFFFFu);
    EXPECT_EQ(Value(-1).toUInt64(), std::numeric_limits<uint64>::max());
    EXPECT_EQ(Value(int64(0x100000002LL)).toInt(), 2); // cast keeps the low bits
    EXPECT_EQ(Value(9.99).toInt(), 9);
    EXPECT_EQ(Value(-2.5).toInt64(), -2);
    EXPECT_EQ(Value(String("-123")).toInt(&ok), -123);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(String("9000000000")).toInt64(), 9000000000LL);
    EXPECT_EQ(Value(WideString(L"77")).toUInt(), 77u);
    EXPECT_EQ(Value(String("12abc")).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    // Out of range doubles fail rather than wrap.
    EXPECT_EQ(Value(1e12).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(-1.0).toUInt(&ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(std::nan("")).toInt64(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(Date(2000, 0, 0, 0, 0, 0, 0)).toInt64(&ok), 0);
    EXPECT_FALSE(ok);
}

TEST(ValueConversionTest, ToDouble)
{
    bool ok = false;
    EXPECT_EQ(Value(true).toDouble(), 1.0);
    EXPECT_EQ(Value('\x02').toDouble(), 2.0);
    EXPECT_EQ(Value(uint64(1) << 53).toDouble(), 9007199254740992.0);
    EXPECT_FLOAT_EQ(static_cast<float>(Value(String("2.5")).toDouble(&ok)), 2.5f);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(String("x")).toDouble(&ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(Date(2000, 0, 0, 0, 0, 0, 0)).toDouble(&ok), 0.0);
    EXPECT_FALSE(ok);
}

TEST(ValueConversionTest, ToTexts)
{
    EXPECT_EQ(Value(true).toString(), String("true"));
    EXPECT_EQ(Value(false).toString(), String("false"));
    EXPECT_EQ(Value('q').toString(), String("q"));
    EXPECT_EQ(Value(-7).toString(), String("-7"));
    EXPECT_EQ(Value(4000000000u).toString(), String("4000000000"));
    EXPECT_EQ(Value(int64(-9000000000LL)).toString(), String("-9000000000"));
    EXPECT_EQ(Value(std::numeric_limits<uint64>::max()).toString(), String("18446744073709551615"));
    EXPECT_EQ(Value(3.14159).toString(), String("3.14"));
    EXPECT_EQ(Value(WideString(L"wide")).toString(), String("wide"));
    EXPECT_EQ(Value(Date(2023, 2, 4, 14, 7, 9, 0)).toString(), String("2023-03-05 14:07:09"));
    EXPECT_EQ(Value(-7).toWideString(), WideString(L"-7"));
    EXPECT_EQ(Value(String("narrow")).toWideString(), WideString(L"narrow"));
    EXPECT_EQ(Value(Date(2023, 2, 4, 14, 7, 9, 0)).toWideString(), WideString(L"2023-03-05 14:07:09"));
    bool ok = true;
    EXPECT_TRUE(Value().toString(&ok).isEmpty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Value().toWideString(&ok).isEmpty());
    EXPECT_FALSE(ok);
}

TEST(ValueConversionTest, ToDate)
{
    bool ok = false;
    const Date d(2023, 2, 4, 14, 7, 9, 0);
    EXPECT_EQ(Value(d.toMilliseconds()).toDate(&ok), d);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(uint64(1000)).toDate().toMilliseconds(), 1000);
    EXPECT_EQ(Value(String("2023-03-05 14:07:09")).toDate(&ok), d);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(WideString(L"2023-03-05 14:07:09")).toDate(&ok), d);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Value(String("1900-01-01 00:00:00")).toDate(&ok).toMilliseconds(), 0);
    EXPECT_TRUE(ok);
    // Text that does not follow the pattern, or names no real day.
    EXPECT_EQ(Value(String("05/03/2023")).toDate(&ok).toMilliseconds(), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(String("2023-02-30 00:00:00")).toDate(&ok).toMilliseconds(), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value(2.0).toDate(&ok).toMilliseconds(), 0);
    EXPECT_FALSE(ok);
    // Integers outside the Date range throw.
    EXPECT_THROW(Value(-1).toDate(), IllegalArgumentException);
    EXPECT_THROW(Value(Date::_maxValue + 1).toDate(), IllegalArgumentException);
    EXPECT_THROW(Value(std::numeric_limits<uint64>::max()).toDate(), IllegalArgumentException);
}

TEST(ValueConversionTest, ConvertToInPlace)
{
    Value v(String("42"));
    EXPECT_TRUE(v.convertTo(ValueTypeString)); // already that kind
    EXPECT_TRUE(v.convertTo(ValueTypeInt));
    EXPECT_EQ(v.type(), ValueTypeInt);
    EXPECT_EQ(v.toInt(), 42);
    EXPECT_TRUE(v.convertTo(ValueTypeDouble));
    EXPECT_EQ(v.toDouble(), 42.0);
    EXPECT_TRUE(v.convertTo(ValueTypeString));
    EXPECT_EQ(v.toString(), String("42.00"));

    Value bad(String("not a number"));
    Value holder = bad;
    EXPECT_FALSE(bad.convertTo(ValueTypeInt));
    EXPECT_EQ(bad.type(), ValueTypeString);
    EXPECT_EQ(bad.toString(), String("not a number"));
    EXPECT_FALSE(bad.convertTo(ValueTypeNull));
    EXPECT_FALSE(Value().convertTo(ValueTypeInt));

    // A shared record is left alone for the other holders.
    Value shared(7);
    Value other = shared;
    EXPECT_TRUE(shared.convertTo(ValueTypeString));
    EXPECT_EQ(shared.toString(), String("7"));
    EXPECT_EQ(other.type(), ValueTypeInt);

    Value date(String("2023-03-05 14:07:09"));
    EXPECT_TRUE(date.convertTo(ValueTypeDate));
    EXPECT_EQ(date.toDate(), Date(2023, 2, 4, 14, 7, 9, 0));
    Value tooBig(int64(-5));
    EXPECT_THROW(tooBig.convertTo(ValueTypeDate), IllegalArgumentException);
    EXPECT_EQ(tooBig.toInt64(), -5);
}
