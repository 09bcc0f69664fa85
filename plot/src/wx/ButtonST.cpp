#include "ButtonST.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

namespace curvella {

wxColour toWxColour(Colour c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

CButtonST::CButtonST(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                     const wxSize& size, bool flat, long border)
    : wxControl(parent, id, pos, size, border | wxWANTS_CHARS), flat_(flat) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    RestoreDefaultColours();
    wxControl::SetLabel(label);
    Bind(wxEVT_PAINT, &CButtonST::OnPaint, this);
    Bind(wxEVT_ENTER_WINDOW, &CButtonST::OnEnter, this);
    Bind(wxEVT_LEAVE_WINDOW, &CButtonST::OnLeave, this);
    Bind(wxEVT_LEFT_DOWN, &CButtonST::OnDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CButtonST::OnDown, this);
    Bind(wxEVT_LEFT_UP, &CButtonST::OnUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CButtonST::OnCaptureLost, this);
    Bind(wxEVT_SET_FOCUS, &CButtonST::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CButtonST::OnFocus, this);
    Bind(wxEVT_KEY_DOWN, &CButtonST::OnKey, this);
}

void CButtonST::SetBackgroundColours(Colour c) {
    for (wxColour& b : bg_) b = toWxColour(c);
    Refresh();
}

void CButtonST::SetStateColours(State s, const wxColour& background, const wxColour& text) {
    bg_[s] = background;
    fg_[s] = text;
    Refresh();
}

void CButtonST::RestoreDefaultColours() {
    for (int s = 0; s < 3; ++s) {
        bg_[s] = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        fg_[s] = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    }
    Refresh();
}

void CButtonST::SetVerticalCaption(bool on) {
    vertical_ = on;
    Refresh();
}

void CButtonST::SetLabel(const wxString& label) {
    if (label == GetLabel()) return;
    wxControl::SetLabel(label);
    Refresh();
}

wxSize CButtonST::DoGetBestSize() const {
    wxSize s = GetTextExtent(GetLabel());
    return {s.x + 12, s.y + 10};
}

void CButtonST::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    const bool focused = HasFocus();
    const bool disabled = !IsEnabled();
    const State state = (hover_ || pressed_) ? In : focused ? Focus : Out;

    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(bg_[state]));
    dc.DrawRectangle(0, 0, size.x, size.y);

    const wxColour hi = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    auto frame = [&](const wxColour& topLeft, const wxColour& bottomRight) {
        dc.SetPen(wxPen(topLeft));
        dc.DrawLine(0, size.y - 1, 0, 0);
        dc.DrawLine(0, 0, size.x - 1, 0);
        dc.SetPen(wxPen(bottomRight));
        dc.DrawLine(size.x - 1, 0, size.x - 1, size.y - 1);
        dc.DrawLine(size.x - 1, size.y - 1, -1, size.y - 1);
    };
    if (pressed_) frame(shadow, hi);
    else if (hover_ || !flat_) frame(hi, shadow);

    const wxString label = GetLabel();
    if (label.empty()) return;
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const int offset = pressed_ ? 1 : 0;
    if (vertical_) {
        wxFont font(wxFontInfo(wxSize(0, 14)).FaceName(wxString::FromUTF8("宋体")).Family(wxFONTFAMILY_MODERN));
        dc.SetFont(font);
        // Centred on the measured extent: a byte count of UTF-8 text would
        // overestimate Chinese captions by half.
        const wxSize extent = dc.GetTextExtent(label);
        const int textWidth = extent.x;
        const int x = (size.x - extent.y) / 2 + offset;
        const int y = size.y - (size.y - textWidth) / 2 + offset;
        dc.SetTextForeground(disabled ? shadow : fg_[state]);
        dc.DrawRotatedText(label, x, y, 90);
        return;
    }
    dc.SetFont(GetFont());
    const wxSize extent = dc.GetTextExtent(label);
    const int x = (size.x - extent.x) / 2 + offset, y = (size.y - extent.y) / 2 + offset;
    if (disabled) {
        dc.SetTextForeground(hi);
        dc.DrawText(label, x + 1, y + 1);
        dc.SetTextForeground(shadow);
    } else {
        dc.SetTextForeground(fg_[state]);
    }
    dc.DrawText(label, x, y);
}

void CButtonST::OnEnter(wxMouseEvent&) {
    if (!hover_) {
        hover_ = true;
        Refresh();
    }
}

void CButtonST::OnLeave(wxMouseEvent&) {
    if (hover_ && !pressed_) {
        hover_ = false;
        Refresh();
    }
}

void CButtonST::OnDown(wxMouseEvent&) {
    if (!IsEnabled()) return;
    pressed_ = true;
    if (!HasCapture()) CaptureMouse();
    Refresh();
}

void CButtonST::OnUp(wxMouseEvent& e) {
    if (!pressed_) return;
    pressed_ = false;
    if (HasCapture()) ReleaseMouse();
    hover_ = wxRect(GetClientSize()).Contains(e.GetPosition());
    Refresh();
    if (hover_) Click();
}

void CButtonST::OnCaptureLost(wxMouseCaptureLostEvent&) {
    pressed_ = false;
    Refresh();
}

void CButtonST::OnFocus(wxFocusEvent& e) {
    Refresh();
    e.Skip();
}

void CButtonST::OnKey(wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_SPACE || e.GetKeyCode() == WXK_RETURN) Click();
    else e.Skip();
}

void CButtonST::Click() {
    SetFocus();
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    ProcessWindowEvent(click);
}

}  // namespace curvella
