// File: path rules, system operations and listings.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "TempDir.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/io/DirectoryIterator.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileFilter.h"

using tessaly::core::Date;
using tessaly::core::IllegalArgumentException;
using tessaly::core::String;
using tessaly::io::DirectoryIterator;
using tessaly::io::File;
using tessaly::io::FileFilter;
using tessaly::io::test::TempDirTest;

namespace {

std::string str(const String& s)
{
    return s.text() ? s.text() : "";
}

std::vector<std::string> strs(const std::vector<String>& v)
{
    std::vector<std::string> out;
    for (const String& s : v)
        out.push_back(str(s));
    return out;
}

} // namespace

TEST(FilePathTest, EmptyOrIllegalPathsAreRefused)
{
    for (const char* bad : {"", "a*b", "what?", "say\"hi\"", "<x", "y>", "p|q"}) {
        try {
            File f{String(bad)};
            ADD_FAILURE() << bad;
        } catch (const IllegalArgumentException& e) {
            EXPECT_STREQ(e.getDescription().text(), "Argument is empty or includes illegal char.");
        }
    }
}

TEST(FilePathTest, RelativePathsJoinTheCurrentDirectory)
{
    const std::string cwd = str(File::currentDirectory());
    ASSERT_FALSE(cwd.empty());
    EXPECT_EQ(str(File(String("/abs/x.txt")).getFullPathname()), "/abs/x.txt");
    EXPECT_EQ(str(File(String("rel/x.txt")).getFullPathname()), cwd + "/rel/x.txt");
    // Backslashes become separators, and a leading one makes the path absolute.
    EXPECT_EQ(str(File(String("\\data\\log.txt")).getFullPathname()), "/data/log.txt");
    EXPECT_EQ(str(File(String("sub\\f")).getFullPathname()), cwd + "/sub/f");
}

TEST(FilePathTest, RemoveExistDotResolvesSegments)
{
    auto norm = [](const char* p) {
        File f{String(p)};
        f.removeExistDot();
        return str(f.getFullPathname());
    };
    EXPECT_EQ(norm("/a/./b/../c"), "/a/c");
    EXPECT_EQ(norm("/a/b/c/../../d/."), "/a/d");
    EXPECT_EQ(norm("/a//b/"), "/a/b");
    // ".." never climbs above the root.
    EXPECT_EQ(norm("/../../x"), "/x");
    EXPECT_EQ(norm("/a/.."), "/");
}

TEST(FilePathTest, ComparisonIsCaseSensitive)
{
    EXPECT_TRUE(File(String("/a/B")) == File(String("/a/B")));
    EXPECT_TRUE(File(String("/a/B")) != File(String("/a/b")));
    EXPECT_TRUE(File(String("/a/B")) == String("/a/B"));
}

TEST(FilePathTest, NamePartsAndExtensions)
{
    const File f{String("/no/such/dir/report.final.TXT")};
    EXPECT_EQ(str(f.getFilename()), "report.final.TXT");
    EXPECT_EQ(str(f.getFileExtension()), "TXT");
    EXPECT_TRUE(f.hasExtension(String("TXT")));
    EXPECT_TRUE(f.hasExtension(String(".TXT")));
    EXPECT_FALSE(f.hasExtension(String("txt")));
    EXPECT_EQ(str(f.getFilenameWithoutExtension()), "report.final");
    EXPECT_EQ(str(f.replaceFileExtension(String(".csv")).getFullPathname()), "/no/such/dir/report.final.csv");
    EXPECT_EQ(str(f.replaceFileExtension(String()).getFullPathname()), "/no/such/dir/report.final");
    EXPECT_EQ(str(f.getParentDirectory().getFullPathname()), "/no/such/dir");

    // A dot in a directory name is no extension.
    const File g{String("/v1.2/README")};
    EXPECT_EQ(str(g.getFileExtension()), "");
    EXPECT_EQ(str(g.getFilenameWithoutExtension()), "README");
    EXPECT_EQ(str(g.replaceFileExtension(String("md")).getFullPathname()), "/v1.2/README.md");

    EXPECT_EQ(str(File(String("/top/")).getParentDirectory().getFullPathname()), "/");
    EXPECT_EQ(str(File(String("/")).getParentDirectory().getFullPathname()), "/");
}

