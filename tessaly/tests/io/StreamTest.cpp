// Typed reads and writes, the line reader and the default stream operations.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MemoryStreams.h"
#include "tessaly/io/BufferedInputStream.h"

using tessaly::core::String;
using tessaly::io::BufferedInputStream;
using tessaly::io::test::MemoryInputStream;
using tessaly::io::test::MemoryOutputStream;

TEST(StreamTypedTest, ValuesRoundTripInHostOrder)
{
    MemoryOutputStream out;
    EXPECT_TRUE(out.writeBool(true));
    EXPECT_TRUE(out.writeBool(false));
    EXPECT_TRUE(out.writeChar('x'));
    EXPECT_TRUE(out.writeShort(-2));
    EXPECT_TRUE(out.writeInt(0x01020304));
    EXPECT_TRUE(out.writeInt64(-5000000000LL));
    EXPECT_TRUE(out.writeFloat(1.5f));
    EXPECT_TRUE(out.writeDouble(-2.25));
    ASSERT_EQ(out.data.size(), 1u + 1 + 1 + 2 + 4 + 8 + 4 + 8);
    // Little-endian host: the low byte of the int comes first.
    EXPECT_EQ(out.data[5], '\x04');
    EXPECT_EQ(out.data[8], '\x01');

    MemoryInputStream in(out.data);
    bool ok = false;
    EXPECT_TRUE(in.readBool(&ok));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(in.readBool());
    EXPECT_EQ(in.readChar(), 'x');
    EXPECT_EQ(in.readShort(), -2);
    EXPECT_EQ(in.readInt(), 0x01020304);
    EXPECT_EQ(in.readInt64(), -5000000000LL);
    EXPECT_EQ(in.readFloat(), 1.5f);
    EXPECT_EQ(in.readDouble(&ok), -2.25);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(in.available());
}

TEST(StreamTypedTest, ShortSourceReportsFailureAndZero)
{
    MemoryInputStream in(std::string("\x01\x02\x03", 3));
    bool ok = true;
    EXPECT_EQ(in.readInt(&ok), 0);
    EXPECT_FALSE(ok);

    MemoryInputStream empty("");
    EXPECT_EQ(empty.readChar(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(empty.readDouble(&ok), 0.0);
    EXPECT_FALSE(ok);
}

TEST(StreamTypedTest, ValueSplitOverSeveralReadsIsAssembled)
{
    MemoryOutputStream out;
    out.writeInt64(0x1122334455667788LL);
    MemoryInputStream in(out.data, 3);
    bool ok = false;
    EXPECT_EQ(in.readInt64(&ok), 0x1122334455667788LL);
    EXPECT_TRUE(ok);
}

TEST(StreamOffsetTest, OffsetReadsAndWritesRejectBadArguments)
{
    MemoryInputStream in("abcdef");
    char buf[8] = {};
    EXPECT_EQ(in.read(nullptr, 0, 2), 0);
    EXPECT_EQ(in.read(buf, -1, 2), 0);
    EXPECT_EQ(in.read(buf, 0, 0), 0);
    EXPECT_EQ(in.read(buf, 2, 3), 3);
    EXPECT_EQ(std::string(buf + 2, 3), "abc");

    MemoryOutputStream out;
    EXPECT_EQ(out.write("hello", 1, 3), 3);
    EXPECT_EQ(out.data, "ell");
    EXPECT_EQ(out.write("hello", -1, 3), 0);
}

// Line breaks in all forms, read both through the plain stream (which puts
// the look-ahead back by position) and through the buffered one.
class LineReaderTest : public ::testing::TestWithParam<int> {
protected:
    std::vector<std::string> readAll(const std::string& text)
    {
        std::vector<std::string> lines;
        MemoryInputStream* source = new MemoryInputStream(text, GetParam() == 2 ? 1 : 1 << 30, GetParam() != 3);
        std::unique_ptr<tessaly::io::InputStream> in;
        if (GetParam() == 0)
            in.reset(source);
        else
            in.reset(new BufferedInputStream(source, true));
        for (int guard = 0; in->available() && guard < 1000; ++guard) {
            const String line = in->readNextLine();
            lines.emplace_back(line.text() ? line.text() : "");
        }
        EXPECT_TRUE(in->readNextLine().isEmpty());
        return lines;
    }
};

TEST_P(LineReaderTest, EveryBreakFormCountsOnce)
{
    EXPECT_EQ(readAll("a\r\nb\n\rc\rd\ne"), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST_P(LineReaderTest, DoubledBreaksGiveEmptyLines)
{
    EXPECT_EQ(readAll("a\n\nb\r\rc\r\n\r\nd"), (std::vector<std::string>{"a", "", "b", "", "c", "", "d"}));
}

TEST_P(LineReaderTest, LookAheadIsNotLost)
{
    // CR followed by a plain character: that character starts the next line.
    EXPECT_EQ(readAll("x\rY\nZ"), (std::vector<std::string>{"x", "Y", "Z"}));
    // A trailing break gives no extra line; end of input ends the last one.
    EXPECT_EQ(readAll("one\r\n"), (std::vector<std::string>{"one"}));
    EXPECT_EQ(readAll("tail"), (std::vector<std::string>{"tail"}));
}

TEST_P(LineReaderTest, VeryLongLineIsKeptWhole)
{
    const std::string big(100000, 'q');
    const auto lines = readAll(big + "\n" + big.substr(0, 9000) + "\r\nend");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], big);
    EXPECT_EQ(lines[1].size(), 9000u);
    EXPECT_EQ(lines[2], "end");
}

// 0: plain, 1: buffered, 2: buffered over a one-byte trickle, 3: buffered
// over an unpositionable source.
INSTANTIATE_TEST_SUITE_P(Sources, LineReaderTest, ::testing::Values(0, 1, 2, 3));

TEST(StreamSkipTest, SkipsInPiecesUpToTheEnd)
{
    MemoryInputStream in(std::string(20000, 'a') + "Z");
    EXPECT_EQ(in.skipBytes(20000), 20000);
    EXPECT_GE(in.reads, 3); // pieces of at most 8 192
    EXPECT_EQ(in.readChar(), 'Z');
    EXPECT_EQ(in.skipBytes(50), 0);
}

TEST(StreamCopyTest, WriteFromInputStreamCopiesUpToCount)
{
    MemoryInputStream in(std::string(10000, 'b'));
    MemoryOutputStream out;
    EXPECT_EQ(out.writeFromInputStream(in, 9000), 9000);
    EXPECT_EQ(out.writeFromInputStream(in, 9000), 1000);
    EXPECT_EQ(out.data, std::string(10000, 'b'));

    // A sink that fills up stops the copy and reports what went through.
    MemoryInputStream again(std::string(100, 'c'));
    MemoryOutputStream full(40);
    EXPECT_EQ(full.writeFromInputStream(again, 100), 40);
}

TEST(StreamPrintfTest, FormatsShortAndLongTexts)
{
    MemoryOutputStream out;
    EXPECT_EQ(out.printf("%d-%s", 42, "x"), 4);
    const std::string longText(3000, 'w');
    EXPECT_EQ(out.printf("[%s]", longText.c_str()), 3002);
    EXPECT_EQ(out.data, "42-x[" + longText + "]");
    EXPECT_EQ(out.printf("%s", ""), 0);
}
