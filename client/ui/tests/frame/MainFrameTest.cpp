// The main frame against a fresh seeded database: toolbar per role, view
// switching, the About/Exit commands, the exit prompt with the tray icon of a
// real tray host, the look of the views and the status bar.

#include <memory>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/taskbar.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include "FrameTestSupport.h"
#include "TestDatabase.h"
#include "quorvel_test/MessageBoxLabels.h"
#include "quorvel_test/WxTestApp.h"
#include "quillet/MqttClient.h"
#include "ui/MainFrame.h"
#include "ui/ViewDataModify.h"
#include "ui/ViewDebug.h"
#include "ui/ViewHistory.h"
#include "ui/ViewRealtime.h"
#include "ui/ViewStatistics.h"
#include "vintrel/TrayTool.h"

namespace {

constexpr const char* kProgramName = "quorvel_frame_test";
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment(kProgramName));

wxString u8(const char* s) { return wxString::FromUTF8(s); }

// Answers the exit prompt after checking its text and its buttons.
class ExpectExitPrompt : public wxExpectModalBase<wxMessageDialog> {
public:
    explicit ExpectExitPrompt(int answer) : m_answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        EXPECT_EQ(dlg->GetMessage().utf8_string(),
                  "确定要退出吗?\n\n点击 \"是(Y)\" 程序退出\n点击 \"否(N)\" 隐藏至托盘");
        EXPECT_TRUE(dlg->GetMessageDialogStyle() & wxYES_NO);
        EXPECT_TRUE(hasOwnButtonLabels(*dlg));
        return m_answer;
    }

private:
    int m_answer;
};

// The note that the window stays because there is no tray to hide to.
class ExpectNoTrayNote : public wxExpectModalBase<wxMessageDialog, ExpectNoTrayNote> {
protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        EXPECT_EQ(dlg->GetMessage().utf8_string(), "系统托盘不可用，窗口将保持显示。");
        EXPECT_TRUE(hasOwnButtonLabels(*dlg));
        return wxID_OK;
    }
};

class NoopHandler : public MqttClientHandler {
public:
    int onMessage(const char*, int, const unsigned char*, int) override { return 0; }
};

wxIcon trayIcon() {
    wxBitmap bmp(22, 22, 24);
    {
        wxMemoryDC dc(bmp);
        dc.SetBackground(*wxGREEN_BRUSH);
        dc.Clear();
    }
    wxIcon icon;
    icon.CopyFromBitmap(bmp);
    return icon;
}

// True when every pixel of the tool's picture is transparent (a blank).
bool isBlank(const wxBitmap& bmp) {
    wxImage img = bmp.ConvertToImage();
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            if (!img.IsTransparent(x, y)) return false;
    return true;
}

bool samePicture(const wxBitmap& bmp, const std::string& file) {
    wxImage shown = bmp.ConvertToImage();
    wxImage disk(wxString::FromUTF8(file), wxBITMAP_TYPE_BMP);
    if (!disk.IsOk() || shown.GetSize() != disk.GetSize()) return false;
    for (int y = 0; y < disk.GetHeight(); ++y)
        for (int x = 0; x < disk.GetWidth(); ++x) {
            const bool white = disk.GetRed(x, y) == 255 && disk.GetGreen(x, y) == 255 && disk.GetBlue(x, y) == 255;
            if (white != shown.IsTransparent(x, y)) return false;
            if (!white && (shown.GetRed(x, y) != disk.GetRed(x, y) || shown.GetGreen(x, y) != disk.GetGreen(x, y)))
                return false;
        }
    return true;
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.seed = true});
        ASSERT_TRUE(db->openPool());
    }
    void TearDown() override {
        if (frame) {
            frame->Destroy();
            pumpUntil([&] { return !frame; }, 2000);
        }
        if (tray) ReleaseTrayTool(tray);
        pumpFor(20);
        db.reset();
    }

    CMainFrame* makeFrame(const std::string& user, const std::string& role) {
        auto* f = new CMainFrame(ViewContext{user, role});
        f->SetAboutAction([this](wxWindow*) { ++aboutShown; });
        f->SetSize(0, 40, 1000, 700);
        f->Show();
        frame = f;
        pumpFor(50);
        return f;
    }

    void press(int commandId) {
        // As a click does: the button's event travels up to the frame.
        wxCommandEvent event(wxEVT_BUTTON, commandId);
        wxWindow* button = frame->GetToolButton(commandId);
        event.SetEventObject(button);
        (button ? button : static_cast<wxWindow*>(frame.get()))->ProcessWindowEvent(event);
    }

    std::vector<int> buttonIds() const {
        std::vector<int> ids;
        for (const auto& b : frame->GetToolbarButtons()) ids.push_back(b.commandId);
        return ids;
    }

    // Exactly the view `index` is shown, carries the first pane id, and fills the client area.
    void expectShown(int index) {
        ASSERT_EQ(frame->GetActiveIndex(), index);
        for (int i = 0; i < frame->GetViewCount(); ++i) {
            CViewBase* v = frame->GetView(i);
            EXPECT_EQ(v->IsShown(), i == index) << "view " << i;
            EXPECT_EQ(v->GetPaneId(), i == index ? CMutiViewFrame::kPaneFirstId : CMutiViewFrame::kPaneNextId)
                << "view " << i;
        }
        const wxRect toolbar = frame->GetMainToolBar()->GetRect();
        EXPECT_EQ(toolbar.GetTopLeft(), wxPoint(0, 0));
        EXPECT_EQ(toolbar.width, frame->GetClientSize().x);
        EXPECT_EQ(frame->GetView(index)->GetRect(),
                  wxRect(0, toolbar.height, frame->GetClientSize().x, frame->GetClientSize().y - toolbar.height));
    }

    frametest::ProgramDir programDir;
    std::unique_ptr<TestDatabase> db;
    wxWeakRef<CMainFrame> frame;
    TrayTool* tray = nullptr;
    int aboutShown = 0;
};

