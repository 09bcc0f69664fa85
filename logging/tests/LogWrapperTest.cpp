// What the wrappers hand to log4cxx, read back from a file appender that
// a properties file in a temporary working directory sets up.
#include "pellorn/LogWrapper.h"

#include <log4cxx/logmanager.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ownProgramName()
{
    return fs::read_symlink("/proc/self/exe").filename().string();
}

// Runs each test in a fresh working directory holding ApplicationLog.conf
// (records "LEVEL|logger|message" to out.log) and LogFilter.conf.
class LogWrapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "pellorn-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_oldDir = fs::current_path();
        fs::current_path(m_dir);
        log4cxx::LogManager::resetConfiguration();
    }

    void TearDown() override
    {
        log4cxx::LogManager::resetConfiguration();
        fs::current_path(m_oldDir);
        fs::remove_all(m_dir);
    }

    void writeConfig(const std::string& rootLevel, const std::string& filter = "",
                     const std::string& pattern = "%p|%c|%m%n")
    {
        std::ofstream props(m_dir / "ApplicationLog.conf");
        props << "log4j.rootLogger=" << rootLevel << ", file\n"
              << "log4j.appender.file=org.apache.log4j.FileAppender\n"
              << "log4j.appender.file.File=" << (m_dir / "out.log").string() << "\n"
              << "log4j.appender.file.Append=true\n"
              << "log4j.appender.file.ImmediateFlush=true\n"
              << "log4j.appender.file.layout=org.apache.log4j.PatternLayout\n"
              << "log4j.appender.file.layout.ConversionPattern=" << pattern << "\n";
        // A filter file is always there, so that releasing the last wrapper
        // makes the next test configure afresh.
        std::ofstream(m_dir / "LogFilter.conf") << filter;
    }

    std::string output() const { return readAll(m_dir / "out.log"); }

    fs::path m_dir;
    fs::path m_oldDir;
};

} // namespace

TEST_F(LogWrapperTest, WrappersAreSharedByName)
{
    writeConfig("DEBUG");
    EXPECT_EQ(createLogWrapper(nullptr), nullptr);
    pellorn::LogWrapper* a = createLogWrapper("Shared");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(createLogWrapper("Shared"), a);
    pellorn::LogWrapper* b = createLogWrapper("Other");
    EXPECT_NE(b, a);
    releaseLogWrapper(nullptr);
    releaseLogWrapper("Shared"); // gone for both holders
    pellorn::LogWrapper* again = createLogWrapper("Shared");
    ASSERT_NE(again, nullptr);
    again->info("fresh");
    releaseLogWrapper("Shared");
    releaseLogWrapper("Other");
    releaseLogWrapper("NeverMade");
    EXPECT_EQ(output(), "INFO|Shared|fresh\n");
}

TEST_F(LogWrapperTest, SevenOperationsWithTheirLevelsAndPrefixes)
{
    writeConfig("DEBUG");
    pellorn::LogWrapper* log = createLogWrapper("Ops");
    ASSERT_NE(log, nullptr);
    log->info("i=%d", 1);
    log->debug(5, "d=%s", "x");
    log->debug2("d2=%d", 2);
    log->error(7, "x=%d", 3);
    log->error2("x=%d", 3);
    log->fatal(-1, "f=%.1f", 0.5);
    log->fatal2("f2 %s", "done");
    releaseLogWrapper("Ops");
    EXPECT_EQ(output(), "INFO|Ops|i=1\n"
                        "DEBUG|Ops|ErrorNo(5) d=x\n"
                        "DEBUG|Ops|d2=2\n"
                        "ERROR|Ops|ErrorNo(7) x=3\n"
                        "ERROR|Ops|x=3\n"
                        "FATAL|Ops|ErrorNo(-1) f=0.5\n"
                        "FATAL|Ops|f2 done\n");
}

