#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SampleBooks.h"
#include "xl/Book.h"

namespace {

// Where the files go for the reader on the build machine.
std::string outDir()
{
    const char* dir = std::getenv("QUORVEL_XLS_OUT");
    std::string d = dir && *dir ? dir : ".";
    CreateDirectoryA(d.c_str(), nullptr);
    return d + "/";
}

long long sizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string readAll(const std::string& path)
{
    std::string s;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

int filesIn(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    const HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++n;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

} // namespace

TEST(XlWin32Container, WritesTheSmallSampleOverAnOlderFile)
{
    using namespace xl::sample;
    const std::string path = outDir() + "small.xls";
    {
        std::FILE* old = std::fopen(path.c_str(), "wb");
        ASSERT_NE(old, nullptr);
        std::fputs("an older file that the save replaces", old);
        std::fclose(old);
    }
    xl::Book* book = xl::createBook();
    xl::Sheet* sheet = book->addSheet(kSmallSheet);
    ASSERT_NE(sheet, nullptr);
    for (int c = 0; c < 3; ++c)
        ASSERT_TRUE(sheet->writeText(0, c, kHeaders[c]));
    for (int r = 1; r <= kSmallRows; ++r) {
        ASSERT_TRUE(sheet->writeText(r, 0, smallTime(r)));
        ASSERT_TRUE(sheet->writeNumber(r, 1, smallTemperature(r)));
        ASSERT_TRUE(sheet->writeNumber(r, 2, smallHumidity(r)));
    }
    ASSERT_TRUE(book->save(path)) << book->errorMessage();
    // Export names carry device names: a UTF-8 name must become that name on
    // disk, not its bytes read in the ANSI code page.
    ASSERT_TRUE(book->save(outDir() + kUtf8Name)) << book->errorMessage();
    book->release();
    const std::string bytes = readAll(path);
    ASSERT_GE(bytes.size(), 512u + 4096u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(bytes.size() % 512, 0u);
}

TEST(XlWin32Container, WritesTheLargeSampleWithExtraTableSectors)
{
    using namespace xl::sample;
    const std::string path = outDir() + "large.xls";
    xl::Book* book = xl::createBook();
    xl::Sheet* sheet = book->addSheet(kLargeSheet);
    ASSERT_NE(sheet, nullptr);
    for (int r = 0; r < kLargeRows; ++r)
        for (int c = 0; c < kLargeColumns; ++c)
            ASSERT_TRUE(sheet->writeNumber(r, c, largeValue(r, c)));
    ASSERT_TRUE(book->save(path)) << book->errorMessage();
    book->release();
    // Beyond 109 table sectors of 128 entries of 512 bytes.
    EXPECT_GT(sizeOf(path), 109LL * 128 * 512);
}

TEST(XlWin32Container, FailedSaveLeavesNoFileBehind)
{
    const std::string dir = outDir();
    const int before = filesIn(dir);
    xl::Book* book = xl::createBook();
    ASSERT_NE(book->addSheet("s"), nullptr);
    EXPECT_FALSE(book->save(dir + "no-such-folder/x.xls"));
    EXPECT_NE(book->errorMessage().find("cannot create a file in"), std::string::npos) << book->errorMessage();
    book->release();
    EXPECT_EQ(filesIn(dir), before);
}
