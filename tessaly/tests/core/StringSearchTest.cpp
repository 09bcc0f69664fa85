#include <gtest/gtest.h>

#include <string>

#include "tessaly/core/String.h"

using tessaly::core::String;

TEST(StringPiecesTest, SubstringAndDrop)
{
    const String s("abcdefg");
    EXPECT_STREQ(s.substring(2, 3).text(), "cde");
    EXPECT_TRUE(s.substring(9).isEmpty());
    EXPECT_STREQ(s.substring(-3).text(), "abcdefg");
    EXPECT_STREQ(s.substring(5, 10).text(), "fg");
    EXPECT_TRUE(s.substring(2, 0).isEmpty());
    EXPECT_TRUE(s.substring(2, -1).isEmpty());
    EXPECT_TRUE(s.dropLastChars(0).isEmpty());
    EXPECT_TRUE(s.dropLastChars(-1).isEmpty());
    EXPECT_TRUE(String("abc").dropLastChars(10).isEmpty());
    EXPECT_STREQ(s.dropLastChars(2).text(), "abcde");
}

TEST(StringPiecesTest, TrimAndCase)
{
    EXPECT_STREQ(String(" \t\r\n\v\fab c \n").trim().text(), "ab c");
    EXPECT_STREQ(String("  ab ").ltrim().text(), "ab ");
    EXPECT_STREQ(String("  ab ").rtrim().text(), "  ab");
    EXPECT_TRUE(String(" \t ").trim().isEmpty());
    EXPECT_STREQ(String("aBc1!").toUpperCase().text(), "ABC1!");
    EXPECT_STREQ(String("aBc1!").toLowerCase().text(), "abc1!");
}

TEST(StringPiecesTest, ReplaceInsertAndFilter)
{
    const String s("abcdef");
    EXPECT_STREQ(s.replace(1, 2, "XYZ").text(), "aXYZdef");
    EXPECT_STREQ(s.replace(1, 2, "XYZ", 1).text(), "aXdef");
    EXPECT_STREQ(s.replace(-4, 1, "X").text(), "Xbcdef");
    EXPECT_STREQ(s.replace(4, 99, "X").text(), "abcdX");
    EXPECT_STREQ(s.replace(99, 2, "X").text(), "abcdefX");
    EXPECT_TRUE(s.replace(0, 6, nullptr).isEmpty());
    EXPECT_STREQ(s.insert(2, "--").text(), "ab--cdef");
    EXPECT_STREQ(s.insert(0, '>').text(), ">abcdef");
    EXPECT_STREQ(s.insert(3, "").text(), "abcdef");
    EXPECT_STREQ(String("banana").replaceAll('a', 'o').text(), "bonono");
    EXPECT_STREQ(String("banana").replaceAll('a', '\0').text(), "banana");
    EXPECT_STREQ(String("aaa").replaceAll("a", "aa").text(), "aaaaaa") << "inserted text is not searched again";
    EXPECT_STREQ(String("xAbxab").replaceAll("ab", "-", true).text(), "x-x-");
    EXPECT_STREQ(String("xAbxab").replaceAll("ab", "-").text(), "xAbx-");
    EXPECT_TRUE(String("abab").replaceAll("ab", nullptr).isEmpty());
    EXPECT_STREQ(String("abc").replaceAll("", "x").text(), "abc");
    EXPECT_STREQ(String("a1b2c3").filter("0123456789").text(), "123");
    EXPECT_STREQ(String("a1b2c3").filter("0123456789", true).text(), "abc");
    EXPECT_TRUE(String("abc").filter(nullptr).isEmpty());
}

