// StringTokenizer in both delimiter modes, with and without empty tokens.
#include <gtest/gtest.h>

#include "tessaly/utils/StringList.h"
#include "tessaly/utils/StringTokenizer.h"

using tessaly::core::String;
using tessaly::utils::StringList;
using tessaly::utils::StringTokenizer;

namespace {

std::vector<std::string> all(StringTokenizer& t)
{
    std::vector<std::string> out;
    const int expected = t.countTokens();
    while (t.hasMoreTokens()) {
        const String s = t.nextToken();
        out.emplace_back(s.text() ? s.text() : "");
    }
    EXPECT_EQ(static_cast<int>(out.size()), expected);
    EXPECT_EQ(t.countTokens(), 0);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(StringTokenizerTest, DefaultSplitsOnWhitespaceRuns)
{
    StringTokenizer t(String("  one\ttwo \r\n three  "));
    EXPECT_EQ(all(t), (V{"one", "two", "three"}));
    EXPECT_TRUE(t.nextToken().isEmpty());

    StringTokenizer blank(String(" \t "));
    EXPECT_FALSE(blank.hasMoreTokens());
    StringTokenizer empty{String()};
    EXPECT_EQ(empty.countTokens(), 0);
}

TEST(StringTokenizerTest, EmptyTokensBetweenAdjacentDelimiters)
{
    StringTokenizer t(String("a,,b,"), String(","), true, true);
    EXPECT_EQ(all(t), (V{"a", "", "b", ""}));
    StringTokenizer lead(String(",x"), String(",;"), true, true);
    EXPECT_EQ(all(lead), (V{"", "x"}));
    StringTokenizer only(String(","), String(","), true, true);
    EXPECT_EQ(all(only), (V{"", ""}));
    StringTokenizer skip(String("a,,b,"), String(","), false, true);
    EXPECT_EQ(all(skip), (V{"a", "b"}));
}

TEST(StringTokenizerTest, WholeTextDelimiter)
{
    StringTokenizer t(String("a<>b<<>>c<><>d"), String("<>"), false, false);
    EXPECT_EQ(all(t), (V{"a", "b<", ">c", "d"}));
    StringTokenizer e(String("a<>b<><>c<>"), String("<>"), true, false);
    EXPECT_EQ(all(e), (V{"a", "b", "", "c", ""}));
    // As a character set the same delimiters split at every '<' and '>'.
    StringTokenizer set(String("a<>b<<>>c"), String("<>"), false, true);
    EXPECT_EQ(all(set), (V{"a", "b", "c"}));
}

TEST(StringTokenizerTest, PositionsAndSwitchingDelimiters)
{
    StringTokenizer t(String("key=value;next=2"), String("="), false, true);
    EXPECT_EQ(t.nextToken(), String("key"));
    EXPECT_EQ(t.tokenStart(), 0);
    EXPECT_EQ(t.tokenEnd(), 3);
    EXPECT_EQ(t.nextToken(String(";"), true), String("=value"));
    EXPECT_EQ(t.currentToken(), String("=value"));
    EXPECT_EQ(t.tokenStart(), 3);
    StringList rest;
    EXPECT_EQ(t.nextAllTokens(rest), 1);
    EXPECT_EQ(rest[0], String("next=2"));
}
