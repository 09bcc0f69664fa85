// Canvas onto a wxDC.
#pragma once
#include <wx/dc.h>

#include "Canvas.h"

namespace curvella {

class WxCanvas : public Canvas {
public:
    explicit WxCanvas(wxDC& dc) : dc_(dc) {}
    void line(Point from, Point to, Pen pen) override;
    void background(const Rect& r, Colour fill) override;
    void text(Point p, const std::string& utf8) override;
    void polyline(const std::vector<Point>& points, Colour colour) override;
    void spans(const std::vector<VerticalSpan>& runs, Colour colour) override;
    void bar(const Rect& r, Colour colour) override;
    void clip(const Rect& r) override;
    void clearClip() override;

private:
    wxDC& dc_;
    std::vector<wxPoint> scratch_;
};

}  // namespace curvella
