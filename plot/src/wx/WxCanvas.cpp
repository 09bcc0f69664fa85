#include "WxCanvas.h"

#include <wx/graphics.h>

#include "ButtonST.h"

namespace curvella {

void WxCanvas::line(Point from, Point to, Pen pen) {
    if (pen == Pen::Grid) dc_.SetPen(wxPen(toWxColour(kGridGrey), 1, wxPENSTYLE_DOT));
    else dc_.SetPen(*wxBLACK_PEN);
    dc_.DrawLine(from.x, from.y, to.x, to.y);
}

void WxCanvas::background(const Rect& r, Colour fill) {
    dc_.SetPen(*wxBLACK_PEN);
    dc_.SetBrush(wxBrush(toWxColour(fill)));
    dc_.DrawRectangle(r.left, r.top, r.width(), r.height());
}

void WxCanvas::text(Point p, const std::string& utf8) {
    dc_.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    dc_.SetTextBackground(toWxColour(kPlotGrey));
    dc_.SetTextForeground(*wxBLACK);
    dc_.DrawText(wxString::FromUTF8(utf8), p.x, p.y);
}

namespace {

// Curves are drawn without antialiasing: hard one-pixel lines that stay
// crisp where samples are dense, and several times faster to draw.
class Aliased {
public:
    explicit Aliased(wxDC& dc) : gc_(dc.GetGraphicsContext()) {
        if (gc_) {
            previous_ = gc_->GetAntialiasMode();
            gc_->SetAntialiasMode(wxANTIALIAS_NONE);
        }
    }
    ~Aliased() {
        if (gc_) gc_->SetAntialiasMode(previous_);
    }
    Aliased(const Aliased&) = delete;
    Aliased& operator=(const Aliased&) = delete;

private:
    wxGraphicsContext* gc_;
    wxAntialiasMode previous_ = wxANTIALIAS_DEFAULT;
};

}  // namespace

void WxCanvas::polyline(const std::vector<Point>& points, Colour colour) {
    if (points.size() < 2) return;
    Aliased aliased(dc_);
    scratch_.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) scratch_[i] = wxPoint(points[i].x, points[i].y);
    dc_.SetPen(wxPen(toWxColour(colour), 1, wxPENSTYLE_SOLID));
    dc_.DrawLines(static_cast<int>(scratch_.size()), scratch_.data());
}

void WxCanvas::spans(const std::vector<VerticalSpan>& runs, Colour colour) {
    Aliased aliased(dc_);
    const wxColour c = toWxColour(colour);
    if (wxGraphicsContext* gc = dc_.GetGraphicsContext()) {
        // One fill for all runs: thousands of single rectangles cost a
        // toolkit call each.
        wxGraphicsPath path = gc->CreatePath();
        for (const VerticalSpan& r : runs) path.AddRectangle(r.x, r.top, 1, r.bottom - r.top + 1);
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(c));
        gc->FillPath(path);
        return;
    }
    dc_.SetPen(*wxTRANSPARENT_PEN);
    dc_.SetBrush(wxBrush(c));
    for (const VerticalSpan& r : runs) dc_.DrawRectangle(r.x, r.top, 1, r.bottom - r.top + 1);
}

void WxCanvas::bar(const Rect& r, Colour colour) {
    // Exactly the rectangle's pixels, right and bottom edges excluded.
    Aliased aliased(dc_);
    dc_.SetPen(*wxTRANSPARENT_PEN);
    dc_.SetBrush(wxBrush(toWxColour(colour)));
    dc_.DrawRectangle(r.left, r.top, r.width(), r.height());
}

void WxCanvas::clip(const Rect& r) { dc_.SetClippingRegion(r.left, r.top, r.width(), r.height()); }

void WxCanvas::clearClip() { dc_.DestroyClippingRegion(); }

}  // namespace curvella
