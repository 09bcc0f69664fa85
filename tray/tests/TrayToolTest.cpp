// The tray tool in a real tray host (trayer under Xvfb): icon placement and
// removal, tooltip limits, blinking on the UI timer, and mouse notifications
// reaching the owner as events.

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/taskbar.h>

#include "quorvel_test/TrayHost.h"
#include "quorvel_test/WxTestApp.h"
#include "vintrel/TrayTool.h"

namespace {

constexpr const char* kProgramName = "vintrel_tray_test";
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment(kProgramName));

wxIcon testIcon() {
    wxBitmap bmp(22, 22, 24);
    {
        wxMemoryDC dc(bmp);
        dc.SetBackground(*wxBLUE_BRUSH);
        dc.Clear();
    }
    wxIcon icon;
    icon.CopyFromBitmap(bmp);
    return icon;
}

std::vector<wxRect> ownTrayIcons() { return ::ownTrayIcons(kProgramName); }

struct ReleaseTool {
    void operator()(TrayTool* t) const { ReleaseTrayTool(t); }
};
using TrayPtr = std::unique_ptr<TrayTool, ReleaseTool>;

class TrayToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(trayHostRunning());
        owner = new wxFrame(nullptr, wxID_ANY, "owner");
        owner->Bind(VINTREL_EVT_TRAY_NOTIFY, [this](wxCommandEvent& e) {
            ids.push_back(e.GetId());
            messages.push_back(e.GetInt());
        });
        tray.reset(CreateTrayTool());
        ASSERT_NE(tray, nullptr);
    }
    void TearDown() override {
        tray.reset();
        // Null when SetUp stopped early (no tray host): the test fails with
        // SetUp's message instead of crashing here.
        if (owner) owner->Destroy();
        pumpFor(20);
    }
    void show() {
        tray->ShowTray(owner, 0x401, testIcon(), true, nullptr);
        ASSERT_TRUE(tray->IsInTray());
    }

    wxFrame* owner = nullptr;
    TrayPtr tray;
    std::vector<int> ids, messages;
};

TEST(TrayToolLifetime, ReleaseOfNullAndOfAToolNeverShownAreHarmless) {
    ReleaseTrayTool(nullptr);
    TrayTool* tool = CreateTrayTool();
    ASSERT_NE(tool, nullptr);
    EXPECT_FALSE(tool->IsInTray());
    EXPECT_FALSE(tool->IsFlashing());
    ReleaseTrayTool(tool);
}

TEST_F(TrayToolTest, IconAppearsInTheHostAndReleaseRemovesIt) {
    show();
    ASSERT_TRUE(pumpUntil([] { return ownTrayIcons().size() == 1; }, 3000)) << "icon never embedded";
    tray.reset();
    EXPECT_TRUE(pumpUntil([] { return ownTrayIcons().empty(); }, 3000)) << "icon still in the tray";
}

TEST_F(TrayToolTest, TipTextOf127CharactersIsTakenAnd128Ignored) {
    show();
    tray->SetTipText("Quorvel_Client(Version1.12)");
    EXPECT_EQ(tray->GetShownTip(), "Quorvel_Client(Version1.12)");

    const std::string max(127, 'a');
    tray->SetTipText(max.c_str());
    EXPECT_EQ(tray->GetShownTip(), max);
    tray->SetTipText(std::string(128, 'b').c_str());
    EXPECT_EQ(tray->GetShownTip(), max) << "an over-long tip must leave the old one";

    // The limit counts characters, not bytes: 127 Chinese characters fit.
    std::string chinese;
    for (int i = 0; i < 127; ++i) chinese += "\xE6\xB5\x8B";  // 测
    tray->SetTipText(chinese.c_str());
    EXPECT_EQ(tray->GetShownTip(), chinese);
    tray->SetTipText((chinese + "\xE6\xB5\x8B").c_str());
    EXPECT_EQ(tray->GetShownTip(), chinese);
}

TEST_F(TrayToolTest, ClearHidesTheTipAndRestoreBringsBackTheSavedOne) {
    show();
    tray->SetTipText("saved tip");
    tray->ClearTipText();
    EXPECT_EQ(tray->GetShownTip(), "");
    tray->RestoreTipText();
    EXPECT_EQ(tray->GetShownTip(), "saved tip");
}

TEST_F(TrayToolTest, TipIsNotShownWhenAddedWithoutTooltip) {
    tray->ShowTray(owner, 0x401, testIcon(), false, nullptr);
    tray->SetTipText("hidden");
    EXPECT_EQ(tray->GetShownTip(), "");
}

