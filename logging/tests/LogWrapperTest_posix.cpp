// Cases that hold POSIX facts: permission bits and loading a copy of the
// library with dlopen.
#include "LogWrapperFixture.h"

#include <dlfcn.h>
#include <sys/stat.h>

using pellorn::test::LogWrapperTest;
using pellorn::test::readAll;
namespace fs = std::filesystem;

// Records name users, devices and servers: the owner-only appender keeps
// every file it opens, roll-overs included, to its owner (0600).
TEST_F(LogWrapperTest, OwnerOnlyAppenderKeepsEveryFileToItsOwner)
{
    {
        std::ofstream props(m_dir / "ApplicationLog.conf");
        props << "log4j.rootLogger=INFO, file\n"
              << "log4j.appender.file=pellorn.OwnerOnlyRollingFileAppender\n"
              << "log4j.appender.file.File=" << (m_dir / "sub" / "app.log").string() << "\n"
              << "log4j.appender.file.MaxFileSize=1KB\n"
              << "log4j.appender.file.MaxBackupIndex=2\n"
              << "log4j.appender.file.layout=org.apache.log4j.PatternLayout\n"
              << "log4j.appender.file.layout.ConversionPattern=%m%n\n";
        std::ofstream(m_dir / "LogFilter.conf") << "";
    }
    const mode_t oldMask = ::umask(022);  // the usual default: files 0644
    pellorn::LogWrapper* log = createLogWrapper("O");
    for (int i = 0; i < 100; ++i)
        log->info("record %d %s", i, std::string(40, 'x').c_str());
    releaseLogWrapper("O");
    ::umask(oldMask);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_dir / "sub")) {
        ++files;
        EXPECT_EQ(entry.status().permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
            << entry.path();
    }
    EXPECT_EQ(files, 3) << "the current file and two rolled ones";
    EXPECT_NE(readAll(m_dir / "sub" / "app.log").find("record 99"), std::string::npos);
}

TEST(LogFolder, CreatedBesideTheLibraryWhenItLoads)
{
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&createLogWrapper), &info), 0);
    fs::path library = fs::canonical(info.dli_fname);

    fs::path dir = pellorn::test::makeTempDir("pellorn-load");
    fs::path copy = dir / "libpellorn-copy.so";
    fs::copy_file(library, copy);
    EXPECT_FALSE(fs::exists(dir / "log"));
    void* handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_TRUE(fs::is_directory(dir / "log"));
    EXPECT_EQ(fs::status(dir / "log").permissions() & fs::perms::all, fs::perms::owner_all);
    dlclose(handle);

    // A folder left by an earlier version with wider rights is narrowed.
    fs::permissions(dir / "log", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_EQ(fs::status(dir / "log").permissions() & fs::perms::all, fs::perms::owner_all);
    dlclose(handle);
    fs::remove_all(dir);
    EXPECT_TRUE(fs::is_directory(library.parent_path() / "log"));
}
