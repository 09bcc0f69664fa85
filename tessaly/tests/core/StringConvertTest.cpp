#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "tessaly/core/String.h"

using tessaly::core::String;

TEST(StringConvertTest, IntegerParsing)
{
    bool ok = false;
    EXPECT_EQ(String("  42").toIntValue(&ok), 42);
    EXPECT_TRUE(ok);
    EXPECT_EQ(String("-17").toIntValue(&ok), -17);
    EXPECT_TRUE(ok);
    EXPECT_EQ(String("12.75").toIntValue(&ok), 12);
    EXPECT_TRUE(ok);
    EXPECT_EQ(String("-").toIntValue(&ok), 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(String("12a").toIntValue(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(String("+5").toIntValue(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(String().toIntValue(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(String("7").toIntValue(), 7);
    EXPECT_EQ(String("9000000000").toInt64Value(&ok), 9000000000LL);
    EXPECT_TRUE(ok);
    EXPECT_EQ(String("4294967297").toIntValue(&ok), 1) << "wraps in 32 bits";
}

TEST(StringConvertTest, DoubleParsing)
{
    bool ok = false;
    EXPECT_NEAR(String("3.25").toDoubleValue(&ok), 3.25, 1e-6);
    EXPECT_TRUE(ok);
    EXPECT_NEAR(String("123456.789").toDoubleValue(&ok), 123456.789, 0.01);
    EXPECT_EQ(String("abc").toDoubleValue(&ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(String("   ").toDoubleValue(&ok), 0.0);
    EXPECT_FALSE(ok) << "blank text is no number";
    EXPECT_EQ(String().toDoubleValue(&ok), 0.0);
    EXPECT_FALSE(ok);
}

TEST(StringConvertTest, BoolValue)
{
    EXPECT_TRUE(String("Y").toBoolValue());
    EXPECT_TRUE(String("TRUE").toBoolValue());
    EXPECT_TRUE(String("1").toBoolValue());
    EXPECT_TRUE(String("y").toBoolValue());
    EXPECT_FALSE(String("yes").toBoolValue());
    EXPECT_FALSE(String(" 1").toBoolValue());
    EXPECT_FALSE(String().toBoolValue());
    EXPECT_FALSE(String("0").toBoolValue());
}

TEST(StringConvertTest, HexStrings)
{
    EXPECT_STREQ(String::toHexString(255).text(), "ff");
    EXPECT_STREQ(String::toHexString(-1).text(), "ffffffff");
    EXPECT_STREQ(String::toHexString(static_cast<short>(-1)).text(), "ffff");
    EXPECT_STREQ(String::toHexString(static_cast<tessaly::core::int64>(-1)).text(), "ffffffffffffffff");
    EXPECT_STREQ(String::toHexString(0).text(), "0");
    const unsigned char bytes[] = {0x0A, 0xFF};
    EXPECT_STREQ(String::toHexString(bytes, 2).text(), "0aff");
    EXPECT_TRUE(String::toHexString(bytes, 0).isEmpty());
    EXPECT_TRUE(String::toHexString(static_cast<const unsigned char*>(nullptr), 3).isEmpty());
}

TEST(StringConvertTest, HashCode)
{
    EXPECT_EQ(String().hashCode(), 0u);
    EXPECT_EQ(String("a").hashCode(), 97u);
    EXPECT_EQ(String("ab").hashCode(), (97u * 16777619u) ^ 98u);
    EXPECT_EQ(String("\xFF").hashCode(), 255u) << "characters hash as unsigned";
}

TEST(StringConvertTest, CopyToBuffers)
{
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(String("abcdefghij").copyToBuffer(buf, 5), 4);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(String("ab").copyToBuffer(buf, 8), 2);
    EXPECT_STREQ(buf, "ab");
    buf[0] = '#';
    EXPECT_EQ(String().copyToBuffer(buf, 8), 0);
    EXPECT_EQ(buf[0], '#') << "untouched for an empty String";
    EXPECT_EQ(String("ab").copyToBuffer(buf, 0), 0);
    EXPECT_EQ(String("ab").copyToBuffer(static_cast<char*>(nullptr), 4), 0);
    wchar_t wbuf[8];
    EXPECT_EQ(String("abcdef").copyToBuffer(wbuf, 4), 3);
    EXPECT_STREQ(wbuf, L"abc");
}

TEST(StringConvertTest, CharacterClasses)
{
    for (char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        EXPECT_TRUE(String::isWhitespace(c));
    EXPECT_FALSE(String::isWhitespace('a'));
    EXPECT_TRUE(String::isLetter('q'));
    EXPECT_FALSE(String::isLetter('1'));
    EXPECT_TRUE(String::isDigit('7'));
    EXPECT_TRUE(String::isLetterOrDigit('7'));
    EXPECT_FALSE(String::isLetterOrDigit('_'));
    EXPECT_EQ(String::toUpperCase('a'), 'A');
    EXPECT_EQ(String::toLowerCase('Q'), 'q');
}
