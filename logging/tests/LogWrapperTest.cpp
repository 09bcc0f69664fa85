// What the wrappers hand to the logging back end, read back from a file
// appender that a properties file in a temporary working directory sets
// up. The same cases run against every back end the build has.
#include "LogWrapperFixture.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <regex>
#include <thread>
#include <vector>

using pellorn::test::LogWrapperTest;
using pellorn::test::propertiesPath;
using pellorn::test::readAll;
namespace fs = std::filesystem;

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
    const std::string self = pellorn::test::ownProgramName();
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

namespace {

// "<thread> <seq> xxxxxxxxxxxxxxxxxxxx": the thread letter and a running
// number, so that a lost, doubled, reordered or torn record shows.
constexpr int recordsPerThread = 2000;
constexpr std::size_t recordLength = 28; // with the line end

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            lines.back() += "<no line end>";
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

} // namespace

// Two threads log through one rolling appender with a tiny size limit: each
// file rolls as soon as it reaches the limit, with whole records only, the
// old files move up one by one, and together they hold every record of each
// thread once and in order.
TEST_F(LogWrapperTest, TwoThreadsRollingOverLoseAndTearNothing)
{
    constexpr std::uintmax_t maxFileSize = 10 * 1024;
    // Every file but the current one holds the records up to the first
    // that reaches the limit.
    constexpr std::uintmax_t recordsPerFile = (maxFileSize + recordLength - 1) / recordLength;
    constexpr int backups = static_cast<int>(2 * recordsPerThread / recordsPerFile);
    static_assert(backups < 12 && 2 * recordsPerThread % recordsPerFile != 0);
    const fs::path file = m_dir / "roll" / "app.log";
    writeProperties("log4j.rootLogger=INFO, roll\n"
                    "log4j.appender.roll=pellorn.OwnerOnlyRollingFileAppender\n"
                    "log4j.appender.roll.File=" + propertiesPath(file) + "\n"
                    "log4j.appender.roll.MaxFileSize=10KB\n"
                    "log4j.appender.roll.MaxBackupIndex=12\n"
                    "log4j.appender.roll.layout=org.apache.log4j.PatternLayout\n"
                    "log4j.appender.roll.layout.ConversionPattern=%m%n\n");
    pellorn::LogWrapper* log = createLogWrapper("Roll");
    ASSERT_NE(log, nullptr);
    std::atomic<bool> go{false};
    auto writer = [&](char name) {
        while (!go)
            std::this_thread::yield();
        for (int i = 0; i < recordsPerThread; ++i)
            log->info("%c %04d %s", name, i, "xxxxxxxxxxxxxxxxxxxx");
    };
    std::thread a(writer, 'A');
    std::thread b(writer, 'B');
    go = true;
    a.join();
    b.join();
    releaseLogWrapper("Roll");

    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path())) {
        ++files;
#ifndef _WIN32
        EXPECT_EQ(entry.status().permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
            << entry.path();
#endif
    }
    EXPECT_EQ(files, backups + 1) << "the current file and the rolled ones";

    std::string text;
    for (int index = backups; index >= 1; --index) {
        const fs::path backup = file.string() + "." + std::to_string(index);
        ASSERT_TRUE(fs::exists(backup)) << backup;
        EXPECT_EQ(fs::file_size(backup), recordsPerFile * recordLength) << backup;
        text += readAll(backup);
    }
    text += readAll(file);

    const std::regex record("([AB]) (\\d{4}) x{20}");
    int next[2] = {0, 0};
    for (const std::string& line : linesOf(text)) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, record)) << "torn or foreign record: " << line;
        const int thread = match[1] == "A" ? 0 : 1;
        ASSERT_EQ(std::stoi(match[2]), next[thread]) << "thread " << match[1] << " lost or repeated a record";
        ++next[thread];
    }
    EXPECT_EQ(next[0], recordsPerThread);
    EXPECT_EQ(next[1], recordsPerThread);
}

