#include "PlotWnd.h"

#include <wx/dcbuffer.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include "CoordsSys.h"
#include "DialogSelectDate.h"
#include "WxCanvas.h"

namespace curvella {

namespace {

// Plot windows and legends of the whole library take their ids from here.
int nextLibraryId() {
    static int next = 12000;
    return next++;
}

const char* const kFirstTexts[kButtonCount] = {"+", "1天", "-", "", "", "U", "上一页", "", "", "U", "下一页",
                                               "2014-07-19"};

wxString fromUtf8(const std::string& s) { return wxString::FromUTF8(s.data(), s.size()); }

wxRect toWx(const Rect& r) { return wxRect(r.left, r.top, r.width(), r.height()); }

// Menu texts treat '&' as a mnemonic marker; captions mean it literally.
wxString menuText(const std::string& caption) {
    wxString t = fromUtf8(caption);
    t.Replace("&", "&&");
    return t;
}

}  // namespace

CPlotWnd::CPlotWnd(CoordsSys& engine) : engine_(engine) {}

CPlotWnd::~CPlotWnd() { engine_.windowDestroyed(this); }

void CPlotWnd::Create(wxWindow* parent, int left, int top, int right, int bottom) {
    if (parent_ || !parent) return;
    rect_ = wxRect(left, top, right - left, bottom - top);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxWindow::Create(parent, nextLibraryId(), rect_.GetPosition(), rect_.GetSize(),
                          wxBORDER_SIMPLE | wxFULL_REPAINT_ON_RESIZE | wxTAB_TRAVERSAL))
        return;
    parent_ = parent;
    const wxSize client = GetClientSize();
    layout_ = PlotLayout::compute(client.x, client.y);
    for (int i = 0; i < kButtonCount; ++i) {
        const bool flatStyle = i == kLeftUnit || i == kRightUnit;
        auto* b = new CButtonST(this, nextButtonId_++, wxString::FromUTF8(kFirstTexts[i]),
                                toWx(layout_.buttons[static_cast<std::size_t>(i)]).GetPosition(),
                                toWx(layout_.buttons[static_cast<std::size_t>(i)]).GetSize(), true,
                                flatStyle ? wxBORDER_NONE : wxBORDER_SIMPLE);
        buttons_[static_cast<std::size_t>(i)] = b;
    }
    legend_ = new CItemWnd(engine_, this, nextLibraryId(), toWx(layout_.legend));
    for (int i : {kLeftUnit, kLeftSeries, kRightUnit, kRightSeries}) Button(i)->SetVerticalCaption(true);

    Bind(wxEVT_PAINT, &CPlotWnd::OnPaint, this);
    Bind(wxEVT_SIZE, &CPlotWnd::OnSize, this);
    Bind(wxEVT_BUTTON, &CPlotWnd::OnButton, this, kFirstButtonId, kFirstButtonId + kButtonCount);
    Bind(wxEVT_MENU, &CPlotWnd::OnMenu, this);
}

void CPlotWnd::Move(int left, int top, int right, int bottom) {
    if (!parent_) return;
    rect_ = wxRect(left, top, right - left, bottom - top);
    SetSize(rect_);
    LayOut();
    Refresh();
}

void CPlotWnd::LayOut() {
    const wxSize client = GetClientSize();
    layout_ = PlotLayout::compute(client.x, client.y);
    for (int i = 0; i < kButtonCount; ++i) {
        if (CButtonST* b = Button(i)) b->SetSize(toWx(layout_.buttons[static_cast<std::size_t>(i)]));
    }
    if (legend_) legend_->SetSize(toWx(layout_.legend));
}

void CPlotWnd::OnSize(wxSizeEvent& e) {
    LayOut();
    Refresh();
    e.Skip();
}

void CPlotWnd::SetItems(const IndexCaptions& items, const std::vector<Colour>& colours) {
    if (legend_) legend_->SetItems(items, colours);
}

