#include "PcrTray.h"

#include <wx/app.h>
#include <wx/bmpbndl.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/settings.h>
#include <wx/time.h>

// Forwards the icon's mouse events to the tool, as mouse messages.
class PcrTray::Icon : public wxTaskBarIcon {
public:
    explicit Icon(PcrTray* tray) : m_tray(tray) {
        Bind(wxEVT_TASKBAR_LEFT_DOWN, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::LeftDown); });
        Bind(wxEVT_TASKBAR_LEFT_UP, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::LeftUp); });
        Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::LeftDoubleClick); });
        Bind(wxEVT_TASKBAR_RIGHT_DOWN, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::RightDown); });
        Bind(wxEVT_TASKBAR_RIGHT_UP, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::RightUp); });
        Bind(wxEVT_TASKBAR_RIGHT_DCLICK, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::RightDoubleClick); });
        Bind(wxEVT_TASKBAR_MOVE, [this](wxTaskBarIconEvent&) { Forward(TrayMouse::Move); });
    }
    // The tool is going away; events still pending on the icon go nowhere.
    void Detach() { m_tray = nullptr; }

private:
    void Forward(int message) {
        if (m_tray) m_tray->Notify(message);
    }
    PcrTray* m_tray;
};

class PcrTray::BlinkTimer : public wxTimer {
public:
    explicit BlinkTimer(PcrTray* tray) : m_tray(tray) {}
    void Notify() override { m_tray->BlinkStep(); }

private:
    PcrTray* m_tray;
};

namespace {
wxIcon blankLike(const wxIcon& icon) {
    const int w = icon.IsOk() ? icon.GetWidth() : 16;
    const int h = icon.IsOk() ? icon.GetHeight() : 16;
    wxImage image(w, h);
    image.InitAlpha();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetAlpha(x, y, 0);
    wxIcon blank;
    blank.CopyFromBitmap(wxBitmap(image));
    return blank;
}

std::size_t utf8Length(const char* text) {
    std::size_t count = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if ((*p & 0xC0) != 0x80) ++count;
    return count;
}
}  // namespace

PcrTray::PcrTray() = default;

PcrTray::~PcrTray() {
    if (m_timer) m_timer->Stop();
    if (m_taskbar) {
        m_taskbar->Detach();
        m_taskbar->RemoveIcon();
        // Delayed deletion lets events already queued for the icon finish.
        if (wxTheApp)
            m_taskbar->Destroy();
        else
            delete m_taskbar;
        m_taskbar = nullptr;
    }
}

void PcrTray::ShowTray(wxEvtHandler* owner, int callbackMessage, const wxIcon& icon, bool withTip,
                       wxWindow* popup) {
    m_owner = owner;
    m_callbackMessage = callbackMessage;
    m_withTip = withTip;
    m_icon = icon;
    m_blank = blankLike(icon);
    m_popup = popup;
    m_iconShown = true;

    if (!wxTaskBarIcon::IsAvailable()) {
        m_inTray = false;  // no tray host: stay quiet
    } else {
        if (!m_taskbar) m_taskbar = new Icon(this);
        m_inTray = true;
        Modify();
        if (!m_timer) {
            m_timer = std::make_unique<BlinkTimer>(this);
            m_timer->Start(kBlinkPeriodMs);
        }
    }
    if (popup) PlacePopup();
}

void PcrTray::SetTipText(const char* text) {
    if (!text || utf8Length(text) > static_cast<std::size_t>(kMaxTipLength)) return;
    m_shownTip = text;
    m_savedTip = text;
    Modify();
}

void PcrTray::StartFlash() { m_blinking = true; }
void PcrTray::StopFlash() { m_blinking = false; }

void PcrTray::ShowPopup() {
    if (m_popup) m_popup->Show();
}

void PcrTray::HidePopup() {
    if (m_popup) m_popup->Hide();
}

void PcrTray::RestoreTipText() {
    m_shownTip = m_savedTip;
    Modify();
}

void PcrTray::ClearTipText() {
    m_shownTip.clear();
    Modify();
}

void PcrTray::Modify() {
    if (!m_taskbar || !m_inTray || !m_icon.IsOk()) return;
    const wxString tip = m_withTip ? wxString::FromUTF8(m_shownTip) : wxString();
    m_taskbar->SetIcon(m_iconShown ? m_icon : m_blank, tip);
}

void PcrTray::BlinkStep() {
    if (m_blinking) {
        m_iconShown = !m_iconShown;
        Modify();
    } else if (!m_iconShown) {
        m_iconShown = true;
        Modify();
    }
}

void PcrTray::Notify(int mouseMessage) {
    // This toolkit reports every left press as a single click; a second press
    // within the desktop's double-click time becomes a double click.
    if (mouseMessage == TrayMouse::LeftDown) {
        int interval = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
        if (interval <= 0) interval = 500;
        const wxLongLong now = wxGetUTCTimeMillis();
        if (m_lastLeftDown != 0 && now - m_lastLeftDown <= interval) {
            mouseMessage = TrayMouse::LeftDoubleClick;
            m_lastLeftDown = 0;
        } else {
            m_lastLeftDown = now;
        }
    } else if (mouseMessage == TrayMouse::LeftDoubleClick) {
        m_lastLeftDown = 0;
    }
    if (!m_owner) return;
    auto* event = new wxCommandEvent(VINTREL_EVT_TRAY_NOTIFY, m_callbackMessage);
    event->SetInt(mouseMessage);
    wxQueueEvent(m_owner.get(), event);
}

void PcrTray::PlacePopup() {
    wxWindow* popup = m_popup.get();
    if (!popup) return;
    int index = wxDisplay::GetFromWindow(popup);
    const wxRect area = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
    const wxSize size = popup->GetSize();
    wxPoint pos(area.GetRight() + 1 - size.x, area.GetBottom() + 1 - size.y);
    if (!popup->IsTopLevel() && popup->GetParent()) pos = popup->GetParent()->ScreenToClient(pos);
    popup->Move(pos);
    popup->Raise();
}
