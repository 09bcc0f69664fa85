// The plot's flat button: per-state colours, raised/sunken frame on hover
// and press, and a caption that can read upwards for the side buttons.
#pragma once
#include <wx/control.h>

#include "Plot.h"

namespace curvella {

class CButtonST : public wxControl {
public:
    enum State { In = 0, Focus = 1, Out = 2 };

    CButtonST(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size,
              bool flat, long border = wxBORDER_SIMPLE);

    // Background of the three states at once (in, focus, out).
    void SetBackgroundColours(Colour c);
    void SetStateColours(State s, const wxColour& background, const wxColour& text);
    // Back to the system button face and text colours.
    void RestoreDefaultColours();
    void SetVerticalCaption(bool on);
    bool IsVerticalCaption() const { return vertical_; }
    const wxColour& StateBackground(State s) const { return bg_[s]; }

    void SetLabel(const wxString& label) override;
    bool AcceptsFocus() const override { return true; }

protected:
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent&);
    void OnEnter(wxMouseEvent&);
    void OnLeave(wxMouseEvent&);
    void OnDown(wxMouseEvent&);
    void OnUp(wxMouseEvent&);
    void OnCaptureLost(wxMouseCaptureLostEvent&);
    void OnFocus(wxFocusEvent&);
    void OnKey(wxKeyEvent&);
    void Click();

    wxColour bg_[3], fg_[3];
    bool flat_ = true;
    bool hover_ = false;
    bool pressed_ = false;
    bool vertical_ = false;
};

wxColour toWxColour(Colour c);

}  // namespace curvella
