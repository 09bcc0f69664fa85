#include "ItemWnd.h"

#include <algorithm>

#include "CoordsSys.h"
#include "PlotLayout.h"

namespace curvella {

CItemWnd::CItemWnd(CoordsSys& engine, wxWindow* parent, wxWindowID id, const wxRect& rect)
    : wxWindow(parent, id, rect.GetPosition(), rect.GetSize(), wxBORDER_SIMPLE | wxVSCROLL), engine_(engine) {
    Bind(wxEVT_SCROLLWIN_TOP, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_BOTTOM, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEUP, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEDOWN, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEUP, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEDOWN, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBTRACK, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBRELEASE, &CItemWnd::OnScroll, this);
    Bind(wxEVT_SIZE, &CItemWnd::OnSize, this);
    SetScrollbar(wxVERTICAL, 0, 1, 1);
}

namespace {

// A GTK check box needs a few pixels more than the 15 of a legend line;
// squeezed, it loses its mark. Keep its own height, centred on the line.
void placeCheck(wxCheckBox* check, const Rect& r) {
    const int height = std::max(r.height(), check->GetBestSize().y);
    check->SetSize(r.left, r.top + (r.height() - height) / 2, r.width(), height);
}

}  // namespace

void CItemWnd::SetItems(const IndexCaptions& items, const std::vector<Colour>& colours) {
    // A second build replaces the first instead of stacking controls.
    for (wxCheckBox* c : checks_) c->Destroy();
    for (CButtonST* s : swatches_) s->Destroy();
    checks_.clear();
    swatches_.clear();
    plotIndexes_.clear();
    scroll_ = 0;

    const int n = static_cast<int>(items.size());
    rows_ = legendRows(n);
    const int width = GetClientSize().x;
    for (int i = 0; i < n; ++i) {
        const LegendCell cell = legendCell(i, width, scroll_);
        const int plot = items[static_cast<std::size_t>(i)].first;
        auto* swatch = new CButtonST(this, wxID_ANY, wxString(),
                                     wxPoint(cell.swatch.left, cell.swatch.top),
                                     wxSize(cell.swatch.width(), cell.swatch.height()), false, wxBORDER_NONE);
        swatch->SetBackgroundColours(static_cast<std::size_t>(i) < colours.size() ? colours[static_cast<std::size_t>(i)]
                                                                                   : 0);
        // '&' would be taken for a mnemonic marker.
        wxString caption = wxString::FromUTF8(items[static_cast<std::size_t>(i)].second);
        caption.Replace("&", "&&");
        auto* check = new wxCheckBox(this, nextCheckId_++, caption);
        placeCheck(check, cell.text);
        check->SetToolTip(wxString::FromUTF8(items[static_cast<std::size_t>(i)].second));  // long captions stay readable
        if (i == 0) check->SetValue(true);
        const std::size_t entry = static_cast<std::size_t>(i);
        check->Bind(wxEVT_CHECKBOX, [this, plot](wxCommandEvent&) { engine_.toggleSeries(plot); });
        swatch->Bind(wxEVT_BUTTON, [this, entry](wxCommandEvent&) { ClickSwatch(entry); });
        checks_.push_back(check);
        swatches_.push_back(swatch);
        plotIndexes_.push_back(plot);
    }
    SetScrollbar(wxVERTICAL, 0, 1, std::max(rows_, 1));
}

void CItemWnd::ClickSwatch(std::size_t i) {
    if (i >= checks_.size()) return;
    checks_[i]->SetValue(!checks_[i]->GetValue());
    engine_.toggleSeries(plotIndexes_[i]);
}

void CItemWnd::ScrollToRow(int row) {
    row = std::clamp(row, 0, std::max(rows_ - 1, 0));
    scroll_ = row;
    SetScrollPos(wxVERTICAL, row);
    PlaceEntries();
}

void CItemWnd::OnScroll(wxScrollWinEvent& e) {
    const wxEventType t = e.GetEventType();
    int pos = scroll_;
    const int page = 1;
    if (t == wxEVT_SCROLLWIN_LINEUP) pos -= 1;
    else if (t == wxEVT_SCROLLWIN_LINEDOWN) pos += 1;
    else if (t == wxEVT_SCROLLWIN_PAGEUP) pos -= page;
    else if (t == wxEVT_SCROLLWIN_PAGEDOWN) pos += page;
    else if (t == wxEVT_SCROLLWIN_TOP) pos = 0;
    else if (t == wxEVT_SCROLLWIN_BOTTOM) pos = rows_ - 1;
    else pos = e.GetPosition();
    ScrollToRow(pos);
}

void CItemWnd::PlaceEntries() {
    const int width = GetClientSize().x;
    for (std::size_t i = 0; i < checks_.size(); ++i) {
        const LegendCell cell = legendCell(static_cast<int>(i), width, scroll_);
        swatches_[i]->SetSize(cell.swatch.left, cell.swatch.top, cell.swatch.width(), cell.swatch.height());
        placeCheck(checks_[i], cell.text);
    }
    Refresh();
}

void CItemWnd::OnSize(wxSizeEvent& e) {
    PlaceEntries();
    e.Skip();
}

}  // namespace curvella