TEST(StringPiecesTest, OccurrenceCuts)
{
    const String s("key=value=x");
    EXPECT_STREQ(s.fromFirstOccurrenceOf("=").text(), "value=x");
    EXPECT_STREQ(s.fromFirstOccurrenceOf("=", true).text(), "=value=x");
    EXPECT_STREQ(s.fromLastOccurrenceOf("=").text(), "x");
    EXPECT_STREQ(s.uptoFirstOccurrenceOf("=").text(), "key");
    EXPECT_STREQ(s.uptoFirstOccurrenceOf("=", true).text(), "key=");
    EXPECT_STREQ(s.uptoLastOccurrenceOf("=").text(), "key=value");
    EXPECT_STREQ(s.fromFirstOccurrenceOf("VALUE", false, true).text(), "=x");
    EXPECT_TRUE(s.fromFirstOccurrenceOf("#").isEmpty());
    EXPECT_STREQ(s.fromLastOccurrenceOf("#").text(), "key=value=x");
    EXPECT_STREQ(s.uptoFirstOccurrenceOf("#").text(), "key=value=x");
    EXPECT_STREQ(s.uptoLastOccurrenceOf("#").text(), "key=value=x");
}

TEST(StringCompareTest, OrderingAndCase)
{
    const String a("abc"), e;
    EXPECT_TRUE(a == "abc");
    EXPECT_TRUE("abc" == a);
    EXPECT_FALSE("abd" == a);
    EXPECT_TRUE(a == String("abc"));
    EXPECT_FALSE(a != String("abc"));
    const char literal[] = "abc";
    EXPECT_TRUE(a == literal);
    EXPECT_TRUE(a != "abd");
    EXPECT_TRUE(a < "abd");
    EXPECT_TRUE(a < "abcd");
    EXPECT_TRUE(a > "ab");
    EXPECT_TRUE(e < a);
    EXPECT_TRUE(a > e);
    EXPECT_TRUE(e == static_cast<const char*>(nullptr));
    EXPECT_TRUE(String("\xE9") > "z") << "bytes compare unsigned";
    EXPECT_TRUE(String("a") == 'a');
    EXPECT_TRUE(String("b") > 'a');
    EXPECT_TRUE(a.equalsIgnoreCase("ABC"));
    EXPECT_EQ(a.compareIgnoreCase("ABD"), -1);
    EXPECT_EQ(String("b").compareIgnoreCase("A"), 1);
    EXPECT_TRUE(a.equals("abcdef", 3));
    EXPECT_FALSE(a.equals("abcdef", 4));
    EXPECT_TRUE(a.equals("ABx", 2, true) == false);
    EXPECT_TRUE(a.equals("AbC", 10, true));
    EXPECT_TRUE(e.equals(nullptr, 3));
    EXPECT_FALSE(a.equals(nullptr, 3));
}

