#pragma once
// CButtonST: a flat push button drawn by us, with a background and a text
// colour for each of three states (mouse over/pressed, keyboard focus, rest).
// Clicking it (mouse or the space key) sends an ordinary wxEVT_BUTTON with the
// button's id to its parent, so owners bind EVT_BUTTON(id, ...) as usual.
#include <wx/control.h>
#include <wx/colour.h>

class CButtonST : public wxControl {
public:
    // Colour slots; "in" = hovered or pressed, "out" = neither, "focus" =
    // has the keyboard focus.
    enum ColorIndex {
        BTNST_COLOR_BK_IN = 0,
        BTNST_COLOR_FG_IN,
        BTNST_COLOR_BK_OUT,
        BTNST_COLOR_FG_OUT,
        BTNST_COLOR_BK_FOCUS,
        BTNST_COLOR_FG_FOCUS,
        BTNST_MAX_COLORS
    };

    // The three visual states the drawing chooses from.
    enum class VisualState { In, Focus, Out };

    CButtonST();
    CButtonST(wxWindow* parent, wxWindowID id, const wxString& label,
              const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0,
              const wxString& name = wxS("CButtonST"));
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0,
                const wxString& name = wxS("CButtonST"));

    void SetColor(ColorIndex index, const wxColour& colour, bool repaint = true);
    wxColour GetColor(ColorIndex index) const;
    // Back to the system button face/text colours in all states.
    void SetDefaultColors(bool repaint = true);

    void SetFlat(bool flat, bool repaint = true);
    bool IsFlat() const { return m_flat; }

    // State as the drawing sees it (also read by tests).
    bool IsHovering() const { return m_hover; }
    bool IsPressedDown() const { return m_pressed && (m_hover || m_keyDown); }
    VisualState CurrentVisualState() const;
    wxColour CurrentBackground() const;
    wxColour CurrentForeground() const;

    // The 3-D edge colours of frames and embossed (disabled) text.
    static wxColour HighlightColour() { return wxColour(255, 255, 255); }
    static wxColour ShadowColour() { return wxColour(128, 128, 128); }

    // Sends the click exactly as a mouse click would.
    void Click();

    void SetLabel(const wxString& label) override;
    bool Enable(bool enable = true) override;
    bool AcceptsFocus() const override { return IsEnabled() && IsShown(); }
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocus(); }
    bool HasTransparentBackground() override { return false; }

protected:
    wxSize DoGetBestSize() const override;

private:
    void DrawButton(wxDC& dc);
    void Init();
    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnEnter(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);

    wxColour m_colors[BTNST_MAX_COLORS];
    bool m_flat = true;
    bool m_hover = false;    // mouse is over the button
    bool m_pressed = false;  // left button held down on it (or space held)
    bool m_focused = false;
    bool m_keyDown = false;  // pressed by the space key
    wxPoint m_pressedOffset{1, 1};

    wxDECLARE_DYNAMIC_CLASS(CButtonST);
    wxDECLARE_EVENT_TABLE();
};