namespace {

void colourButton(CButtonST* b, Colour c) {
    if (!b) return;
    if (c != 0) b->SetBackgroundColours(c);
    else b->RestoreDefaultColours();
}

}  // namespace

void CPlotWnd::SetLeftColor(Colour c) { colourButton(Button(kLeftUnit), c); }
void CPlotWnd::SetRightColor(Colour c) { colourButton(Button(kRightUnit), c); }

void CPlotWnd::ShowMenu(wxMenu& menu, const wxPoint& at) {
    if (menuObserver_) menuObserver_(menu, at);
    else PopupMenu(&menu, at);
}

void CPlotWnd::PopupSpanMenu(const std::vector<std::string>& names) {
    if (!parent_) return;
    menuActions_.clear();
    wxMenu menu;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int id = kSpanMenuId + static_cast<int>(i);
        menu.Append(id, menuText(names[i]));
        menuActions_[id] = [this, i] { engine_.changeSpan(static_cast<int>(i)); };
    }
    const Rect& b = layout_.buttons[kSpanButton];
    ShowMenu(menu, wxPoint(b.left, b.bottom));
}

void CPlotWnd::FillSeriesMenu(wxMenu& menu, const IndexCaptions& items, int baseId, bool left) {
    menuActions_.clear();
    // Ids follow the plot index without an upper bound; the action map, not
    // an id range, tells which plot was chosen.
    for (const auto& [index, caption] : items) {
        const int id = baseId + index;
        menu.Append(id, menuText(caption));
        const int plot = index;
        menuActions_[id] = [this, plot, left] {
            if (left) engine_.chooseLeftPlot(plot);
            else engine_.chooseRightPlot(plot);
        };
    }
}

void CPlotWnd::PopupLeftMenu(const IndexCaptions& items) {
    if (!parent_) return;
    wxMenu menu;
    FillSeriesMenu(menu, items, kLeftMenuId, true);
    const Rect& b = layout_.buttons[kLeftSeries];
    ShowMenu(menu, wxPoint(b.right, b.top));
}

void CPlotWnd::PopupRightMenu(const IndexCaptions& items) {
    if (!parent_) return;
    wxMenu menu;
    FillSeriesMenu(menu, items, kRightMenuId, false);
    // Right-aligned on the button's upper left corner: open it its own width
    // to the left.
    int width = 0;
    for (const auto& item : items) width = std::max(width, GetTextExtent(fromUtf8(item.second)).x);
    const Rect& b = layout_.buttons[kRightSeries];
    ShowMenu(menu, wxPoint(b.left - width - 40, b.top));
}

void CPlotWnd::DrawBackground() {
    if (!dc_) return;
    WxCanvas c(*dc_);
    paintBackground(c, layout_.geometry);
}

void CPlotWnd::DrawLeftAxis(const AxisRecord* record, const std::vector<std::string>& labels) {
    if (!dc_) return;
    WxCanvas c(*dc_);
    paintLeftAxis(c, layout_.geometry, record, labels);
}

void CPlotWnd::DrawRightAxis(const AxisRecord* record, const std::vector<std::string>& labels) {
    if (!dc_) return;
    WxCanvas c(*dc_);
    paintRightAxis(c, layout_.geometry, record, labels);
}

void CPlotWnd::DrawTimeAxis(int span, const std::vector<std::string>& labels) {
    if (!dc_) return;
    WxCanvas c(*dc_);
    paintTimeAxis(c, layout_.geometry, span, labels);
}

void CPlotWnd::DrawCurves(std::int64_t windowStart, std::int64_t windowEnd, const std::vector<CurveSeries>& series,
                          const RowSpan& rows) {
    if (!dc_) return;
    WxCanvas c(*dc_);
    paintCurves(c, layout_.geometry, windowStart, windowEnd, series, rows, &curveCache_);
}