TEST(FilePathTest, ChildrenLieBelowTheDirectory)
{
    const File dir{String("/data/logs")};
    EXPECT_TRUE(File(String("/data/logs/a.txt")).isAChildOf(dir));
    EXPECT_TRUE(File(String("/data/logs/x/y/z")).isAChildOf(dir));
    EXPECT_FALSE(File(String("/data/logs")).isAChildOf(dir));
    EXPECT_FALSE(File(String("/data/logsold/a")).isAChildOf(dir));
    EXPECT_FALSE(File(String("/data/logs/../a")).isAChildOf(dir));
    EXPECT_TRUE(File(String("/data/other/../logs/b")).isAChildOf(dir));
    EXPECT_TRUE(File(String("/etc/passwd")).isAChildOf(File(String("/"))));
}

using FileSystemTest = TempDirTest;

TEST_F(FileSystemTest, CreateDeleteAndAttributes)
{
    File f{String(path("new.bin").c_str())};
    EXPECT_FALSE(f.exists());
    EXPECT_TRUE(f.createNewFile());
    EXPECT_FALSE(f.createNewFile());
    EXPECT_TRUE(f.existsAsFile());
    EXPECT_FALSE(f.isDirectory());
    EXPECT_EQ(f.length(), 0);
    writeText("new.bin", "12345");
    EXPECT_EQ(f.length(), 5);

    EXPECT_TRUE(f.setReadOnly(true));
    EXPECT_TRUE(f.isReadOnly());
    EXPECT_TRUE(f.setReadOnly(false));
    EXPECT_FALSE(f.isReadOnly());

    const Date when(2020, 5, 14, 8, 30, 15, 0);
    EXPECT_TRUE(f.setLastModified(when));
    EXPECT_EQ(f.lastModified(), when);
    EXPECT_EQ(f.lastAccessed(), when);
    EXPECT_GT(f.createTime().toMilliseconds(), 0);

    File folder{String(dir.c_str())};
    EXPECT_TRUE(folder.isDirectory());
    EXPECT_EQ(str(folder.getFileExtension()), "");
    EXPECT_FALSE(folder.deleteFile());
    EXPECT_TRUE(f.deleteFile());
    EXPECT_FALSE(f.exists());
    EXPECT_EQ(f.length(), 0);
    EXPECT_EQ(f.lastModified().toMilliseconds(), 0);
}

TEST_F(FileSystemTest, MkdirsAndRecursiveRmdir)
{
    File deep{String(path("a/b/c/d").c_str())};
    EXPECT_FALSE(deep.mkdir());
    EXPECT_TRUE(deep.mkdirs());
    EXPECT_TRUE(deep.isDirectory());
    EXPECT_TRUE(deep.mkdirs());
    writeText("a/b/c/file.txt", "x");
    ASSERT_EQ(::symlink(dir.c_str(), path("a/b/link").c_str()), 0);

    File top{String(path("a").c_str())};
    EXPECT_FALSE(top.rmdir(false)); // not empty
    EXPECT_TRUE(top.rmdir(true));
    EXPECT_FALSE(top.exists());
    // The link was removed, not followed.
    EXPECT_TRUE(File(String(dir.c_str())).isDirectory());
}

TEST_F(FileSystemTest, RenameRespectsOverwrite)
{
    writeText("from.txt", "source");
    writeText("to.txt", "target");
    File from{String(path("from.txt").c_str())};
    File to{String(path("to.txt").c_str())};
    EXPECT_FALSE(from.renameTo(to, false));
    EXPECT_EQ(readText("to.txt"), "target");
    EXPECT_TRUE(from.renameTo(to, true));
    EXPECT_EQ(readText("to.txt"), "source");
    EXPECT_FALSE(from.exists());
    EXPECT_FALSE(from.renameTo(to, true)); // nothing to move
}

