// Window-free pieces of the start-up and the dialogs.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/SingleInstance.h"
#include "app/DevTrace.h"
#include "app/TextCodec.h"
#include "ui/UiText.h"

using namespace quorvel::ui;

TEST(UiTextTest, GbkTextRoundTripsThroughTheDisplayForm) {
    const std::string gbk = "\xD3\xC3\xBB\xA7";  // 用户 in GBK
    const wxString shown = gbkToUi(gbk);
    EXPECT_EQ(shown, wxString(L"用户"));
    EXPECT_EQ(uiToGbk(shown), gbk);
    EXPECT_EQ(uiToGbk(wxString(L"泵站一号 pump-1")), utf8ToGbk("泵站一号 pump-1"));
    EXPECT_EQ(gbkToUi(""), wxString());
    EXPECT_EQ(gbkToUi("admin"), wxString("admin"));
}

TEST(UiTextTest, Utf8TextRoundTripsAndBrokenBytesStillShowSomething) {
    EXPECT_EQ(utf8ToUi("实时监测"), wxString(L"实时监测"));
    EXPECT_EQ(uiToUtf8(wxString(L"关于")), "关于");
    const wxString broken = utf8ToUi(std::string("ab\xFF" "cd"));
    EXPECT_TRUE(broken.StartsWith("ab")) << "valid text around a bad byte survives";
    EXPECT_TRUE(broken.EndsWith("cd"));
    // GBK bytes that are not valid GBK do not throw and give some text.
    EXPECT_FALSE(gbkToUi(std::string("\x81", 1)).empty());
}

namespace {

// A private runtime folder so the lock does not meet a real client's.
class ScopedRuntimeDir {
public:
    ScopedRuntimeDir() {
        char tmpl[] = "/tmp/quorvel_lock_XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    ~ScopedRuntimeDir() {
        if (had_)
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(dir_);
    }
    const std::string& path() const { return dir_; }

private:
    std::string dir_, old_;
    bool had_ = false;
};

// What a second process gets when it tries the lock (exit code of the child).
SingleInstance::Result TryInChild(const std::string& name) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        SingleInstance other(name);
        ::_exit(static_cast<int>(other.acquire()));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return static_cast<SingleInstance::Result>(WEXITSTATUS(status));
}

}  // namespace

TEST(SingleInstanceTest, SecondProcessIsRefusedWhileTheFirstHoldsTheLock) {
    ScopedRuntimeDir runtime;
    EXPECT_EQ(SingleInstance::lockPath("Quorvel_Client"), runtime.path() + "/Quorvel_Client");
    SingleInstance first("Quorvel_Client");
    ASSERT_EQ(first.acquire(), SingleInstance::Result::Acquired);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(TryInChild("Quorvel_Client"), SingleInstance::Result::AlreadyRunning);
    EXPECT_EQ(TryInChild("Other_Program"), SingleInstance::Result::Acquired)
        << "the lock is per program name";
    first.release();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(TryInChild("Quorvel_Client"), SingleInstance::Result::Acquired)
        << "released lock is free again";
}

TEST(SingleInstanceTest, LockOfAProcessThatDiedIsFreeAndNoFolderMeansUnguarded) {
    ScopedRuntimeDir runtime;
    const pid_t pid = ::fork();
    if (pid == 0) {
        SingleInstance held("Quorvel_Client");
        held.acquire();
        ::_exit(0);  // dies without releasing
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    SingleInstance next("Quorvel_Client");
    EXPECT_EQ(next.acquire(), SingleInstance::Result::Acquired);
    next.release();

    ::setenv("XDG_RUNTIME_DIR", (runtime.path() + "/missing/deeper").c_str(), 1);
    SingleInstance unguarded("Quorvel_Client");
    EXPECT_EQ(unguarded.acquire(), SingleInstance::Result::Unavailable);
}

TEST(StartupTraceTest, LinesAreTwelveAtSignsAroundTheTagWithCrLf) {
    EXPECT_EQ(startupTraceLine("000000111111"), "@@@@@@@@@@@@000000111111@@@@@@@@@@@@\r\n");
    EXPECT_EQ(startupTraceLine("333333"), "@@@@@@@@@@@@333333@@@@@@@@@@@@\r\n");
}
