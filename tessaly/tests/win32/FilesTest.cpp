#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/internal/TextCodec.h"
#include "io/PathRoot.h"
#include "tessaly/io/DirectoryIterator.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileIOException.h"
#include "tessaly/io/FileOutputStream.h"
#include "tessaly/io/RandomAccessFile.h"
#include "tessaly/utils/SharedLibrary.h"

using tessaly::core::String;
using namespace tessaly::io;

namespace {

// A fresh folder under the system's temporary folder, in the drive-letter
// form Windows programs see ("C:/users/.../Temp/...").
class Win32Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        std::string base = temp;
        std::replace(base.begin(), base.end(), '\\', '/');
        base += "tessaly_win32_" + std::to_string(GetCurrentProcessId());
        root_ = base;
        File dir{String(root_.c_str())};
        dir.rmdir(true);
        ASSERT_TRUE(dir.mkdirs());
    }
    void TearDown() override
    {
        File dir{String(root_.c_str())};
        dir.rmdir(true);
        EXPECT_FALSE(dir.exists());
    }
    String path(const std::string& rel) const { return String((root_ + "/" + rel).c_str()); }

    std::string root_;
};

void writeText(const String& path, const std::string& text)
{
    FileOutputStream out{File(path)};
    ASSERT_EQ(out.write(text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
    ASSERT_TRUE(out.flush());
}

std::string readText(const String& path)
{
    RandomAccessFile in(path, true);
    std::string s(static_cast<std::size_t>(in.length()), '\0');
    if (!s.empty()) {
        EXPECT_EQ(in.read(s.data(), static_cast<int>(s.size())), static_cast<int>(s.size()));
    }
    return s;
}

} // namespace

TEST_F(Win32Files, DriveLetterPathsAreRootedAndKeptAsGiven)
{
    EXPECT_TRUE(isRootedPath(String("C:/data")));
    EXPECT_TRUE(isRootedPath(String("/data")));
    EXPECT_FALSE(isRootedPath(String("data/C:")));
    const File f{String((root_ + "\\sub\\..\\a.txt").c_str())};
    File g = f;
    g.removeExistDot();
    EXPECT_STREQ(g.getFullPathname().text(), (root_ + "/a.txt").c_str());
    // A relative name lands in the current folder, which is in the same form.
    const String cwd = File::currentDirectory();
    ASSERT_FALSE(cwd.isEmpty());
    EXPECT_TRUE(isRootedPath(cwd));
    EXPECT_STREQ(File(String("x.txt")).getFullPathname().text(), (std::string(cwd.text()) + "/x.txt").c_str());
}

TEST_F(Win32Files, WriteAppendSeekTruncateAndReadBack)
{
    const String p = path("log.txt");
    writeText(p, "first line\n");
    // A second stream appends: the stream opens at the end.
    writeText(p, "second\n");
    EXPECT_EQ(readText(p), "first line\nsecond\n");
    EXPECT_EQ(File(p).length(), 18);
    {
        RandomAccessFile f(p, false);
        ASSERT_TRUE(f.seek(6));
        EXPECT_EQ(f.write("LINE", 4), 4);
        EXPECT_EQ(f.getFilePointer(), 10);
        ASSERT_TRUE(f.setLength(10));
        EXPECT_EQ(f.length(), 10);
        ASSERT_TRUE(f.flush());
    }
    EXPECT_EQ(readText(p), "first LINE");
    {
        FileOutputStream out{File(p)};
        ASSERT_TRUE(out.clear());
        EXPECT_EQ(out.getPosition(), 0);
    }
    EXPECT_EQ(File(p).length(), 0);
    // Read-only opening of a missing file fails rather than creating it.
    EXPECT_THROW(RandomAccessFile(path("missing.bin"), true), FileIOException);
    EXPECT_FALSE(File(path("missing.bin")).exists());
}

TEST_F(Win32Files, ListingIteratingCopyingRenaming)
{
    ASSERT_TRUE(File(path("a/b/c")).mkdirs());
    writeText(path("one.log"), "1");
    writeText(path("two.txt"), "22");
    writeText(path("a/three.log"), "333");
    writeText(path("a/b/c/four.log"), "4444");

    std::vector<String> files, folders;
    ASSERT_TRUE(File(String(root_.c_str())).listAll(nullptr, String("*"), files, folders));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_STREQ(files[0].text(), "one.log");
    EXPECT_STREQ(files[1].text(), "two.txt");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_STREQ(folders[0].text(), "a");

    std::set<std::string> logs;
    DirectoryIterator it(File(String(root_.c_str())), true, String("*.log"));
    while (it.next())
        logs.insert(it.getRelativePath().text());
    EXPECT_EQ(logs, (std::set<std::string>{"one.log", "a/three.log", "a/b/c/four.log"}));

    const File one(path("one.log"));
    const File copy(path("a/copy.log"));
    ASSERT_TRUE(one.copyTo(copy));
    EXPECT_EQ(readText(path("a/copy.log")), "1");
    File two(path("two.txt"));
    EXPECT_FALSE(two.renameTo(copy, false));
    ASSERT_TRUE(two.renameTo(copy, true));
    EXPECT_FALSE(File(path("two.txt")).exists());
    EXPECT_EQ(readText(path("a/copy.log")), "22");

    File ro(path("one.log"));
    ASSERT_TRUE(ro.setReadOnly(true));
    EXPECT_TRUE(ro.isReadOnly());
    ASSERT_TRUE(ro.setReadOnly(false));
    EXPECT_FALSE(ro.isReadOnly());
    EXPECT_TRUE(ro.deleteFile());
    EXPECT_FALSE(ro.exists());

    File a(path("a"));
    EXPECT_FALSE(a.rmdir(false));
    EXPECT_TRUE(a.rmdir(true));
    EXPECT_FALSE(a.exists());
}

TEST(Win32Library, LoadsASystemLibraryAndFindsAFunction)
{
    tessaly::utils::SharedLibrary kernel("kernel32.dll");
    EXPECT_NE(kernel.procAddress("GetTickCount64"), nullptr);
    EXPECT_EQ(kernel.procAddress("NoSuchFunctionAnywhere"), nullptr);
    EXPECT_ANY_THROW(tessaly::utils::SharedLibrary("no_such_library_here.dll"));
}

TEST(Win32Text, TextRoundTripsThroughTheCodePages)
{
    using namespace tessaly::core::internal;
    // 用户 in UTF-8 and in GBK (code page 936).
    const char utf8[] = "\xE7\x94\xA8\xE6\x88\xB7";
    const char gbk[] = "\xD3\xC3\xBB\xA7";
    const std::wstring wide = decodeText(utf8, 6, "UTF-8");
    ASSERT_EQ(wide, std::wstring(L"\x7528\x6237"));
    EXPECT_EQ(decodeText(gbk, 4, "GBK"), wide);
    EXPECT_EQ(encodeText(wide.data(), wide.size(), "GBK"), std::string(gbk));
    EXPECT_EQ(encodeText(wide.data(), wide.size(), "UTF-8"), std::string(utf8));
    // What a code page cannot hold becomes '?', not an empty text.
    EXPECT_EQ(encodeText(wide.data(), wide.size(), "ISO-8859-1"), "??");
    const std::string acp = userCharset();
    EXPECT_EQ(acp.rfind("CP", 0), 0u) << acp;
}
