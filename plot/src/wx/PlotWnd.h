// The plot window: toolbar buttons, side groups, plot area and legend. It
// draws what the engine asks through DrawHandler and turns clicks into
// engine actions.
#pragma once
#include <array>
#include <functional>
#include <map>

#include <wx/window.h>

#include "ButtonST.h"
#include "DrawHandler.h"
#include "ItemWnd.h"
#include "PlotLayout.h"

class wxDC;
class wxMenu;

namespace curvella {

class CoordsSys;

// Command identifiers of the window.
constexpr int kFirstButtonId = 4096;  // + ButtonSlot
constexpr int kSpanMenuId = 8192;     // + span
constexpr int kLeftMenuId = 12288;    // + plot index
constexpr int kRightMenuId = 16384;   // + plot index

class CPlotWnd : public wxWindow, public DrawHandler {
public:
    explicit CPlotWnd(CoordsSys& engine);
    ~CPlotWnd() override;

    void Create(wxWindow* parent, int left, int top, int right, int bottom) override;
    void Move(int left, int top, int right, int bottom) override;
    void SetItems(const IndexCaptions& items, const std::vector<Colour>& colours) override;
    void SetLeftColor(Colour c) override;
    void SetRightColor(Colour c) override;
    void PopupSpanMenu(const std::vector<std::string>& names) override;
    void PopupLeftMenu(const IndexCaptions& items) override;
    void PopupRightMenu(const IndexCaptions& items) override;
    void DrawBackground() override;
    void DrawLeftAxis(const AxisRecord* record, const std::vector<std::string>& labels) override;
    void DrawRightAxis(const AxisRecord* record, const std::vector<std::string>& labels) override;
    void DrawTimeAxis(int span, const std::vector<std::string>& labels) override;
    void DrawCurves(std::int64_t windowStart, std::int64_t windowEnd, const std::vector<CurveSeries>& series,
                    const RowSpan& rows) override;
    void SetLeftTitle(const std::string& caption, const std::string& unit) override;
    void SetRightTitle(const std::string& caption, const std::string& unit) override;
    void SetLeftLock(bool locked) override;
    void SetRightLock(bool locked) override;
    int SelectDate(const std::vector<std::string>& labels) override;
    void SetDateText(const std::string& text) override;
    void HideLeftGroup() override;
    void ShowLeftGroup() override;
    void HideRightGroup() override;
    void ShowRightGroup() override;
    void SetSpanText(const std::string& text) override;
    void HideWnd() override;
    void ShowWnd() override;
    void RequestRedraw() override;

    // Draws the plot area onto dc (the paint handler, screenshots, benchmarks).
    void PaintPlot(wxDC& dc);

    bool IsCreated() const { return parent_ != nullptr; }
    const PlotLayout& Layout() const { return layout_; }
    CButtonST* Button(int slot) const { return buttons_[static_cast<std::size_t>(slot)]; }
    CItemWnd* Legend() const { return legend_; }
    // Runs the action of a command identifier, as a click or menu choice would.
    void RunCommand(int id);
    // Called with each pop-up menu instead of showing it (tests); null shows it.
    void SetMenuObserver(std::function<void(wxMenu&, const wxPoint&)> observer) { menuObserver_ = std::move(observer); }

private:
    void LayOut();
    void OnPaint(wxPaintEvent&);
    void OnSize(wxSizeEvent&);
    void OnButton(wxCommandEvent&);
    void OnMenu(wxCommandEvent&);
    void ShowMenu(wxMenu& menu, const wxPoint& at);
    void FillSeriesMenu(wxMenu& menu, const IndexCaptions& items, int baseId, bool left);

    CoordsSys& engine_;
    wxWindow* parent_ = nullptr;
    wxRect rect_;
    std::array<CButtonST*, kButtonCount> buttons_{};
    CItemWnd* legend_ = nullptr;
    int nextButtonId_ = kFirstButtonId;
    PlotLayout layout_;
    wxDC* dc_ = nullptr;  // set while painting
    CurveCache curveCache_;
    std::map<int, std::function<void()>> menuActions_;
    std::function<void(wxMenu&, const wxPoint&)> menuObserver_;
};

}  // namespace curvella
