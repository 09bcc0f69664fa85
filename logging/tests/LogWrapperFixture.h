// Runs each test in a fresh working directory holding ApplicationLog.conf
// (records "LEVEL|logger|message" to out.log) and LogFilter.conf, with the
// logging back end reset before and after.
#pragma once

#include "LogBackend.h"
#include "TestPlatform.h"

#include "pellorn/LogWrapper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pellorn::test {

namespace fs = std::filesystem;

inline std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Paths as properties files want them: forward slashes (a backslash there
// starts an escape).
inline std::string propertiesPath(const fs::path& path)
{
    return path.generic_string();
}

class LogWrapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = makeTempDir("pellorn");
        m_oldDir = fs::current_path();
        fs::current_path(m_dir);
        pellorn::logBackend::reset();
    }

    void TearDown() override
    {
        pellorn::logBackend::reset();
        fs::current_path(m_oldDir);
        fs::remove_all(m_dir);
    }

    void writeConfig(const std::string& rootLevel, const std::string& filter = "",
                     const std::string& pattern = "%p|%c|%m%n")
    {
        std::ofstream props(m_dir / "ApplicationLog.conf");
        props << "log4j.rootLogger=" << rootLevel << ", file\n"
              << "log4j.appender.file=org.apache.log4j.FileAppender\n"
              << "log4j.appender.file.File=" << propertiesPath(m_dir / "out.log") << "\n"
              << "log4j.appender.file.Append=true\n"
              << "log4j.appender.file.ImmediateFlush=true\n"
              << "log4j.appender.file.layout=org.apache.log4j.PatternLayout\n"
              << "log4j.appender.file.layout.ConversionPattern=" << pattern << "\n";
        // A filter file is always there, so that releasing the last wrapper
        // makes the next test configure afresh.
        std::ofstream(m_dir / "LogFilter.conf") << filter;
    }

    // Writes ApplicationLog.conf as given, and an empty filter file.
    void writeProperties(const std::string& text)
    {
        std::ofstream(m_dir / "ApplicationLog.conf") << text;
        std::ofstream(m_dir / "LogFilter.conf") << "";
    }

    std::string output() const { return readAll(m_dir / "out.log"); }

    fs::path m_dir;
    fs::path m_oldDir;
};

} // namespace pellorn::test
