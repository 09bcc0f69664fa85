#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tessaly/core/WideString.h"
#include "tessaly/text/UTF8Encoding.h"

using tessaly::core::String;
using tessaly::core::WideString;

TEST(WideStringTest, SharesTheStringRules)
{
    WideString w(L"abcdefg");
    WideString copy = w;
    copy.setAt(0, L'X');
    EXPECT_STREQ(w.text(), L"abcdefg");
    EXPECT_STREQ(w.substring(2, 3).text(), L"cde");
    EXPECT_STREQ(WideString(L"aaa").replaceAll(L"a", L"aa").text(), L"aaaaaa");
    EXPECT_STREQ(WideString(-5).text(), L"-5");
    EXPECT_STREQ(WideString(2.5).text(), L"2.50");
    EXPECT_STREQ(WideString::toHexString(255).text(), L"ff");
    EXPECT_TRUE(WideString(L"TRUE").toBoolValue());
    EXPECT_EQ(WideString(L" 12").toIntValue(), 12);
    EXPECT_TRUE(WideString(L"file.TXT").matchesWildcard(L"*.txt", true));
    EXPECT_TRUE(WideString::matchesWildcard(L"file.txt", L"f*.t?t"));
    EXPECT_TRUE(WideString().text() == nullptr);
    WideString grow;
    for (int i = 0; i < 10; ++i)
        grow += L'x';
    EXPECT_EQ(grow.capacity(), 18u);
}

TEST(WideStringTest, Utf8RoundTripIncludingAstralPlane)
{
    const char* utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a é 中 😀
    WideString w = WideString::fromUTF8(utf8);
    ASSERT_EQ(w.length(), 4u);
    EXPECT_EQ(w[1], L'\u00E9');
    EXPECT_EQ(w[3], static_cast<wchar_t>(0x1F600));
    EXPECT_STREQ(w.toUTF8().text(), utf8);
    EXPECT_TRUE(WideString().toUTF8().isEmpty());
    EXPECT_STREQ(WideString::fromUTF8("abc", 2).text(), L"ab");
    // Broken input turns into replacement characters, not a cut text.
    WideString broken = WideString::fromUTF8("a\xFF" "b");
    EXPECT_STREQ(broken.text(), L"a\uFFFDb");
}

// WideString's own conversions and the UTF-8 encoding object give the same
// result for the same text, the awkward cases included.
TEST(WideStringTest, Utf8ConversionsMatchTheEncodingObject)
{
    tessaly::text::UTF8Encoding utf8;
    const std::vector<std::wstring> wide = {
        L"plain",
        std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x",                   // lone high surrogate
        L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00)),                    // lone low surrogate
        std::wstring(1, static_cast<wchar_t>(0xD83D)) + std::wstring(1, static_cast<wchar_t>(0xDE00)),  // a pair as units
        std::wstring(1, static_cast<wchar_t>(0x110000)),                          // beyond Unicode
        L"\u4E2D\u6587",
    };
    for (const std::wstring& w : wide) {
        const String mine = WideString(w.c_str(), static_cast<int>(w.size())).toUTF8();
        const String theirs = utf8.convertFromUnicode(w.c_str(), static_cast<int>(w.size()));
        EXPECT_EQ(std::string(mine.text() ? mine.text() : "", mine.length()),
                  std::string(theirs.text() ? theirs.text() : "", theirs.length()))
            << "wide text of " << w.size() << " units starting with U+" << std::hex << static_cast<unsigned>(w[0]);
        const String statically = WideString::toUTF8(w.c_str(), static_cast<int>(w.size()));
        EXPECT_STREQ(statically.text() ? statically.text() : "", theirs.text() ? theirs.text() : "");
    }
    const std::vector<std::string> bytes = {
        "plain",
        "ab\xE4\xB8",          // cut off by the end
        "\xE4\xB8x",           // broken by a plain byte
        "\xC0\x80z",           // overlong
        "\xED\xA0\x80",       // an encoded surrogate
        "\x80\xBF",            // stray continuation bytes
        "\xF4\x90\x80\x80",  // above U+10FFFF
    };
    for (const std::string& b : bytes) {
        const WideString mine = WideString::fromUTF8(b.c_str(), static_cast<int>(b.size()));
        const WideString theirs = utf8.convertToUnicode(b.c_str(), static_cast<int>(b.size()));
        EXPECT_EQ(std::wstring(mine.text() ? mine.text() : L"", mine.length()),
                  std::wstring(theirs.text() ? theirs.text() : L"", theirs.length()))
            << "bytes \"" << b << "\"";
    }
}

TEST(WideStringTest, HashUsesUtf16Units)
{
    EXPECT_EQ(WideString(L"a").hashCode(), 97u);
    const unsigned hi = 0xD83D, lo = 0xDE00;  // UTF-16 of U+1F600
    EXPECT_EQ(WideString::fromUTF8("\xF0\x9F\x98\x80").hashCode(), (hi * 16777619u) ^ lo);
    EXPECT_EQ(WideString(L"ab").hashCode(), String("ab").hashCode());
}

TEST(WideStringTest, AnsiConversionsAndBuffers)
{
    // The user's code page is UTF-8 on this machine; plain ASCII is the same everywhere.
    WideString w("hello", 4);
    EXPECT_STREQ(w.text(), L"hell");
    EXPECT_STREQ(WideString("abc", -1).text(), L"abc");
    EXPECT_STREQ(w.toASCII().text(), "hell");
    EXPECT_TRUE(WideString(static_cast<const char*>(nullptr), 3).isEmpty());
    char buf[4];
    EXPECT_EQ(WideString(L"abcdef").copyToBuffer(buf, 4), 3);
    EXPECT_STREQ(buf, "abc");
    wchar_t wbuf[3];
    EXPECT_EQ(WideString(L"abcdef").copyToBuffer(wbuf, 3), 2);
    EXPECT_STREQ(wbuf, L"ab");
}