TEST_F(MainFrameTest, RoleWithoutModulesGetsFiveButtonsAndThreeViews) {
    makeFrame("u2", "r2");
    EXPECT_EQ(buttonIds(), (std::vector<int>{2001, 2002, 2003, 2004, 2005}));
    const auto& b = frame->GetToolbarButtons();
    EXPECT_EQ(b[0].tip, u8("实时监测"));
    EXPECT_EQ(b[1].tip, u8("历史数据"));
    EXPECT_EQ(b[2].tip, u8("数据统计"));
    EXPECT_EQ(b[3].tip, u8("关于"));
    EXPECT_EQ(b[4].tip, u8("退出"));
    EXPECT_EQ(frame->GetMainToolBar()->GetChildren().size(), 5u);
    ASSERT_NE(frame->GetToolButton(2005), nullptr);
    EXPECT_EQ(frame->GetToolButton(2005)->GetToolTipText(), u8("退出"));
    EXPECT_EQ(frame->GetMainToolBar()->GetBackgroundColour(), wxColour(0, 149, 49));

    ASSERT_EQ(frame->GetViewCount(), 3);
    EXPECT_NE(dynamic_cast<CViewRealtime*>(frame->GetView(0)), nullptr);
    EXPECT_NE(dynamic_cast<CViewHistory*>(frame->GetView(1)), nullptr);
    EXPECT_NE(dynamic_cast<CViewStatistics*>(frame->GetView(2)), nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame->GetView(i)->IsInitialUpdateDone());
    expectShown(0);

    press(2002);
    expectShown(1);
    press(2003);
    expectShown(2);
    press(2001);
    expectShown(0);

    press(2004);
    EXPECT_EQ(aboutShown, 1);
    expectShown(0);
}

TEST_F(MainFrameTest, RoleWithDebugAndDataPointModulesGetsSevenButtonsInOrder) {
    makeFrame("u1", "r1");
    EXPECT_EQ(buttonIds(), (std::vector<int>{2001, 2002, 2003, 2004, 2005, 2006, 2007}));
    const auto& b = frame->GetToolbarButtons();
    EXPECT_EQ(b[3].tip, u8("调试串口"));
    EXPECT_EQ(b[3].imageFile, "debug.bmp");
    EXPECT_EQ(b[4].tip, u8("数据点维护"));
    EXPECT_EQ(b[5].tip, u8("关于"));
    EXPECT_EQ(b[6].tip, u8("退出"));
    EXPECT_EQ(frame->GetModuleViewCount(), 2);
    ASSERT_EQ(frame->GetViewCount(), 5);
    EXPECT_NE(dynamic_cast<CViewDebug*>(frame->GetView(3)), nullptr);
    EXPECT_NE(dynamic_cast<CViewDataModify*>(frame->GetView(4)), nullptr);

    press(2004);
    expectShown(3);
    press(2005);
    expectShown(4);
    EXPECT_EQ(aboutShown, 0);
    press(2006);
    EXPECT_EQ(aboutShown, 1);
    expectShown(4);

    // 2007 asks to exit; "No" without a tray keeps the window (next tests).
    wxTEST_DIALOG(
        {
            press(2007);
            pumpFor(100);
        },
        ExpectExitPrompt(wxID_NO), ExpectNoTrayNote());
    EXPECT_TRUE(frame && frame->IsShown());
}

