// The debug view's byte rules without a window: what goes on the wire and
// the bounded receive text. Also the data point rows' colour pair.
#include <gtest/gtest.h>

#include <string>

#include "ui/model/DebugTerminal.h"
#include "ui/model/ItemColours.h"

using namespace quorvel::ui;

TEST(SendBytes, LineBreaksBecomeCrLfAndNothingIsAdded) {
    EXPECT_EQ(sendBytesOf("AT\n"), "AT\r\n");
    EXPECT_EQ(sendBytesOf(""), "");
    EXPECT_EQ(sendBytesOf("AT"), "AT");  // no line end appended
    EXPECT_EQ(sendBytesOf("\n\nx\n"), "\r\n\r\nx\r\n");
    EXPECT_EQ(sendBytesOf("a\r\nb"), "a\r\nb");  // already CR LF: not doubled
    EXPECT_EQ(sendBytesOf("a\rb"), "a\rb");
    EXPECT_EQ(sendBytesOf(std::string("a\0b\n", 4)), std::string("a\0b\r\n", 5));
    // GBK 你好 then a line break: the double-byte characters pass untouched.
    EXPECT_EQ(sendBytesOf("\xC4\xE3\xBA\xC3\n"), "\xC4\xE3\xBA\xC3\r\n");
}

TEST(ReceiveBuffer, AppendsUpToTheFirstZeroByte) {
    ReceiveBuffer buffer;
    EXPECT_EQ(buffer.append("ab").complete, "ab");
    EXPECT_EQ(buffer.append("cd").complete, "cd");
    EXPECT_EQ(buffer.text(), "abcd");
    EXPECT_EQ(buffer.append(std::string("ef\0gh", 5)).complete, "ef");
    EXPECT_EQ(buffer.append(std::string("\0xy", 3)).complete, "");
    EXPECT_EQ(buffer.text(), "abcdef");
    buffer.clear();
    EXPECT_EQ(buffer.text(), "");
}

TEST(ReceiveBuffer, CharacterSplitAcrossMessagesIsShownWhole) {
    ReceiveBuffer buffer;
    // 温度 = CE C2 B6 C8, cut after the first byte and in the middle of 度.
    auto a = buffer.append("x\xCE");
    EXPECT_EQ(a.complete, "x");
    EXPECT_TRUE(buffer.holdsPartialCharacter());
    auto b = buffer.append("\xC2\xB6");
    EXPECT_EQ(b.complete, "\xCE\xC2");
    auto c = buffer.append("\xC8!");
    EXPECT_EQ(c.complete, "\xB6\xC8!");
    EXPECT_EQ(buffer.text(), "x\xCE\xC2\xB6\xC8!");
    EXPECT_FALSE(buffer.holdsPartialCharacter());
    // Clearing also forgets a held-back lead byte.
    buffer.append("\xCE");
    buffer.clear();
    EXPECT_EQ(buffer.append("A").complete, "A");
}

TEST(ReceiveBuffer, OldestTextGoesFirstAndTheNewestStays) {
    ReceiveBuffer buffer(100);
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(buffer.append("0123456789").trimmed);
    EXPECT_EQ(buffer.text().size(), 90u);
    EXPECT_FALSE(buffer.append("abcdefghij").trimmed);  // exactly at the limit
    const auto r = buffer.append("KLMNO");
    EXPECT_TRUE(r.trimmed);
    EXPECT_LE(buffer.text().size(), 100u);
    EXPECT_GE(buffer.text().size(), 70u);
    EXPECT_EQ(buffer.text().substr(buffer.text().size() - 15), "abcdefghijKLMNO");
    // A single message larger than the limit keeps its own end.
    std::string big(500, 'z');
    big += "END";
    EXPECT_TRUE(buffer.append(big).trimmed);
    EXPECT_LE(buffer.text().size(), 100u);
    EXPECT_EQ(buffer.text().substr(buffer.text().size() - 3), "END");
}

TEST(ReceiveBuffer, TrimmingNeverCutsADoubleByteCharacter) {
    ReceiveBuffer buffer(101);
    std::string text = "a";  // odd start, so a cut at an even offset would fall mid-character
    for (int i = 0; i < 60; ++i) text += "\xCE\xC2";
    buffer.append(text);
    ASSERT_LE(buffer.text().size(), 101u);
    // What is left is whole characters only: pairs of lead+trail bytes.
    const std::string& kept = buffer.text();
    ASSERT_EQ(kept.size() % 2, 0u);
    for (std::size_t i = 0; i < kept.size(); i += 2) {
        EXPECT_EQ(static_cast<unsigned char>(kept[i]), 0xCE) << i;
        EXPECT_EQ(static_cast<unsigned char>(kept[i + 1]), 0xC2) << i;
    }
}

TEST(ReceiveBuffer, DefaultLimitIsOneMebibyte) {
    ReceiveBuffer buffer;
    EXPECT_EQ(buffer.limit(), 1024u * 1024u);
    const std::string chunk(64 * 1024, 'q');
    for (int i = 0; i < 16; ++i) buffer.append(chunk);
    EXPECT_EQ(buffer.text().size(), 1024u * 1024u);
    EXPECT_TRUE(buffer.append("tail").trimmed);
    EXPECT_LE(buffer.text().size(), 1024u * 1024u);
    EXPECT_EQ(buffer.text().substr(buffer.text().size() - 4), "tail");
}

TEST(ItemColours, ComplementOfEachChannel) {
    EXPECT_EQ(rgbOf(255), (Rgb{255, 0, 0}));  // 0x00BBGGRR: red in the low byte
    EXPECT_EQ(complementOf(255), (Rgb{0, 255, 255}));
    EXPECT_EQ(rgbOf(0x00336699), (Rgb{0x99, 0x66, 0x33}));
    EXPECT_EQ(complementOf(0x00336699), (Rgb{0x66, 0x99, 0xCC}));
    EXPECT_EQ(complementOf(0), (Rgb{255, 255, 255}));
    EXPECT_EQ(complementOf(0x7F000000 | 0x00FF00), (Rgb{255, 0, 255}));  // high byte ignored
    EXPECT_EQ(colourOf(Rgb{1, 2, 3}), 0x030201);
    EXPECT_EQ(colourOf(rgbOf(0x00ABCDEF)), 0x00ABCDEF);
}

TEST(DebugTerminalShown, NewestPartStartsOnACharacterBoundary) {
    // "a" + three GBK characters (two bytes each) + "b".
    const std::string text = std::string("a") + "\xc4\xe3\xba\xc3\xca\xc0" + "b";
    EXPECT_EQ(quorvel::ui::newestCharacters(text, 100), text);
    EXPECT_EQ(quorvel::ui::newestCharacters(text, 5), std::string("\xba\xc3\xca\xc0") + "b");
    // Cutting at 4 would split a character: the cut moves to the next boundary.
    EXPECT_EQ(quorvel::ui::newestCharacters(text, 4), std::string("\xca\xc0") + "b");
    EXPECT_EQ(quorvel::ui::newestCharacters(text, 0), "");
}