// Settings the back end cannot use (a class nobody knows, an appender named
// but never defined, a level that does not exist) leave the good appender
// writing for every logger.
TEST_F(LogWrapperTest, UnusableSettingsLeaveTheRestWorking)
{
    writeProperties("log4j.rootLogger=INFO, missing, odd, good\n"
                    "log4j.appender.odd=org.example.NoSuchAppender\n"
                    "log4j.appender.odd.File=" + propertiesPath(m_dir / "odd.log") + "\n"
                    "log4j.appender.good=org.apache.log4j.FileAppender\n"
                    "log4j.appender.good.File=" + propertiesPath(m_dir / "out.log") + "\n"
                    "log4j.appender.good.layout=org.apache.log4j.PatternLayout\n"
                    "log4j.appender.good.layout.ConversionPattern=%p|%c|%m%n\n"
                    "log4j.logger.Loud=LOUDEST\n"
                    "log4j.logger.Quiet=off\n");
#ifdef PELLORN_OWN_BACKEND
    ::testing::internal::CaptureStderr();
#endif
    pellorn::LogWrapper* plain = createLogWrapper("Plain");
#ifdef PELLORN_OWN_BACKEND
    const std::string problems = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(problems.find("pellorn: "), std::string::npos) << problems;
    EXPECT_NE(problems.find("org.example.NoSuchAppender"), std::string::npos) << problems;
    EXPECT_NE(problems.find("LOUDEST"), std::string::npos) << problems;
    EXPECT_NE(problems.find("missing"), std::string::npos) << problems;
#endif
    ASSERT_NE(plain, nullptr);
    plain->info("kept");
    createLogWrapper("Loud")->error2("loud kept");
    createLogWrapper("Quiet")->fatal2("held back");
    createLogWrapper("Quiet.Child")->error2("held back too");
    releaseLogWrapper("Plain");
    releaseLogWrapper("Loud");
    releaseLogWrapper("Quiet");
    releaseLogWrapper("Quiet.Child");
    EXPECT_EQ(output(), "INFO|Plain|kept\nERROR|Loud|loud kept\n");
    EXPECT_FALSE(fs::exists(m_dir / "odd.log"));
}

namespace {

std::string localTime(std::time_t t, const char* format)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[64];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

} // namespace

// The program's own layout: local date with milliseconds, the thread (the
// same for one thread, another for another), the level padded to five and
// the logger; then format modifiers (a cut value is not padded as well)
// and logger precision.
TEST_F(LogWrapperTest, ProgramPatternAndFormatModifiers)
{
    writeConfig("INFO", "", "%d{yyyy-MM-dd HH:mm:ss.SSS} [%t] %-5p %c - %m%n");
    const std::time_t before = std::time(nullptr);
    pellorn::LogWrapper* log = createLogWrapper("Quorvel_Client");
    log->info("first");
    log->error2("second");
    std::thread([log] { log->info("elsewhere"); }).join();
    releaseLogWrapper("Quorvel_Client");
    const std::time_t after = std::time(nullptr);

    const std::regex line("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)\\.\\d{3} \\[([^\\]]+)\\] "
                          "(INFO |ERROR) Quorvel_Client - (first|second|elsewhere)");
    const std::vector<std::string> lines = linesOf(output());
    ASSERT_EQ(lines.size(), 3u) << output();
    std::smatch match[3];
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(std::regex_match(lines[i], match[i], line)) << lines[i];
    EXPECT_EQ(match[0][3], "INFO ");
    EXPECT_EQ(match[1][3], "ERROR");
    EXPECT_EQ(match[2][4], "elsewhere");
    const std::string earliest = localTime(before, "%Y-%m-%d %H:%M:%S");
    const std::string latest = localTime(after, "%Y-%m-%d %H:%M:%S");
    for (const auto& m : match) {
        EXPECT_GE(m[1].str(), earliest);
        EXPECT_LE(m[1].str(), latest);
    }
    EXPECT_EQ(match[0][2], match[1][2]);
    EXPECT_NE(match[0][2], match[2][2]);

    const std::size_t firstPart = output().size();
    writeConfig("INFO", "", "[%-7p][%7p][%.4c][%c{1}][%-12.6c][%-14.30c{1}][%%] %m%n");
    createLogWrapper("plant.pump.Controller")->info("x");
    releaseLogWrapper("plant.pump.Controller");
    EXPECT_EQ(output().substr(firstPart), "[INFO   ][   INFO][ller][Controller][roller][Controller    ][%] x\n");
}