TEST(StringSearchTest, IndexFamily)
{
    const String s("abcabcABC");
    EXPECT_EQ(s.indexOf("bc"), 1);
    EXPECT_EQ(s.indexOf(2, "bc"), 4);
    EXPECT_EQ(s.indexOf(5, "bc"), -1);
    EXPECT_EQ(s.indexOf(5, "bc", true), 7);
    EXPECT_EQ(s.indexOf(-9, 'a'), 0);
    EXPECT_EQ(s.indexOf(9, 'a'), -1);
    EXPECT_EQ(s.indexOf(""), -1);
    EXPECT_EQ(s.indexOf(static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(String().indexOf("a"), -1);
    EXPECT_EQ(s.lastIndexOf("abc"), 3);
    EXPECT_EQ(s.lastIndexOf("abc", true), 6);
    EXPECT_EQ(s.lastIndexOf('c'), 5);
    EXPECT_EQ(s.lastIndexOf("abcabcABCx"), -1);
    EXPECT_EQ(s.indexAnyOf("xyC"), 8);
    EXPECT_EQ(s.indexAnyOf("xyC", true), 2);
    EXPECT_EQ(s.indexAnyOf(3, "cb"), 4);
    EXPECT_EQ(s.lastIndexAnyOf("ab"), 4);
    EXPECT_EQ(s.lastIndexAnyOf(""), -1);
    EXPECT_TRUE(s.contains("cA"));
    EXPECT_TRUE(s.contains('B'));
    EXPECT_FALSE(s.contains('d'));
    EXPECT_TRUE(s.containsAnyOf("zB"));
    EXPECT_FALSE(s.containsAnyOf("zd0"));
}

TEST(StringSearchTest, StartsAndEnds)
{
    const String s("Hello.txt");
    EXPECT_TRUE(s.startsWith("Hel"));
    EXPECT_FALSE(s.startsWith("hel"));
    EXPECT_TRUE(s.startsWith("hel", true));
    EXPECT_TRUE(s.startsWith('H'));
    EXPECT_TRUE(s.endsWith(".TXT", true));
    EXPECT_FALSE(s.endsWith(".TXT"));
    EXPECT_TRUE(s.endsWith('t'));
    EXPECT_FALSE(s.endsWith("xHello.txt"));
    EXPECT_FALSE(s.startsWith(""));
    EXPECT_FALSE(String().startsWith("a"));
    EXPECT_FALSE(String().endsWith(static_cast<const char*>(nullptr)));
}

TEST(StringWildcardTest, MemberForm)
{
    EXPECT_TRUE(String("ab").matchesWildcard("ab*"));
    EXPECT_TRUE(String("abc").matchesWildcard("a?c"));
    EXPECT_FALSE(String("abc").matchesWildcard("a?"));
    EXPECT_FALSE(String().matchesWildcard("*"));
    EXPECT_FALSE(String("abc").matchesWildcard(""));
    EXPECT_TRUE(String("abc").matchesWildcard("*"));
    EXPECT_TRUE(String("abcbd").matchesWildcard("a*b?"));
    EXPECT_FALSE(String("abcbde").matchesWildcard("a*b?"));
    EXPECT_TRUE(String("ABC").matchesWildcard("a*c", true));
    EXPECT_FALSE(String("ABC").matchesWildcard("a*c"));
    EXPECT_FALSE(String("ab").matchesWildcard("ab?"));
    // A pathological pattern must answer quickly.
    const std::string text(2000, 'a');
    EXPECT_FALSE(String(text.c_str()).matchesWildcard("*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(StringWildcardTest, StaticForm)
{
    EXPECT_TRUE(String::matchesWildcard("report.txt", "*.txt"));
    EXPECT_TRUE(String::matchesWildcard("ab", "ab*"));
    EXPECT_TRUE(String::matchesWildcard("abc", "a?c"));
    EXPECT_FALSE(String::matchesWildcard("abc", "a?"));
    EXPECT_FALSE(String::matchesWildcard("abc", "A*"));
    EXPECT_TRUE(String::matchesWildcard("abc", "**a**"  "bc"));
    EXPECT_TRUE(String::matchesWildcard("a*b", "a*b"));
    EXPECT_FALSE(String::matchesWildcard("", "*"));
    EXPECT_TRUE(String::matchesWildcard("", ""));
    EXPECT_TRUE(String::matchesWildcard(nullptr, nullptr));
    EXPECT_FALSE(String::matchesWildcard("abc", ""));
    EXPECT_FALSE(String::matchesWildcard("abc", nullptr));
    EXPECT_TRUE(String::matchesWildcard("abcxbc", "*bc"));
    EXPECT_FALSE(String::matchesWildcard("abcxbd", "*bc"));
}

TEST(StringWildcardTest, StaticFormBeyondOldTableSize)
{
    std::string text(3000, 'x');
    text += ".log";
    std::string pattern(1500, '?');
    pattern += "*.log";
    EXPECT_TRUE(String::matchesWildcard(text.c_str(), pattern.c_str()));
    pattern.back() = 'x';
    EXPECT_FALSE(String::matchesWildcard(text.c_str(), pattern.c_str()));
    std::string exact = text;
    EXPECT_TRUE(String::matchesWildcard(text.c_str(), exact.c_str()));
    exact[2500] = 'y';
    EXPECT_FALSE(String::matchesWildcard(text.c_str(), exact.c_str()));
}
