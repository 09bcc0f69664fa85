// A save that cannot complete says so and leaves nothing of its own behind;
// a file already at the path stays as it was.
#include "TempDir.h"
#include "XlsReadBack.h"

#include <xl/Book.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

struct BookDeleter {
    void operator()(xl::Book* b) const { b->release(); }
};
using BookPtr = std::unique_ptr<xl::Book, BookDeleter>;

BookPtr bookWithRows(int rows)
{
    BookPtr book(xl::createBook());
    xl::Sheet* sheet = book->addSheet("Sheet1");
    for (int r = 0; r < rows; ++r) {
        sheet->writeText(r, 0, "row " + std::to_string(r));
        for (int c = 1; c < 9; ++c)
            sheet->writeNumber(r, c, r * 0.5 + c);
    }
    return book;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(XlSaveFailure, MissingFolder)
{
    TempDir dir;
    auto book = bookWithRows(10);
    const std::string path = dir.file("no-such-folder/out.xls");
    EXPECT_FALSE(book->save(path));
    EXPECT_NE(book->errorMessage().find("no-such-folder"), std::string::npos) << book->errorMessage();
    EXPECT_TRUE(dir.entries().empty());
}

// Root may write anywhere on disk, but not create files in /proc.
TEST(XlSaveFailure, FolderThatAcceptsNoFiles)
{
    auto book = bookWithRows(10);
    EXPECT_FALSE(book->save("/proc/quorvel-export.xls"));
    EXPECT_FALSE(book->errorMessage().empty());
}

TEST(XlSaveFailure, PathThroughAFile)
{
    TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    auto book = bookWithRows(10);
    EXPECT_FALSE(book->save(dir.file("plain/out.xls")));
    EXPECT_FALSE(book->errorMessage().empty());
    EXPECT_EQ(dir.entries(), std::set<std::string>{"plain"});
}

// The temporary file is fully written, then the rename fails: it must go.
TEST(XlSaveFailure, TargetIsAFolder)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("taken.xls"));
    auto book = bookWithRows(1000);
    EXPECT_FALSE(book->save(dir.file("taken.xls")));
    EXPECT_NE(book->errorMessage().find("taken.xls"), std::string::npos) << book->errorMessage();
    EXPECT_EQ(dir.entries(), std::set<std::string>{"taken.xls"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.xls")));
}

// The disk fills up half-way (a file size limit stands in for a full disk).
TEST(XlSaveFailure, WriteFailsHalfWayKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("report.xls");
    {
        auto old = bookWithRows(5);
        ASSERT_TRUE(old->save(path)) << old->errorMessage();
    }
    const std::string before = contents(path);

    auto big = bookWithRows(20000); // a few MB
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = big->save(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_FALSE(big->errorMessage().empty());
    EXPECT_EQ(dir.entries(), std::set<std::string>{"report.xls"});
    EXPECT_EQ(contents(path), before);
    auto read = xl::test::readXls(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sheets.at(0).rows, 5u);

    // With room again the same book saves.
    EXPECT_TRUE(big->save(path)) << big->errorMessage();
    read = xl::test::readXls(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sheets.at(0).rows, 20000u);
}

TEST(XlSaveFailure, BookWithoutSheet)
{
    TempDir dir;
    BookPtr book(xl::createBook());
    EXPECT_FALSE(book->save(dir.file("empty.xls")));
    EXPECT_FALSE(book->errorMessage().empty());
    EXPECT_TRUE(dir.entries().empty());
}
