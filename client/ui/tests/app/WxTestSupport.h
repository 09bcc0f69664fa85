#pragma once
// Helpers for window tests that run inside the test process: one wx
// application for the whole test program, event pumping with a bound,
// screenshots into <build>/tests/artifacts, and scripted answers for modal
// dialogs and message boxes.
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/modalhook.h>

namespace wxtest {

// Lets pending events run for about `ms` milliseconds.
void Pump(int ms = 100);
// Pumps until `done()` or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// What the screen shows inside the window's screen rectangle.
wxImage Grab(wxWindow* window);
// Grabs until the image passes `ready` (the screen catches up with a repaint
// only after a few frames) or the time is up; returns the last grab.
wxImage GrabWhen(wxWindow* window, const std::function<bool(const wxImage&)>& ready,
                 int timeoutMs = 2000);
// Saves the grab as artifacts/<name>.png (relative to the test folder) and
// returns the path.
std::string SaveShot(wxWindow* window, const std::string& name);

// Answers modal dialogs in order. Dialogs for which `passThrough` is true are
// shown for real; every other dialog takes the next step, whose result is the
// dialog's return code (wxID_NONE: show it for real). A dialog with no step
// left fails the test.
class ScriptedDialogs : public wxModalDialogHook {
public:
    using Step = std::function<int(wxDialog*)>;
    explicit ScriptedDialogs(std::function<bool(wxDialog*)> passThrough = {});
    ~ScriptedDialogs() override;

    void Then(Step step) { steps_.push_back(std::move(step)); }
    // The next dialog is shown for real and `script` runs inside its modal
    // loop once it is on screen (a dialog left open is ended with wxID_ABORT).
    void ThenRun(std::function<void(wxDialog*)> script);
    // A message box whose text must be `text`; answered with `answer`.
    void ThenMessage(const wxString& text, int answer = wxID_OK);
    size_t Remaining() const { return steps_.size(); }
    // Texts of the message boxes seen so far, in order.
    const std::vector<wxString>& Messages() const { return messages_; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::function<bool(wxDialog*)> passThrough_;
    std::deque<Step> steps_;
    std::vector<wxString> messages_;
};

}  // namespace wxtest

namespace wxtest {
// Runs `dlg` modally and `script` inside its modal loop once it is shown;
// a dialog the script leaves open is ended with wxID_ABORT so a failing
// script cannot hang the test. Returns ShowModal's result.
int RunModal(wxDialog& dlg, const std::function<void()>& script);
// Clicks the control with this id inside `parent` (a CButtonST or wxButton).
void ClickId(wxWindow* parent, int id);
// A key as the dialog sees it before its controls do.
void PressKey(wxWindow* target, int keyCode);
}  // namespace wxtest
