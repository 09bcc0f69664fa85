// The buffered streams' rules around the 8 192-byte buffer.
#include <gtest/gtest.h>

#include <string>

#include "MemoryStreams.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/io/BufferedOutputStream.h"

using tessaly::core::IllegalArgumentException;
using tessaly::io::BufferedInputStream;
using tessaly::io::BufferedOutputStream;
using tessaly::io::test::MemoryInputStream;
using tessaly::io::test::MemoryOutputStream;

namespace {

std::string pattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + i % 23);
    return s;
}

} // namespace

TEST(BufferedStreamTest, NullEndsAreRefusedWithTheirTexts)
{
    try {
        BufferedInputStream in(nullptr, false);
        FAIL();
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Input source can't be NULL.");
    }
    try {
        BufferedOutputStream out(nullptr, true);
        FAIL();
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Output source can't be NULL.");
    }
}

TEST(BufferedOutputTest, SmallWritesStayBufferedUntilTheBufferIsFull)
{
    MemoryOutputStream target;
    {
        BufferedOutputStream out(&target, false);
        const std::string data = pattern(8192);
        EXPECT_EQ(out.write(data.data(), 8191), 8191);
        EXPECT_EQ(out.write(data.data() + 8191, 1), 1); // exactly fills it
        EXPECT_TRUE(target.writes.empty());
        EXPECT_EQ(out.getPosition(), 8192);
        EXPECT_EQ(out.write("Z", 1), 1); // no room: the full buffer goes out first
        ASSERT_EQ(target.writes, std::vector<int>{8192});
        EXPECT_EQ(out.getPosition(), 8193);
    }
    // The destructor wrote the last byte.
    EXPECT_EQ(target.writes, (std::vector<int>{8192, 1}));
    EXPECT_EQ(target.data, pattern(8192) + "Z");
}

TEST(BufferedOutputTest, LargeWritesGoStraightToTheTarget)
{
    MemoryOutputStream target;
    BufferedOutputStream out(&target, false);
    const std::string big = pattern(20000);
    EXPECT_EQ(out.write("ab", 2), 2);
    EXPECT_EQ(out.write(big.data(), 8192), 8192);
    EXPECT_EQ(target.writes, (std::vector<int>{2, 8192}));
    EXPECT_EQ(out.write(big.data(), 8191), 8191); // fits the empty buffer
    EXPECT_EQ(target.writes.size(), 2u);
    EXPECT_TRUE(out.flush());
    EXPECT_EQ(target.writes.back(), 8191);
    EXPECT_EQ(target.flushes, 1);
    EXPECT_EQ(target.data, "ab" + big.substr(0, 8192) + big.substr(0, 8191));
}

TEST(BufferedOutputTest, FlushIntoAFullTargetFailsAndKeepsTheRest)
{
    MemoryOutputStream target(5);
    BufferedOutputStream out(&target, false);
    out.write("0123456789", 10);
    EXPECT_FALSE(out.flush());
    EXPECT_EQ(target.data, "01234");
    EXPECT_EQ(out.getPosition(), 10); // five delivered, five still buffered
    target.limit_ = 100;
    EXPECT_TRUE(out.flush());
    EXPECT_EQ(target.data, "0123456789");
}

TEST(BufferedOutputTest, SetPositionWritesOutFirst)
{
    MemoryOutputStream target;
    BufferedOutputStream out(&target, false);
    out.write("hello world", 11);
    EXPECT_FALSE(out.setPosition(-1));
    EXPECT_TRUE(out.setPosition(6));
    out.write("WORLD", 5);
    out.flush();
    EXPECT_EQ(target.data, "hello WORLD");
}

TEST(BufferedOutputTest, OwnedTargetIsDeleted)
{
    struct Tracked : MemoryOutputStream {
        explicit Tracked(bool* gone) : gone_(gone) {}
        ~Tracked() override { *gone_ = true; }
        bool* gone_;
    };
    bool gone = false;
    { BufferedOutputStream out(new Tracked(&gone), true); }
    EXPECT_TRUE(gone);
}

TEST(BufferedInputTest, SmallReadsAreServedFromOneRefill)
{
    const std::string data = pattern(30000);
    auto* source = new MemoryInputStream(data);
    BufferedInputStream in(source, true);
    char buf[16384];
    // Nothing buffered yet: the byte comes straight from the source, then one refill.
    ASSERT_EQ(in.read(buf, 1), 1);
    EXPECT_EQ(source->reads, 2);
    EXPECT_EQ(in.getPosition(), 1);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(in.read(buf, 10), 10);
    EXPECT_EQ(source->reads, 2);
    EXPECT_EQ(std::string(buf, 10), data.substr(991, 10));
    EXPECT_EQ(in.getPosition(), 1001);
}

TEST(BufferedInputTest, ReadingExactlyTheBufferedBytesRefills)
{
    const std::string data = pattern(20000);
    auto* source = new MemoryInputStream(data);
    BufferedInputStream in(source, true);
    char buf[16384];
    ASSERT_EQ(in.read(buf, 1), 1); // buffer now holds bytes 1..8192
    ASSERT_EQ(in.read(buf, 8192), 8192);
    EXPECT_EQ(std::string(buf, 8192), data.substr(1, 8192));
    EXPECT_EQ(source->reads, 3);
    // A read larger than the buffer: buffered part, then straight from the source.
    ASSERT_EQ(in.read(buf, 10000), 10000);
    EXPECT_EQ(std::string(buf, 10000), data.substr(8193, 10000));
    // The rest, though more was asked for: the source ran dry.
    EXPECT_EQ(in.read(buf, 16384), 20000 - 18193);
    EXPECT_FALSE(in.available());
    EXPECT_EQ(in.read(buf, 10), 0);
}

TEST(BufferedInputTest, WholeTextComesThroughForEveryReadSize)
{
    const std::string data = pattern(50000);
    for (int size : {1, 7, 8191, 8192, 8193, 20000}) {
        BufferedInputStream in(new MemoryInputStream(data, 5000), true);
        std::string got;
        std::vector<char> buf(static_cast<std::size_t>(size));
        for (int guard = 0; in.available() && guard < 100000; ++guard) {
            const int n = in.read(buf.data(), size);
            got.append(buf.data(), static_cast<std::size_t>(n));
        }
        EXPECT_EQ(got, data) << "read size " << size;
    }
}

TEST(BufferedInputTest, SetPositionInsideAndOutsideTheBuffer)
{
    const std::string data = pattern(20000);
    BufferedInputStream in(new MemoryInputStream(data), true);
    char buf[4];
    in.read(buf, 1);
    in.read(buf, 4);
    EXPECT_TRUE(in.setPosition(2)); // inside the buffered window
    in.read(buf, 1);
    EXPECT_EQ(buf[0], data[2]);
    EXPECT_TRUE(in.setPosition(15000)); // beyond: the source moves
    in.read(buf, 2);
    EXPECT_EQ(std::string(buf, 2), data.substr(15000, 2));
    EXPECT_EQ(in.getPosition(), 15002);
    EXPECT_FALSE(in.setPosition(-3));
    EXPECT_EQ(in.getTotalCount(), 20000);
}
