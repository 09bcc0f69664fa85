// File-backed streams and the random-access file.
#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/io/BufferedOutputStream.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileIOException.h"
#include "tessaly/io/FileInputStream.h"
#include "tessaly/io/FileOutputStream.h"
#include "tessaly/io/RandomAccessFile.h"

using tessaly::core::IllegalArgumentException;
using tessaly::core::String;
using namespace tessaly::io;
using tessaly::io::test::TempDirTest;

using FileStreamTest = TempDirTest;

TEST_F(FileStreamTest, OutputAppendsToExistingContent)
{
    writeText("log.txt", "first\n");
    const File f{String(path("log.txt").c_str())};
    {
        FileOutputStream out(f);
        EXPECT_EQ(out.getPosition(), 6);
        EXPECT_EQ(out.write("second\n", 7), 7);
        EXPECT_TRUE(out.flush());
        EXPECT_EQ(&out.getFile() != nullptr, true);
    }
    {
        std::unique_ptr<OutputStream> out(f.createOutputStream());
        out->printf("%s-%d\n", "third", 3);
    }
    EXPECT_EQ(readText("log.txt"), "first\nsecond\nthird-3\n");
}

TEST_F(FileStreamTest, OutputCreatesMissingFileAndClears)
{
    const File f{String(path("fresh.bin").c_str())};
    FileOutputStream out(f);
    out.writeInt(7);
    EXPECT_EQ(f.length(), 4);
    EXPECT_TRUE(out.clear());
    EXPECT_EQ(f.length(), 0);
    EXPECT_EQ(out.getPosition(), 0);
    out.write("abcdef", 6);
    EXPECT_TRUE(out.setPosition(2));
    out.write("XY", 2);
    EXPECT_EQ(readText("fresh.bin"), "abXYef");
    EXPECT_FALSE(out.setPosition(-1));
}

TEST_F(FileStreamTest, OpenFailuresThrowTheirTexts)
{
    try {
        FileInputStream in(File(String(path("missing").c_str())));
        FAIL();
    } catch (const FileIOException& e) {
        EXPECT_STREQ(e.getDescription().text(), "File open failed.");
    }
    try {
        FileOutputStream out(File(String(path("no/such/dir/f").c_str())));
        FAIL();
    } catch (const FileIOException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Failed to open file.");
    }
    try {
        RandomAccessFile raf(String(), false);
        FAIL();
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "The filename can't be empty.");
    }
    try {
        RandomAccessFile raf(String(path("absent").c_str()), true);
        FAIL();
    } catch (const FileIOException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Failed to open file.");
    }
}

TEST_F(FileStreamTest, InputReadsTypedDataAndLines)
{
    const File f{String(path("data.bin").c_str())};
    {
        BufferedOutputStream out(new FileOutputStream(f), true);
        out.writeInt(123456);
        out.writeDouble(3.5);
        out.printf("line one\r\nline two\n");
    }
    FileInputStream in(f);
    EXPECT_EQ(in.getTotalCount(), 4 + 8 + 19);
    EXPECT_EQ(in.readInt(), 123456);
    EXPECT_EQ(in.readDouble(), 3.5);
    EXPECT_STREQ(in.readNextLine().text(), "line one");
    EXPECT_STREQ(in.readNextLine().text(), "line two");
    EXPECT_FALSE(in.available());
    EXPECT_TRUE(in.readNextLine().isEmpty());
    EXPECT_TRUE(in.setPosition(4));
    EXPECT_EQ(in.readDouble(), 3.5);
}

TEST_F(FileStreamTest, BufferedCopyOfALargeFileIsExact)
{
    std::string data(300000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + i / 251);
    writeText("big.in", data);
    {
        BufferedInputStream in(new FileInputStream(File(String(path("big.in").c_str()))), true);
        BufferedOutputStream out(new FileOutputStream(File(String(path("big.out").c_str()))), true);
        char buf[5000];
        int n;
        while ((n = in.read(buf, sizeof buf)) > 0)
            ASSERT_EQ(out.write(buf, n), n);
    }
    EXPECT_EQ(readText("big.out"), data);
}

TEST_F(FileStreamTest, RandomAccessReadWriteSeekAndLength)
{
    RandomAccessFile raf(String(path("raf.bin").c_str()), false);
    EXPECT_EQ(raf.length(), 0);
    EXPECT_EQ(raf.write("0123456789", 10), 10);
    EXPECT_EQ(raf.getFilePointer(), 10);
    EXPECT_TRUE(raf.seek(3));
    char buf[4] = {};
    EXPECT_EQ(raf.read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "3456");
    EXPECT_TRUE(raf.setLength(5));
    EXPECT_EQ(raf.length(), 5);
    EXPECT_EQ(raf.getFilePointer(), 5);
    EXPECT_TRUE(raf.setLength(8)); // extends with zeros
    EXPECT_EQ(raf.length(), 8);
    EXPECT_TRUE(raf.flush());
    raf.close();
    EXPECT_EQ(raf.getFilePointer(), -1);
    EXPECT_EQ(raf.read(buf, 1), -1);
    EXPECT_EQ(readText("raf.bin"), std::string("01234\0\0\0", 8));

    File f{String(path("raf.bin").c_str())};
    RandomAccessFile ro(f, true);
    EXPECT_EQ(ro.write("x", 1), -1);
    EXPECT_FALSE(ro.setLength(1));
    EXPECT_EQ(ro.read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "01");
}
