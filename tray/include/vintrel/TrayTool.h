#pragma once
// Vintrel: one icon in the desktop's notification area (tray) for its host
// program, with a tooltip, blinking, and an optional popup window placed at
// the bottom right of the work area.
//
// All operations run on the UI thread (blinking is driven by a UI timer).
// Mouse activity on the icon reaches the owner as a queued
// VINTREL_EVT_TRAY_NOTIFY command event whose id is the callback message
// given to ShowTray and whose GetInt() is the mouse message (TrayMouse).
// Where the desktop has no tray, the tool stays quiet: nothing is shown and
// IsInTray() is false.
//
//   TrayTool* tray = CreateTrayTool();
//   tray->ShowTray(frame, 0x401, icon, true, nullptr);
//   tray->SetTipText("Quorvel_Client(Version1.12)");
//   ...
//   ReleaseTrayTool(tray);   // removes the icon

#include <string>

#include <wx/event.h>
#include <wx/icon.h>
#include <wx/window.h>

#define VINTREL_API __attribute__((visibility("default")))

// Mouse messages carried by the notification (the values the host knows).
namespace TrayMouse {
constexpr int Move = 0x0200;
constexpr int LeftDown = 0x0201;
constexpr int LeftUp = 0x0202;
constexpr int LeftDoubleClick = 0x0203;
constexpr int RightDown = 0x0204;
constexpr int RightUp = 0x0205;
constexpr int RightDoubleClick = 0x0206;
}  // namespace TrayMouse

wxDECLARE_EXPORTED_EVENT(VINTREL_API, VINTREL_EVT_TRAY_NOTIFY, wxCommandEvent);

class TrayTool {
public:
    static constexpr int kMaxTipLength = 127;  // characters
    static constexpr int kBlinkPeriodMs = 400;

    virtual ~TrayTool() = default;

    // Adds the icon (again, with new values, when already shown). owner
    // receives the notifications under `callbackMessage`; withTip decides
    // whether the tooltip is shown; popup (may be null) is placed at the
    // bottom right of the work area and raised.
    virtual void ShowTray(wxEvtHandler* owner, int callbackMessage, const wxIcon& icon, bool withTip,
                          wxWindow* popup) = 0;
    // UTF-8 text; one of more than kMaxTipLength characters is ignored.
    virtual void SetTipText(const char* text) = 0;
    // Blinking toggles the icon every kBlinkPeriodMs; stopping restores it
    // within that period.
    virtual void StartFlash() = 0;
    virtual void StopFlash() = 0;
    virtual void ShowPopup() = 0;
    virtual void HidePopup() = 0;
    // Shows the last tooltip set with SetTipText again.
    virtual void RestoreTipText() = 0;
    // Empties the shown tooltip (the saved one stays).
    virtual void ClearTipText() = 0;

    // True while the icon sits in a tray host.
    virtual bool IsInTray() const = 0;
    // True while the real icon (not the blank phase of a blink) is shown.
    virtual bool IsIconShown() const = 0;
    virtual bool IsFlashing() const = 0;
    // The tooltip currently shown (UTF-8; empty when cleared or withTip false).
    virtual std::string GetShownTip() const = 0;
};

extern "C" {
VINTREL_API TrayTool* CreateTrayTool();
// Null does nothing; otherwise removes the icon and frees the tool.
VINTREL_API void ReleaseTrayTool(TrayTool* tool);
}
