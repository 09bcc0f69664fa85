#include "WxTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <algorithm>
#include <cstdio>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/msgdlg.h>

#include "quorvel_test/MessageBoxLabels.h"

namespace {

// One wx application for the whole test program.
class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "DISPLAY is not set: window tests run under Xvfb (scripts/test.sh)";
        static int argc = 1;
        static char arg0[] = "ui_test";
        static char* argv[] = {arg0, nullptr};
        wxApp::SetInstance(new wxApp());
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "cannot open the display " << display;
        ASSERT_TRUE(wxTheApp->CallOnInit());
        wxInitAllImageHandlers();
        // Failed wx checks fail the test instead of opening an assert box.
        wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                              const wxString& cond, const wxString& msg) {
            ADD_FAILURE() << "wx assertion " << cond << " " << msg << " in " << func << " at "
                          << file << ":" << line;
        });
    }
    void TearDown() override {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

namespace wxtest {

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    wxEventLoopGuarantor loop;
    do {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    wxEventLoopGuarantor loop;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return done();
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

wxImage Grab(wxWindow* window) {
    // What the X server shows (the toolkit's own screen copy can lag behind).
    window->Update();
    const wxRect r = window->GetScreenRect();
    const std::string file = "/tmp/quorvel_grab_" + std::to_string(::getpid()) + ".png";
    const std::string cmd = "import -silent -window root -crop " + std::to_string(r.width) + "x" +
                            std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                            std::to_string(r.y) + " +repage png24:" + file;
    wxImage img;
    if (std::system(cmd.c_str()) == 0) img.LoadFile(file, wxBITMAP_TYPE_PNG);
    std::remove(file.c_str());
    return img.IsOk() ? img : wxImage(std::max(r.width, 1), std::max(r.height, 1));
}

wxImage GrabWhen(wxWindow* window, const std::function<bool(const wxImage&)>& ready,
                 int timeoutMs) {
    wxImage img;
    PumpUntil([&] {
        img = Grab(window);
        return ready(img);
    }, timeoutMs);
    return img;
}

std::string SaveShot(wxWindow* window, const std::string& name) {
    std::filesystem::create_directories("artifacts");
    const std::string path = "artifacts/" + name + ".png";
    Grab(window).SaveFile(path, wxBITMAP_TYPE_PNG);
    return path;
}

ScriptedDialogs::ScriptedDialogs(std::function<bool(wxDialog*)> passThrough)
    : passThrough_(std::move(passThrough)) {
    Register();
}

ScriptedDialogs::~ScriptedDialogs() {
    Unregister();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " expected dialog(s) never appeared";
}

void ScriptedDialogs::ThenRun(std::function<void(wxDialog*)> script) {
    Then([script](wxDialog* dlg) {
        dlg->CallAfter([dlg, script] {
            PumpUntil([&] { return dlg->IsShownOnScreen(); }, 3000);
            Pump(100);
            script(dlg);
            if (dlg->IsModal()) {
                ADD_FAILURE() << "dialog \"" << dlg->GetTitle().utf8_string() << "\" left open by the test";
                dlg->EndModal(wxID_ABORT);
            }
        });
        return wxID_NONE;
    });
}

void ScriptedDialogs::ThenMessage(const wxString& text, int answer) {
    Then([text, answer](wxDialog* dlg) {
        auto* box = dynamic_cast<wxMessageDialog*>(dlg);
        EXPECT_NE(box, nullptr) << "expected a message box, got " << dlg->GetTitle().utf8_string();
        if (box) {
            EXPECT_EQ(box->GetMessage().utf8_string(), text.utf8_string());
        }
        return answer;
    });
}

int ScriptedDialogs::Enter(wxDialog* dialog) {
    if (passThrough_ && passThrough_(dialog)) return wxID_NONE;
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
        messages_.push_back(box->GetMessage());
        EXPECT_TRUE(hasOwnButtonLabels(*box));
    }
    if (steps_.empty()) {
        ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle().utf8_string() << "\""
                      << (messages_.empty() ? "" : " saying \"" + messages_.back().utf8_string() + "\"");
        return wxID_CANCEL;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    return step(dialog);
}

}  // namespace wxtest

#include "ui/ButtonST.h"

namespace wxtest {

int RunModal(wxDialog& dlg, const std::function<void()>& script) {
    dlg.CallAfter([&dlg, script] {
        PumpUntil([&] { return dlg.IsShownOnScreen(); }, 3000);
        Pump(100);
        script();
        if (dlg.IsModal()) {
            ADD_FAILURE() << "dialog \"" << dlg.GetTitle().utf8_string() << "\" left open by the test";
            dlg.EndModal(wxID_ABORT);
        }
    });
    return dlg.ShowModal();
}

void ClickId(wxWindow* parent, int id) {
    wxWindow* w = parent->FindWindow(id);
    ASSERT_NE(w, nullptr) << "no control with id " << id;
    if (auto* b = dynamic_cast<CButtonST*>(w)) {
        b->Click();
    } else {
        wxCommandEvent ev(wxEVT_BUTTON, id);
        ev.SetEventObject(w);
        w->GetEventHandler()->ProcessEvent(ev);
    }
}

void PressKey(wxWindow* target, int keyCode) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = keyCode;
    key.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(key);
}

}  // namespace wxtest