TEST_F(MainFrameTest, ModuleWithoutAViewGetsNoButtonSoAboutAndExitStayTrue) {
    db->executeUtf8("insert into em_module (id, menu_no, menu_pic_file, name) values ('m9', 9, 'about.bmp', '其他');"
                    "insert into em_role_module (id, role, module) values ('rm9', 'r1', 'm9')");
    TestDatabase::closePool();
    ASSERT_TRUE(db->openPool());
    makeFrame("u1", "r1");
    EXPECT_EQ(buttonIds().size(), 7u);
    for (const auto& b : frame->GetToolbarButtons()) EXPECT_NE(b.tip, u8("其他"));
    press(2006);
    EXPECT_EQ(aboutShown, 1);
}

TEST_F(MainFrameTest, PressingTheShownViewsButtonKeepsItShownAndBadIndexesDoNothing) {
    makeFrame("u2", "r2");
    press(2002);
    expectShown(1);
    press(2002);
    expectShown(1);
    EXPECT_EQ(frame->SwitchView(-1), nullptr);
    EXPECT_EQ(frame->SwitchView(3), nullptr);
    expectShown(1);
    press(2006);  // beyond Exit: nothing
    expectShown(1);
    EXPECT_EQ(aboutShown, 0);
}

TEST_F(MainFrameTest, ResizingKeepsTheShownViewOverTheClientArea) {
    makeFrame("u2", "r2");
    frame->SetSize(900, 600);
    pumpFor(50);
    expectShown(0);
    press(2003);
    frame->SetSize(1100, 750);
    pumpFor(50);
    expectShown(2);
}

TEST_F(MainFrameTest, ToolbarPicturesComeFromConfigAndAMissingOneLeavesTheOthersInPlace) {
    std::filesystem::remove(programDir.path() / "config" / "toolbar" / "history.bmp");
    makeFrame("u1", "r1");
    const auto dir = programDir.path() / "config" / "toolbar";
    auto picture = [&](int id) { return frame->GetToolButton(id)->GetBitmapLabel(); };
    EXPECT_TRUE(samePicture(picture(2001), (dir / "realtime.bmp").string()));
    EXPECT_TRUE(isBlank(picture(2002)));
    EXPECT_TRUE(samePicture(picture(2003), (dir / "statistics.bmp").string()));
    EXPECT_TRUE(samePicture(picture(2004), (dir / "debug.bmp").string()));
    EXPECT_TRUE(samePicture(picture(2005), (dir / "datapoint.bmp").string()));
    EXPECT_TRUE(samePicture(picture(2006), (dir / "about.bmp").string()));
    EXPECT_TRUE(samePicture(picture(2007), (dir / "exit.bmp").string()));
    EXPECT_EQ(picture(2001).GetSize(), wxSize(38, 38));
}

// UIConfig.xml is UTF-8, so are the picture names it gives; a module's
// picture name comes from the database (GBK) and is found as well.
TEST_F(MainFrameTest, ToolbarPictureNamesInChineseAreFound) {
    namespace fs = std::filesystem;
    const auto dir = programDir.path() / "config" / "toolbar";
    fs::rename(dir / "statistics.bmp", dir / "数据统计.bmp");
    fs::rename(dir / "debug.bmp", dir / "调试.bmp");
    std::string config = frametest::ProgramDir::kUiConfig;
    const std::string from = "ImageName=\"statistics.bmp\"";
    config.replace(config.find(from), from.size(), "ImageName=\"数据统计.bmp\"");
    if (FILE* f = std::fopen((programDir.path() / "config" / "UIConfig.xml").c_str(), "w")) {
        std::fputs(config.c_str(), f);
        std::fclose(f);
    }
    Singleton<Config>::getInstance()->loadAll();
    db->executeUtf8("update em_module set menu_pic_file = '调试.bmp' where menu_pic_file = 'debug.bmp'");
    TestDatabase::closePool();
    ASSERT_TRUE(db->openPool());

    makeFrame("u1", "r1");
    auto picture = [&](int id) { return frame->GetToolButton(id)->GetBitmapLabel(); };
    EXPECT_EQ(frame->GetToolbarButtons()[2].imageFile, "数据统计.bmp");
    EXPECT_TRUE(samePicture(picture(2003), (dir / "数据统计.bmp").string()));
    EXPECT_EQ(frame->GetToolbarButtons()[3].imageFile, "调试.bmp");
    EXPECT_TRUE(samePicture(picture(2004), (dir / "调试.bmp").string()));
    EXPECT_TRUE(samePicture(picture(2005), (dir / "datapoint.bmp").string()));
}

