#pragma once
// A wx application inside a GoogleTest process: the toolkit is started once,
// an event loop is made active, and tests pump it with bounded waits.

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

class WxTestEnvironment : public ::testing::Environment {
public:
    // programName: the name the toolkit gives this program's windows.
    explicit WxTestEnvironment(const char* programName) : m_name(programName) {}

    void SetUp() override {
        static int argc = 1;
        static char* argv[] = {m_name.data(), nullptr};
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display (run under xvfb-run)";
        wxTheApp->SetExitOnFrameDelete(false);
        m_loop = new wxEventLoop;
        wxEventLoopBase::SetActive(m_loop);
    }
    void TearDown() override {
        wxEventLoopBase::SetActive(nullptr);
        delete m_loop;
        wxEntryCleanup();
    }

private:
    std::string m_name;
    wxEventLoop* m_loop = nullptr;
};

// Processes events until `done` holds or `timeoutMs` passes; true when done.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

inline void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}
