#include "ui/ButtonST.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/settings.h>

wxIMPLEMENT_DYNAMIC_CLASS(CButtonST, wxControl);

wxBEGIN_EVENT_TABLE(CButtonST, wxControl)
    EVT_PAINT(CButtonST::OnPaint)
    EVT_ERASE_BACKGROUND(CButtonST::OnEraseBackground)
    EVT_ENTER_WINDOW(CButtonST::OnEnter)
    EVT_LEAVE_WINDOW(CButtonST::OnLeave)
    EVT_LEFT_DOWN(CButtonST::OnLeftDown)
    EVT_LEFT_DCLICK(CButtonST::OnLeftDown)
    EVT_LEFT_UP(CButtonST::OnLeftUp)
    EVT_MOTION(CButtonST::OnMotion)
    EVT_MOUSE_CAPTURE_LOST(CButtonST::OnCaptureLost)
    EVT_SET_FOCUS(CButtonST::OnFocus)
    EVT_KILL_FOCUS(CButtonST::OnFocus)
    EVT_KEY_DOWN(CButtonST::OnKeyDown)
    EVT_KEY_UP(CButtonST::OnKeyUp)
wxEND_EVENT_TABLE()

CButtonST::CButtonST() { Init(); }

CButtonST::CButtonST(wxWindow* parent, wxWindowID id, const wxString& label,
                     const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name) {
    Init();
    Create(parent, id, label, pos, size, style, name);
}

void CButtonST::Init() { SetDefaultColors(false); }

bool CButtonST::Create(wxWindow* parent, wxWindowID id, const wxString& label,
                       const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name) {
    if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                           wxDefaultValidator, name))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxControl::SetLabel(label);
    SetInitialSize(size);
    return true;
}

void CButtonST::SetDefaultColors(bool repaint) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    m_colors[BTNST_COLOR_BK_IN] = face;
    m_colors[BTNST_COLOR_FG_IN] = text;
    m_colors[BTNST_COLOR_BK_OUT] = face;
    m_colors[BTNST_COLOR_FG_OUT] = text;
    m_colors[BTNST_COLOR_BK_FOCUS] = face;
    m_colors[BTNST_COLOR_FG_FOCUS] = text;
    if (repaint && GetHandle()) Refresh();
}

void CButtonST::SetColor(ColorIndex index, const wxColour& colour, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS) return;
    m_colors[index] = colour;
    if (repaint && GetHandle()) Refresh();
}

wxColour CButtonST::GetColor(ColorIndex index) const {
    if (index < 0 || index >= BTNST_MAX_COLORS) return wxNullColour;
    return m_colors[index];
}

void CButtonST::SetFlat(bool flat, bool repaint) {
    m_flat = flat;
    if (repaint && GetHandle()) Refresh();
}

CButtonST::VisualState CButtonST::CurrentVisualState() const {
    if (m_hover || IsPressedDown()) return VisualState::In;
    if (m_focused) return VisualState::Focus;
    return VisualState::Out;
}

wxColour CButtonST::CurrentBackground() const {
    switch (CurrentVisualState()) {
        case VisualState::In: return m_colors[BTNST_COLOR_BK_IN];
        case VisualState::Focus: return m_colors[BTNST_COLOR_BK_FOCUS];
        case VisualState::Out: break;
    }
    return m_colors[BTNST_COLOR_BK_OUT];
}

wxColour CButtonST::CurrentForeground() const {
    switch (CurrentVisualState()) {
        case VisualState::In: return m_colors[BTNST_COLOR_FG_IN];
        case VisualState::Focus: return m_colors[BTNST_COLOR_FG_FOCUS];
        case VisualState::Out: break;
    }
    return m_colors[BTNST_COLOR_FG_OUT];
}

void CButtonST::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    InvalidateBestSize();
    Refresh();
}

bool CButtonST::Enable(bool enable) {
    if (!wxControl::Enable(enable)) return false;
    if (!enable) {
        m_hover = false;
        m_pressed = false;
    }
    Refresh();
    return true;
}

wxSize CButtonST::DoGetBestSize() const {
    wxClientDC dc(const_cast<CButtonST*>(this));
    dc.SetFont(GetFont());
    wxCoord w = 0, h = 0;
    dc.GetMultiLineTextExtent(GetLabelText(), &w, &h);
    return wxSize(std::max(w + 24, 75), std::max(h + 12, 25));
}