TEST_F(MainFrameTest, ExitPromptNoHidesToTheTrayAndOnlyADoubleClickShowsItAgain) {
    ASSERT_TRUE(trayHostRunning());
    makeFrame("u2", "r2");
    tray = CreateTrayTool();
    frame->SetTrayTool(tray);
    tray->ShowTray(frame, CMainFrame::kTrayCallbackMessage, trayIcon(), true, nullptr);
    std::vector<wxRect> icons;
    ASSERT_TRUE(pumpUntil([&] { return (icons = frametest::ownTrayIcons(kProgramName)).size() == 1; }, 3000));

    wxTEST_DIALOG(
        {
            press(2005);
            pumpFor(100);
        },
        ExpectExitPrompt(wxID_NO));
    ASSERT_TRUE(frame);
    EXPECT_FALSE(frame->IsShown());

    frametest::clickAt(icons[0], 1);
    pumpFor(800);  // beyond the double-click time
    EXPECT_FALSE(frame->IsShown()) << "a single click must not show the window";

    frametest::clickAt(icons[0], 2);
    EXPECT_TRUE(pumpUntil([&] { return frame->IsShown(); }, 2000)) << "double click did not show the window";
}

TEST_F(MainFrameTest, ExitPromptYesClosesTheFrameAndReleasingTheTrayRemovesTheIcon) {
    ASSERT_TRUE(trayHostRunning());
    makeFrame("u2", "r2");
    tray = CreateTrayTool();
    frame->SetTrayTool(tray);
    tray->ShowTray(frame, CMainFrame::kTrayCallbackMessage, trayIcon(), true, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return frametest::ownTrayIcons(kProgramName).size() == 1; }, 3000));

    wxTEST_DIALOG(frame->Close(), ExpectExitPrompt(wxID_YES));
    EXPECT_TRUE(pumpUntil([&] { return !frame; }, 2000)) << "frame not destroyed after Yes";
    // What the application's exit does next.
    ReleaseTrayTool(tray);
    tray = nullptr;
    EXPECT_TRUE(pumpUntil([&] { return frametest::ownTrayIcons(kProgramName).empty(); }, 3000));
}

TEST_F(MainFrameTest, ExitPromptNoWithoutATrayKeepsTheWindowAndSaysSo) {
    makeFrame("u2", "r2");
    tray = CreateTrayTool();  // never shown: no icon in any tray
    frame->SetTrayTool(tray);
    wxTEST_DIALOG(frame->Close(), ExpectExitPrompt(wxID_NO), ExpectNoTrayNote());
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsShown());
}

TEST_F(MainFrameTest, ViewsDrawLabelsYellowOnTheViewColour) {
    makeFrame("u2", "r2");
    CViewBase* view = frame->GetView(1);
    auto* label = new wxStaticText(view, wxID_ANY, u8("设备"));
    auto* edit = new wxTextCtrl(view, wxID_ANY, "x");
    view->ApplyViewColours();
    EXPECT_EQ(view->GetBackgroundColour(), wxColour(192, 192, 192));
    EXPECT_EQ(label->GetForegroundColour(), wxColour(255, 255, 0));
    EXPECT_EQ(label->GetBackgroundColour(), wxColour(192, 192, 192));
    EXPECT_EQ(edit->GetBackgroundColour(), wxColour(192, 192, 192));
    ASSERT_NE(view->GetRowImageList(), nullptr);
    int w = 0, h = 0;
    view->GetRowImageList()->GetSize(0, w, h);
    EXPECT_EQ(h, 32);
}

TEST_F(MainFrameTest, StatusBarShowsWhetherTheBrokerIsConnected) {
    makeFrame("u2", "r2");
    wxStatusBar* sb = frame->GetMainStatusBar();
    ASSERT_NE(sb, nullptr);
    EXPECT_EQ(sb->GetFieldsCount(), 4);
    EXPECT_EQ(sb->GetStatusText(0), u8("MQTT服务器：未连接"));

    NoopHandler handler;
    const std::string address =
        frametest::requireEnv("QUORVEL_MQTT_HOST") + ":" + frametest::requireEnv("QUORVEL_MQTT_PORT");
    MqttClient* client = MqttClient::create(&handler, address.c_str());
    ASSERT_TRUE(client->connect(frametest::requireEnv("QUORVEL_MQTT_USER").c_str(),
                                frametest::requireEnv("QUORVEL_MQTT_PASSWORD").c_str()));
    frame->SetMqttClient(client);
    EXPECT_TRUE(pumpUntil([&] { return sb->GetStatusText(0) == u8("MQTT服务器：已连接"); }, 5000));
    client->stop();
    EXPECT_TRUE(pumpUntil([&] { return sb->GetStatusText(0) == u8("MQTT服务器：未连接"); }, 3000));
    frame->SetMqttClient(nullptr);
    delete client;
}

}  // namespace
