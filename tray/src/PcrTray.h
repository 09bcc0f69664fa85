#pragma once
// The tray tool over wxTaskBarIcon. A UI timer does the blinking, so only the
// UI thread ever touches the toolkit.

#include <memory>
#include <string>

#include <wx/bitmap.h>
#include <wx/longlong.h>
#include <wx/taskbar.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "vintrel/TrayTool.h"

class PcrTray : public TrayTool {
public:
    PcrTray();
    ~PcrTray() override;

    void ShowTray(wxEvtHandler* owner, int callbackMessage, const wxIcon& icon, bool withTip,
                  wxWindow* popup) override;
    void SetTipText(const char* text) override;
    void StartFlash() override;
    void StopFlash() override;
    void ShowPopup() override;
    void HidePopup() override;
    void RestoreTipText() override;
    void ClearTipText() override;

    bool IsInTray() const override { return m_inTray; }
    bool IsIconShown() const override { return m_inTray && m_iconShown; }
    bool IsFlashing() const override { return m_blinking; }
    std::string GetShownTip() const override { return m_withTip ? m_shownTip : std::string{}; }

    // From the icon: one mouse message to pass on to the owner.
    void Notify(int mouseMessage);
    // One blink step (every kBlinkPeriodMs while the icon exists).
    void BlinkStep();

private:
    class Icon;
    class BlinkTimer;

    void Modify();  // sends icon and tooltip as they are now
    void PlacePopup();

    Icon* m_taskbar = nullptr;
    std::unique_ptr<BlinkTimer> m_timer;
    wxWeakRef<wxEvtHandler> m_owner;
    int m_callbackMessage = 0;
    bool m_withTip = false;
    wxWindowRef m_popup;
    wxIcon m_icon;
    wxIcon m_blank;  // same size as m_icon, fully transparent
    std::string m_shownTip;
    std::string m_savedTip;
    bool m_inTray = false;
    bool m_blinking = false;
    bool m_iconShown = false;
    wxLongLong m_lastLeftDown = 0;  // ms, for double-click detection
};