TEST_F(LogWrapperTest, LongMessagesAreCutAt3071Characters)
{
    writeConfig("DEBUG", "", "%m%n");
    pellorn::LogWrapper* log = createLogWrapper("Long");
    std::string text(5000, 'a');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + i % 26);
    log->error2("%s", text.c_str());
    log->error(12345, "%s", text.c_str());
    log->info("%s", text.substr(0, 3071).c_str());
    releaseLogWrapper("Long");
    EXPECT_EQ(output(), text.substr(0, 3071) + "\n" + "ErrorNo(12345) " + text.substr(0, 3071) + "\n"
                            + text.substr(0, 3071) + "\n");
}

TEST_F(LogWrapperTest, DisabledLevelsEmitNothing)
{
    writeConfig("ERROR");
    pellorn::LogWrapper* log = createLogWrapper("Quiet");
    log->info("no");
    log->debug(1, "no");
    log->debug2("no");
    log->error(2, "yes");
    log->fatal2("yes");
    releaseLogWrapper("Quiet");
    EXPECT_EQ(output(), "ERROR|Quiet|ErrorNo(2) yes\nFATAL|Quiet|yes\n");
}

TEST_F(LogWrapperTest, LocationIsTheWrappersOwn)
{
    writeConfig("DEBUG", "", "%F|%M|%m%n");
    pellorn::LogWrapper* log = createLogWrapper("Where");
    log->error2("here");
    releaseLogWrapper("Where");
    std::string line = output();
    EXPECT_NE(line.find("LogWrapper.cpp|"), std::string::npos) << line;
    EXPECT_NE(line.find("error2"), std::string::npos) << line;
    EXPECT_EQ(line.find("LogWrapperTest"), std::string::npos) << line;
}

TEST_F(LogWrapperTest, FilterGovernsOnlyEnabledSections)
{
    const std::string self = ownProgramName();
    writeConfig("DEBUG", "; sections name wrappers\n"
                         "[Plain]\n"
                         "EnabledFilter = false\n"
                         "IsIncludeFilter = true\n"
                         "FilterFiles = nothing.so\n"
                         "[IncludeSelf]\n"
                         "EnabledFilter = TRUE\n"
                         "IsIncludeFilter = true\n"
                         "FilterFiles = other.so, " + self + "\n"
                         "[IncludeOther]\n"
                         "EnabledFilter = true\n"
                         "IsIncludeFilter = true\n"
                         "FilterFiles = other.so\n"
                         "[ExcludeSelf]\n"
                         "EnabledFilter = true\n"
                         "IsIncludeFilter = false\n"
                         "FilterFiles = " + self + "\n"
                         "[ExcludeOther]\n"
                         "EnabledFilter = true\n"
                         "IsIncludeFilter = false\n"
                         "FilterFiles = other.so\n"
                         "[OnlyCommas]\n"
                         "EnabledFilter = TRUE\n"
                         "IsIncludeFilter = true\n"
                         "FilterFiles = , ,\n");
    const char* names[] = {"Plain", "IncludeSelf", "IncludeOther", "ExcludeSelf", "ExcludeOther",
                           "OnlyCommas", "NoSection"};
    for (const char* name : names)
        createLogWrapper(name)->error2("from %s", name);
    for (const char* name : names)
        releaseLogWrapper(name);
    EXPECT_EQ(output(), "ERROR|Plain|from Plain\n"
                        "ERROR|IncludeSelf|from IncludeSelf\n"
                        "ERROR|ExcludeOther|from ExcludeOther\n"
                        "ERROR|OnlyCommas|from OnlyCommas\n"
                        "ERROR|NoSection|from NoSection\n");
}

TEST_F(LogWrapperTest, ReleasingTheLastWrapperRereadsTheConfiguration)
{
    writeConfig("DEBUG", "[R]\nEnabledFilter=true\nIsIncludeFilter=true\nFilterFiles=other.so\n");
    createLogWrapper("R")->error2("filtered out");
    releaseLogWrapper("R");
    writeConfig("DEBUG", "# no sections now\n");
    createLogWrapper("R")->error2("written");
    releaseLogWrapper("R");
    EXPECT_EQ(output(), "ERROR|R|written\n");
}

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

    std::string pattern = (fs::temp_directory_path() / "pellorn-load-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    fs::path dir = pattern;
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