TEST_F(TrayToolTest, BlinkingTogglesTheIconAndStoppingRestoresItWithinOnePeriod) {
    show();
    EXPECT_TRUE(tray->IsIconShown());
    tray->StartFlash();
    EXPECT_TRUE(pumpUntil([&] { return !tray->IsIconShown(); }, 1200)) << "icon never blanked";
    EXPECT_TRUE(pumpUntil([&] { return tray->IsIconShown(); }, 1200)) << "icon never came back";
    pumpFor(1000);
    tray->StopFlash();
    // 400 ms period; allow for a slow machine, never an unbounded wait.
    EXPECT_TRUE(pumpUntil([&] { return tray->IsIconShown(); }, 400 + 150));
    pumpFor(900);
    EXPECT_TRUE(tray->IsIconShown()) << "icon blinked after StopFlash";
}

TEST_F(TrayToolTest, ClicksOnTheIconReachTheOwnerAsNotifications) {
    show();
    std::vector<wxRect> icons;
    ASSERT_TRUE(pumpUntil([&] { return (icons = ownTrayIcons()).size() == 1; }, 3000));
    const wxPoint c(icons[0].x + icons[0].width / 2, icons[0].y + icons[0].height / 2);
    const std::string at = std::to_string(c.x) + " " + std::to_string(c.y);

    runCommand("xdotool mousemove " + at + " click 1");
    ASSERT_TRUE(pumpUntil([&] { return !messages.empty(); }, 2000)) << "single click not notified";
    EXPECT_EQ(ids.front(), 0x401);
    EXPECT_EQ(messages.front(), TrayMouse::LeftDown);
    pumpFor(700);  // beyond the double-click time
    for (int m : messages) EXPECT_NE(m, TrayMouse::LeftDoubleClick);

    messages.clear();
    runCommand("xdotool mousemove " + at + " click --repeat 2 --delay 80 1");
    EXPECT_TRUE(pumpUntil(
        [&] {
            for (int m : messages)
                if (m == TrayMouse::LeftDoubleClick) return true;
            return false;
        },
        2000))
        << "double click not notified";
}

TEST_F(TrayToolTest, PopupIsPlacedAtTheBottomRightOfTheWorkArea) {
    auto* popup = new wxFrame(nullptr, wxID_ANY, "popup", wxDefaultPosition, wxSize(200, 100));
    tray->ShowTray(owner, 0x401, testIcon(), true, popup);
    const wxRect area = wxGetClientDisplayRect();
    const wxRect r = popup->GetRect();
    EXPECT_EQ(r.GetRight(), area.GetRight());
    EXPECT_EQ(r.GetBottom(), area.GetBottom());
    tray->ShowPopup();
    EXPECT_TRUE(popup->IsShown());
    tray->HidePopup();
    EXPECT_FALSE(popup->IsShown());
    popup->Destroy();
}

}  // namespace

namespace {

// Runs only inside the display that NoTrayHost starts (no tray host there).
TEST(DISABLED_NoTrayHostChild, ToolStaysQuietAndKeepsWorking) {
    ASSERT_FALSE(wxTaskBarIcon::IsAvailable());
    auto* owner = new wxFrame(nullptr, wxID_ANY, "owner");
    TrayTool* tool = CreateTrayTool();
    tool->ShowTray(owner, 0x401, testIcon(), true, nullptr);
    EXPECT_FALSE(tool->IsInTray());
    EXPECT_FALSE(tool->IsIconShown());
    tool->SetTipText("Quorvel_Client(Version1.12)");
    tool->StartFlash();
    pumpFor(500);
    tool->StopFlash();
    tool->ClearTipText();
    tool->RestoreTipText();
    ReleaseTrayTool(tool);
    owner->Destroy();
    pumpFor(20);
}

TEST(NoTrayHost, ToolStaysQuietWhereTheDesktopHasNoTray) {
    const std::string log = "vintrel_no_tray_host.log";
    const std::string cmd = "xvfb-run -a -s '-screen 0 640x480x24' /proc/" + std::to_string(getpid()) +
                            "/exe --gtest_also_run_disabled_tests --gtest_filter='DISABLED_NoTrayHostChild.*' > " +
                            log + " 2>&1";
    const int rc = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << runCommand("cat " + log);
    EXPECT_NE(runCommand("cat " + log).find("[  PASSED  ] 1 test"), std::string::npos) << runCommand("cat " + log);
}

// A test that needs a tray host, run where there is none: it fails with the
// fixture's message and the program ends normally (no crash in TearDown).
TEST(NoTrayHost, TestsThatNeedOneFailWithTheirMessage) {
    const std::string log = "vintrel_tray_tests_without_host.log";
    const std::string cmd = "xvfb-run -a -s '-screen 0 640x480x24' /proc/" + std::to_string(getpid()) +
                            "/exe --gtest_filter='TrayToolTest.TipTextOf127CharactersIsTakenAnd128Ignored' > " +
                            log + " 2>&1";
    const int rc = std::system(cmd.c_str());
    const std::string out = runCommand("cat " + log);
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 1) << "exit status " << rc << "\n" << out;
    EXPECT_NE(out.find("needs a tray host"), std::string::npos) << out;
    EXPECT_NE(out.find("[  FAILED  ] 1 test"), std::string::npos) << out;
}

}  // namespace
