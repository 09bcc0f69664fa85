// UTF-8 and ANSI conversions, including malformed input.
#include <gtest/gtest.h>

#include <string>

#include "tessaly/text/AnsiEncoding.h"
#include "tessaly/text/UTF8Encoding.h"

using tessaly::core::String;
using tessaly::core::WideString;
using tessaly::text::AnsiEncoding;
using tessaly::text::UTF8Encoding;

namespace {

std::string bytes(const String& s)
{
    return std::string(s.text() ? s.text() : "", s.length());
}

std::wstring wide(const WideString& s)
{
    return std::wstring(s.text() ? s.text() : L"", s.length());
}

std::wstring decode(const std::string& in)
{
    UTF8Encoding utf8;
    return wide(utf8.convertToUnicode(in.data(), static_cast<int>(in.size())));
}

} // namespace

TEST(Utf8Test, EncodesEachWidthAsItsByteCount)
{
    UTF8Encoding utf8;
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"A", -1)), "A");
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"\u00e9", -1)), "\xC3\xA9");
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"\u4e2d", -1)), "\xE4\xB8\xAD");
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"\U0001F600", -1)), "\xF0\x9F\x98\x80");
    // Surrogate units are written one by one, three bytes each.
    const wchar_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(bytes(utf8.convertFromUnicode(pair, -1)), "\xED\xA0\xBD\xED\xB8\x80");
    // Beyond the last code point: the replacement character.
    const wchar_t huge[] = {static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ(bytes(utf8.convertFromUnicode(huge, -1)), "\xEF\xBF\xBD");
}

TEST(Utf8Test, LengthRulesAndEmptyInput)
{
    UTF8Encoding utf8;
    EXPECT_TRUE(utf8.convertFromUnicode(nullptr, 5).isEmpty());
    EXPECT_TRUE(utf8.convertFromUnicode(L"abc", 0).isEmpty());
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"abcdef", 3)), "abc");
    EXPECT_EQ(bytes(utf8.convertFromUnicode(L"ab", 50)), "ab"); // beyond the terminator
    const wchar_t inner[] = {L'x', 0, L'y', 0};
    EXPECT_EQ(bytes(utf8.convertFromUnicode(inner, 3)), "x"); // a zero unit ends the text
    EXPECT_TRUE(utf8.convertToUnicode(nullptr, -1).isEmpty());
    EXPECT_EQ(wide(utf8.convertToUnicode("hello", 2)), L"he");
}

TEST(Utf8Test, RoundTripsEveryPlane)
{
    UTF8Encoding utf8;
    std::wstring all;
    for (wchar_t c = 1; c < 0x3000; c += 7)
        all += c;
    for (wchar_t c = 0xD800; c < 0xE000; c += 97) // lone surrogates survive too
        all += c;
    // (The counter is wider than a 16-bit wchar_t could count.)
    for (char32_t c = 0xE000; c <= 0x10FFFF; c += 911)
        all += static_cast<wchar_t>(c);
    all += static_cast<wchar_t>(0xFFFF);
    all += static_cast<wchar_t>(0x10FFFF);
    const String encoded = utf8.convertFromUnicode(all.c_str(), static_cast<int>(all.size()));
    EXPECT_EQ(wide(utf8.convertToUnicode(encoded.text(), static_cast<int>(encoded.length()))), all);
}

TEST(Utf8Test, MalformedInputGivesReplacementsNotGarbage)
{
    const std::wstring R(1, static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(decode("a\x80z"), L"a" + R + L"z");                  // stray continuation
    EXPECT_EQ(decode("\xC0\xAF"), R);                                // overlong '/'
    EXPECT_EQ(decode("\xE0\x80\x80"), R);                            // overlong zero
    EXPECT_EQ(decode("\xF0\x82\x82\xAC"), R);                        // overlong euro sign
    EXPECT_EQ(decode("\xF4\x90\x80\x80"), R);                        // above U+10FFFF
    EXPECT_EQ(decode("\xFF\xFEok"), R + R + L"ok");                  // impossible lead bytes
    EXPECT_EQ(decode("\xE4\xB8" "A"), R + L"A");                     // broken by a plain byte
    EXPECT_EQ(decode("\xE4\xB8\xE4\xB8\xAD"), R + L"\u4e2d");        // broken by a new lead
    EXPECT_EQ(decode("ok\xE4\xB8"), L"ok");                          // cut off at the end: dropped
    EXPECT_EQ(decode("\xF8\x88\x80\x80\x80"), std::wstring(5, 0xFFFD)); // five-byte form
}

TEST(AnsiTest, UsesTheUserCodePage)
{
    AnsiEncoding ansi;
    // The machine's user locale is UTF-8; plain ASCII is the same everywhere.
    EXPECT_EQ(bytes(ansi.convertFromUnicode(L"plain", -1)), "plain");
    EXPECT_EQ(wide(ansi.convertToUnicode("plain text", 5)), L"plain");
    EXPECT_TRUE(ansi.convertToUnicode(nullptr, 3).isEmpty());
    const WideString round = ansi.convertToUnicode(ansi.convertFromUnicode(L"abc\u00e9", -1).text(), -1);
    EXPECT_EQ(round.length(), 4u);
}
