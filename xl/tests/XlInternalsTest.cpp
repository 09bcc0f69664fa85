#include "SharedStrings.h"
#include "SheetData.h"
#include "Utf16.h"

#include <gtest/gtest.h>

using namespace xl::detail;

TEST(Utf16, ConvertsAllPlanes)
{
    EXPECT_EQ(utf8ToUtf16("DataTime"), u"DataTime");
    EXPECT_EQ(utf8ToUtf16("caf\xC3\xA9"), u"café");
    EXPECT_EQ(utf8ToUtf16("\xE5\xAF\xBC\xE5\x87\xBA"), u"导出");
    // U+1F600 becomes a surrogate pair.
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(utf8ToUtf16(""), u"");
    EXPECT_EQ(utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf16, RejectsMalformedInput)
{
    EXPECT_FALSE(utf8ToUtf16("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(utf8ToUtf16("\xE5\xAF"));         // truncated at the end
    EXPECT_FALSE(utf8ToUtf16("\xE5\xAF" "A"));     // truncated before ASCII
    EXPECT_FALSE(utf8ToUtf16("\x80"));             // stray continuation byte
    EXPECT_FALSE(utf8ToUtf16("\xED\xA0\x80"));     // encoded surrogate
    EXPECT_FALSE(utf8ToUtf16("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_FALSE(utf8ToUtf16("\xB5\xBC\xB3\xF6")); // GBK bytes of 导出, not UTF-8
}

TEST(SharedStrings, SameTextSameIndex)
{
    SharedStrings strings;
    const uint32_t a = strings.intern(u"--");
    const uint32_t b = strings.intern(u"2019-3-24 08:05:00");
    const uint32_t empty = strings.intern(u"");
    EXPECT_EQ(strings.intern(u"--"), a);
    EXPECT_EQ(strings.intern(u""), empty);
    EXPECT_NE(a, b);
    EXPECT_NE(a, empty);
    EXPECT_EQ(strings.uniqueCount(), 3u);
    EXPECT_EQ(strings.at(a), u"--");
    EXPECT_EQ(strings.at(b), u"2019-3-24 08:05:00");
    EXPECT_EQ(strings.at(empty), u"");
}

TEST(SharedStrings, ManyTextsStayIntact)
{
    SharedStrings strings;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 5000; ++i)
        ids.push_back(strings.intern(u"row " + std::u16string(i % 7, u'x') + char16_t(u'0' + i % 10)
                                     + char16_t(0x4E00 + i)));
    for (int i = 0; i < 5000; ++i)
        EXPECT_EQ(strings.intern(u"row " + std::u16string(i % 7, u'x') + char16_t(u'0' + i % 10)
                                 + char16_t(0x4E00 + i)),
                  ids[i]);
    EXPECT_EQ(strings.uniqueCount(), 5000u);
    EXPECT_EQ(strings.at(ids[4999]).back(), char16_t(0x4E00 + 4999));
}

TEST(SheetData, KeepsColumnOrderAndReplaces)
{
    SheetData sheet;
    auto number = [](uint16_t column, double v) {
        Cell c;
        c.column = column;
        c.number = v;
        return c;
    };
    sheet.put(2, number(3, 1.0));
    sheet.put(2, number(1, 2.0));
    sheet.put(2, number(2, 3.0));
    sheet.put(2, number(1, 4.0)); // replaces
    ASSERT_EQ(sheet.rows.size(), 3u);
    EXPECT_TRUE(sheet.rows[0].empty());
    ASSERT_EQ(sheet.rows[2].size(), 3u);
    EXPECT_EQ(sheet.rows[2][0].column, 1);
    EXPECT_EQ(sheet.rows[2][0].number, 4.0);
    EXPECT_EQ(sheet.rows[2][1].column, 2);
    EXPECT_EQ(sheet.rows[2][2].column, 3);

    Cell text;
    text.kind = Cell::Text;
    text.column = 2;
    sheet.put(2, text);
    EXPECT_EQ(sheet.textCellCount(), 1u);
}