void CButtonST::Click() {
    wxCommandEvent ev(wxEVT_BUTTON, GetId());
    ev.SetEventObject(this);
    ProcessWindowEvent(ev);
}

void CButtonST::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DrawButton(dc);
}

void CButtonST::OnEraseBackground(wxEraseEvent&) {}

void CButtonST::DrawButton(wxDC& dc) {
    const wxRect rc(wxPoint(0, 0), GetClientSize());
    const bool pressed = IsPressedDown();
    const bool disabled = !IsEnabled();
    const wxColour highlight = HighlightColour();
    const wxColour shadow = ShadowColour();

    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(CurrentBackground()));
    dc.DrawRectangle(rc);

    // One-pixel edges as filled rectangles: exact pixels, no smoothing.
    auto frame3d = [&](const wxColour& topLeft, const wxColour& bottomRight) {
        const int w = rc.width, h = rc.height;
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(topLeft));
        dc.DrawRectangle(0, 0, w, 1);
        dc.DrawRectangle(0, 0, 1, h);
        dc.SetBrush(wxBrush(bottomRight));
        dc.DrawRectangle(0, h - 1, w, 1);
        dc.DrawRectangle(w - 1, 1, 1, h - 1);
    };
    if (m_flat) {
        if (pressed)
            frame3d(shadow, highlight);  // sunken
        else if (m_hover)
            frame3d(highlight, shadow);  // raised
    } else {
        if (pressed)
            frame3d(shadow, highlight);
        else
            frame3d(highlight, shadow);
    }

    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxString text = GetLabelText();
    wxRect textRect = rc;
    if (pressed) textRect.Offset(m_pressedOffset);
    if (disabled) {
        // Embossed: highlight one pixel right and down, shadow on top.
        wxRect lit = textRect;
        lit.Offset(1, 1);
        dc.SetTextForeground(highlight);
        dc.DrawLabel(text, lit, wxALIGN_CENTER);
        dc.SetTextForeground(shadow);
        dc.DrawLabel(text, textRect, wxALIGN_CENTER);
    } else {
        dc.SetTextForeground(CurrentForeground());
        dc.DrawLabel(text, textRect, wxALIGN_CENTER);
    }
    // Flat buttons draw no focus rectangle; the focus colour shows it.
}

void CButtonST::OnEnter(wxMouseEvent& event) {
    if (!m_hover && IsEnabled()) {
        m_hover = true;
        Refresh();
    }
    event.Skip();
}

void CButtonST::OnLeave(wxMouseEvent& event) {
    // While captured (button held), leaving only drops the pressed look.
    if (m_hover) {
        m_hover = false;
        Refresh();
    }
    event.Skip();
}

void CButtonST::OnMotion(wxMouseEvent& event) {
    if (HasCapture()) {
        const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
        if (inside != m_hover) {
            m_hover = inside;
            Refresh();
        }
    } else if (!m_hover && IsEnabled()) {
        m_hover = true;
        Refresh();
    }
    event.Skip();
}

void CButtonST::OnLeftDown(wxMouseEvent&) {
    if (!IsEnabled()) return;
    SetFocus();
    m_pressed = true;
    m_hover = true;
    if (!HasCapture()) CaptureMouse();
    Refresh();
}

void CButtonST::OnLeftUp(wxMouseEvent& event) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (HasCapture()) ReleaseMouse();
    const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    m_hover = inside;
    Refresh();
    if (wasPressed && inside && IsEnabled()) Click();
}

void CButtonST::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_pressed = false;
    m_keyDown = false;
    Refresh();
}

void CButtonST::OnFocus(wxFocusEvent& event) {
    m_focused = event.GetEventType() == wxEVT_SET_FOCUS;
    if (!m_focused && m_keyDown) m_pressed = m_keyDown = false;
    Refresh();
    event.Skip();
}

void CButtonST::OnKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && IsEnabled()) {
        m_pressed = true;
        m_keyDown = true;
        Refresh();
        return;
    }
    event.Skip();
}

void CButtonST::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && m_keyDown) {
        m_pressed = false;
        m_keyDown = false;
        Refresh();
        Click();
        return;
    }
    event.Skip();
}