TEST_F(FileSystemTest, RenameAcrossFileSystemsCopies)
{
    // /dev/shm is a separate tmpfs on this kind of machine; skip where it is not.
    struct stat a, b;
    if (::stat("/dev/shm", &b) != 0 || ::stat(dir.c_str(), &a) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system";
    writeText("move.bin", std::string(100000, 'm'));
    const std::string other = "/dev/shm/tessaly_move_" + std::to_string(::getpid());
    File from{String(path("move.bin").c_str())};
    File to{String(other.c_str())};
    ASSERT_TRUE(from.renameTo(to, false));
    EXPECT_FALSE(from.exists());
    EXPECT_EQ(to.length(), 100000);
    to.deleteFile();
}

TEST_F(FileSystemTest, CopyReplacesTheTarget)
{
    writeText("orig.txt", "content");
    writeText("copy.txt", "longer old content");
    File orig{String(path("orig.txt").c_str())};
    EXPECT_TRUE(orig.copyTo(File(String(path("copy.txt").c_str()))));
    EXPECT_EQ(readText("copy.txt"), "content");
    EXPECT_EQ(readText("orig.txt"), "content");
    EXPECT_FALSE(orig.copyTo(orig));
    EXPECT_EQ(readText("orig.txt"), "content");
    EXPECT_FALSE(File(String(path("missing").c_str())).copyTo(File(String(path("x").c_str()))));
}

TEST_F(FileSystemTest, DeleteOnExitRemovesWhenTheMarkedObjectDies)
{
    writeText("temp.txt", "t");
    {
        File f{String(path("temp.txt").c_str())};
        f.deleteOnExit(false);
        { File copy(f); } // copies carry no mark
        EXPECT_TRUE(f.exists());
    }
    EXPECT_FALSE(File(String(path("temp.txt").c_str())).exists());

    writeText("keep.txt", "k");
    {
        File marked{String(path("other.txt").c_str())};
        marked.deleteOnExit(false);
        marked = File(String(path("keep.txt").c_str())); // the mark stays with the old path
    }
    EXPECT_TRUE(File(String(path("keep.txt").c_str())).exists());

    File(String(path("tree/sub").c_str())).mkdirs();
    writeText("tree/sub/f", "f");
    {
        File tree{String(path("tree").c_str())};
        tree.deleteOnExit(true);
    }
    EXPECT_FALSE(File(String(path("tree").c_str())).exists());
}

TEST_F(FileSystemTest, ListingsMatchPatternAndFilter)
{
    for (const char* name : {"b.log", "a.log", "c.txt", "A.LOG", "x.log.bak"})
        writeText(name, "");
    File(String(path("logs.d").c_str())).mkdir();
    File(String(path("data").c_str())).mkdir();
    File d{String(dir.c_str())};

    std::vector<String> files, folders;
    EXPECT_TRUE(d.listFiles(nullptr, String("*.log"), files));
    EXPECT_EQ(strs(files), (std::vector<std::string>{"a.log", "b.log"}));

    files.clear();
    EXPECT_TRUE(d.listAll(nullptr, String(), files, folders));
    EXPECT_EQ(strs(files), (std::vector<std::string>{"A.LOG", "a.log", "b.log", "c.txt", "x.log.bak"}));
    EXPECT_EQ(strs(folders), (std::vector<std::string>{"data", "logs.d"}));

    folders.clear();
    EXPECT_TRUE(d.listFolders(nullptr, String("l?gs*"), folders));
    EXPECT_EQ(strs(folders), std::vector<std::string>{"logs.d"});

    struct NotB : FileFilter {
        bool accept(const File& directory, const String& name) override
        {
            seenDir = str(directory.getFullPathname());
            return !name.startsWith('b');
        }
        std::string seenDir;
    } filter;
    files.clear();
    EXPECT_TRUE(d.listFiles(&filter, String("?.log"), files));
    EXPECT_EQ(strs(files), std::vector<std::string>{"a.log"});
    EXPECT_EQ(filter.seenDir, dir);

    files.clear();
    EXPECT_FALSE(File(String(path("none").c_str())).listFiles(nullptr, String("*"), files));
    EXPECT_TRUE(files.empty());
}

TEST_F(FileSystemTest, DirectoryIteratorFlatAndRecursive)
{
    File(String(path("sub/deeper").c_str())).mkdirs();
    writeText("top.txt", "");
    writeText("top.dat", "");
    writeText("sub/inner.txt", "");
    writeText("sub/deeper/bottom.txt", "");
    File d{String(dir.c_str())};

    std::vector<std::string> flat;
    DirectoryIterator it(d, false, String("*.txt"));
    while (it.next())
        flat.push_back(str(it.getFilename()));
    EXPECT_EQ(flat, std::vector<std::string>{"top.txt"});

    std::vector<std::string> all;
    DirectoryIterator rec(d, true, String("*.txt"));
    while (rec.next()) {
        all.push_back(str(rec.getRelativePath()));
        EXPECT_TRUE(rec.getFile().existsAsFile());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{"sub/deeper/bottom.txt", "sub/inner.txt", "top.txt"}));
    EXPECT_FALSE(rec.next());

    DirectoryIterator none(File(String(path("missing").c_str())), true, String());
    EXPECT_FALSE(none.next());
}

TEST_F(FileSystemTest, ChdirChangesTheCurrentDirectory)
{
    const String before = File::currentDirectory();
    File d{String(dir.c_str())};
    ASSERT_TRUE(d.chdir());
    EXPECT_EQ(str(File::currentDirectory()), dir);
    EXPECT_EQ(str(File(String("rel")).getFullPathname()), dir + "/rel");
    ASSERT_TRUE(File(before).chdir());
}