void CPlotWnd::SetLeftTitle(const std::string& caption, const std::string& unit) {
    if (!parent_) return;
    Button(kLeftSeries)->SetLabel(fromUtf8(caption));
    Button(kLeftUnit)->SetLabel(fromUtf8(unit));
}

void CPlotWnd::SetRightTitle(const std::string& caption, const std::string& unit) {
    if (!parent_) return;
    Button(kRightSeries)->SetLabel(fromUtf8(caption));
    Button(kRightUnit)->SetLabel(fromUtf8(unit));
}

void CPlotWnd::SetLeftLock(bool locked) {
    if (parent_) Button(kLeftLock)->SetLabel(locked ? "L" : "U");
}

void CPlotWnd::SetRightLock(bool locked) {
    if (parent_) Button(kRightLock)->SetLabel(locked ? "L" : "U");
}

int CPlotWnd::SelectDate(const std::vector<std::string>& labels) {
    if (!parent_) return -1;
    CDialogSelectDate dialog(this, labels);
    return dialog.ShowModal() == wxID_OK ? dialog.Chosen() : -1;
}

void CPlotWnd::SetDateText(const std::string& text) {
    if (parent_) Button(kDateButton)->SetLabel(fromUtf8(text));
}

void CPlotWnd::SetSpanText(const std::string& text) {
    if (parent_) Button(kSpanButton)->SetLabel(fromUtf8(text));
}

void CPlotWnd::HideLeftGroup() {
    if (!parent_) return;
    Button(kLeftSeries)->Hide();
    Button(kLeftLock)->Hide();
}

void CPlotWnd::ShowLeftGroup() {
    if (!parent_) return;
    Button(kLeftSeries)->Show();
    Button(kLeftLock)->Show();
}

void CPlotWnd::HideRightGroup() {
    if (!parent_) return;
    Button(kRightSeries)->Hide();
    Button(kRightLock)->Hide();
}

void CPlotWnd::ShowRightGroup() {
    if (!parent_) return;
    Button(kRightSeries)->Show();
    Button(kRightLock)->Show();
}

void CPlotWnd::HideWnd() {
    if (parent_) Hide();
}

void CPlotWnd::ShowWnd() {
    if (parent_) Show();
}

void CPlotWnd::RequestRedraw() {
    if (parent_) RefreshRect(toWx(layout_.plot), false);
}

void CPlotWnd::PaintPlot(wxDC& dc) {
    dc.SetFont(GetFont());
    dc_ = &dc;
    engine_.Redraw();
    dc_ = nullptr;
}

void CPlotWnd::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    PaintPlot(dc);
}

void CPlotWnd::OnButton(wxCommandEvent& e) { RunCommand(e.GetId()); }

void CPlotWnd::OnMenu(wxCommandEvent& e) {
    if (menuActions_.count(e.GetId())) RunCommand(e.GetId());
    else e.Skip();
}

void CPlotWnd::RunCommand(int id) {
    if (!parent_) return;
    switch (id - kFirstButtonId) {
    case kShorterSpan: engine_.shorterSpan(); return;
    case kSpanButton: engine_.popupSpanMenu(); return;
    case kLongerSpan: engine_.longerSpan(); return;
    case kLeftSeries: engine_.popupLeftMenu(); return;
    case kLeftLock: engine_.toggleLeftLock(); return;
    case kPreviousPage: engine_.previousPage(); return;
    case kRightSeries: engine_.popupRightMenu(); return;
    case kRightLock: engine_.toggleRightLock(); return;
    case kNextPage: engine_.nextPage(); return;
    case kDateButton: engine_.selectDate(); return;
    case kLeftUnit:
    case kRightUnit:
    case kButtonCount: return;
    default: break;
    }
    auto it = menuActions_.find(id);
    if (it == menuActions_.end()) return;
    const auto action = it->second;  // the action may rebuild the map
    action();
}

}  // namespace curvella
