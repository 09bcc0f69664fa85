#include "CoordsSys.h"

#include <algorithm>
#include <ctime>

namespace curvella {

CoordsSys::CoordsSys(WindowFactory factory) : factory_(std::move(factory)) {}

CoordsSys::~CoordsSys() {
    DrawHandler* w = window_;
    window_ = nullptr;
    delete w;
}

void CoordsSys::CreateWnd(wxWindow* parent, int left, int top, int right, int bottom) {
    if (!window_) {
        if (!factory_) return;
        window_ = factory_(*this);
        if (!window_) return;
    }
    window_->Create(parent, left, top, right, bottom);
}

void CoordsSys::HideWnd() {
    if (window_) window_->HideWnd();
}

void CoordsSys::ShowWnd() {
    if (window_) window_->ShowWnd();
}

void CoordsSys::MoveWnd(int left, int top, int right, int bottom) {
    if (window_) window_->Move(left, top, right, bottom);
}

void CoordsSys::AddPlot(const char* caption, const char* unit, int colour, double maxValue, double minValue,
                        bool fixedRange, bool barStyle) {
    Plot p;
    p.caption = caption ? caption : "";
    p.unit = unit ? unit : "";
    p.colour = static_cast<Colour>(colour) & 0x00FFFFFFu;
    p.index = static_cast<int>(plots_.size());
    p.barStyle = barStyle;
    p.displayMaximum = p.dataMaximum = maxValue;
    p.displayMinimum = p.dataMinimum = minValue;
    p.fixedRange = fixedRange;
    plots_.push_back(std::move(p));
}

void CoordsSys::InitPlots() {
    if (!window_ || plots_.empty()) return;
    // A repeated call starts over from the first series rather than
    // selecting it twice.
    for (Plot& p : plots_) p.selected = false;
    selection_.clear();
    right_ = -1;

    left_ = 0;
    IndexCaptions items;
    std::vector<Colour> colours;
    for (const Plot& p : plots_) {
        items.emplace_back(p.index, p.caption);
        colours.push_back(p.colour);
    }
    window_->SetItems(items, colours);
    selection_.push_back(0);
    plots_[0].selected = true;
    setSideTitle(true, &plots_[0]);
    UpdateDatas();
    window_->HideRightGroup();
}

void CoordsSys::ClearDatas() {
    if (!window_) return;
    datas_.clear();
    window_->RequestRedraw();
}

bool CoordsSys::AddDatas(int year, int month, int day, int hour, int minute, int second, const double* values,
                         int count) {
    if (count < 0 || (count > 0 && !values) || datas_.rows().external()) return false;
    return datas_.addRow(year, month, day, hour, minute, second, values, count);
}

void CoordsSys::UpdateDatas() {
    if (!window_) return;
    const RowStore& rows = datas_.rows();
    if (!rows.empty()) {
        std::int64_t first = rows.time(0), last = rows.time(rows.size() - 1);
        if (!rows.ascending()) {
            for (std::size_t r = 0; r < rows.size(); ++r) {
                first = std::min(first, rows.time(r));
                last = std::max(last, rows.time(r));
            }
        }
        xScale_.setRange(first, last);
        window_->SetSpanText(xScale_.spanName());
        cutAndRescale();
        window_->SetDateText(xScale_.firstDayLongLabel());
        if (left_ >= 0) window_->ShowLeftGroup();
        window_->RequestRedraw();
    } else {
        const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
        xScale_.setRange(now, now + 86400);
        window_->SetSpanText(xScale_.spanName());
        window_->SetDateText(xScale_.lastDayLongLabel());
        rebuildScale();
    }
}

void CoordsSys::SetDatas(std::shared_ptr<const CoordsSysRows> rows) {
    datas_.setSource(std::move(rows));
    UpdateDatas();
}

void CoordsSys::Redraw() {
    if (!window_) return;
    DrawHandler& w = *window_;
    if (left_ < 0) {
        w.DrawBackground();
        w.DrawAxesHook();
        w.DrawBackgroundHook();
        w.DrawCurvesHook();
        return;
    }
    w.DrawBackground();
    w.DrawTimeAxis(xScale_.span(), xScale_.tickLabels());
    static const std::vector<std::string> kNoLabels;
    auto axisOf = [&](int plot) { return yScale_.find(plots_[static_cast<std::size_t>(plot)].unit); };
    const AxisEntry* le = axisOf(left_);
    w.DrawLeftAxis(le ? &le->record : nullptr, le ? le->labels : kNoLabels);
    if (right_ >= 0) {
        const AxisEntry* re = axisOf(right_);
        w.DrawRightAxis(re ? &re->record : nullptr, re ? re->labels : kNoLabels);
    }
    std::vector<CurveSeries> series;
    for (int i : selection_) {
        const Plot& p = plots_[static_cast<std::size_t>(i)];
        const AxisEntry* e = axisOf(i);
        CurveSeries s;
        s.plotIndex = i;
        if (e) s.record = e->record;
        s.bar = p.barStyle;
        s.colour = p.colour;
        series.push_back(s);
    }
    w.DrawCurves(xScale_.windowStart(), xScale_.windowEnd(), series, datas_.windowRows());
}

void CoordsSys::setSideTitle(bool left, const Plot* p) {
    if (!window_) return;
    if (left) {
        window_->SetLeftTitle(p ? p->caption : "", p ? p->unit : "");
        window_->SetLeftColor(p ? p->colour : 0);
        window_->SetLeftLock(p ? p->locked : false);
    } else {
        window_->SetRightTitle(p ? p->caption : "", p ? p->unit : "");
        window_->SetRightColor(p ? p->colour : 0);
        window_->SetRightLock(p ? p->locked : false);
    }
}

void CoordsSys::assignLeft(int index) {
    left_ = index;
    setSideTitle(true, &plots_[static_cast<std::size_t>(index)]);
}

void CoordsSys::assignRight(int index) {
    right_ = index;
    setSideTitle(false, &plots_[static_cast<std::size_t>(index)]);
}

void CoordsSys::toggleSeries(int i) {
    if (!window_ || i < 0 || static_cast<std::size_t>(i) >= plots_.size()) return;
    Plot& p = plots_[static_cast<std::size_t>(i)];
    const bool removed = p.selected;
    if (removed) {
        p.selected = false;
        selection_.erase(std::remove(selection_.begin(), selection_.end(), i), selection_.end());
    } else {
        p.selected = true;
        selection_.push_back(i);
    }
    const std::size_t n = selection_.size();
    if (n == 0) {
        setSideTitle(true, nullptr);
        window_->HideLeftGroup();
        left_ = -1;
        rebuildScale();
        window_->RequestRedraw();
        return;
    }
    if (n == 1) {
        setSideTitle(false, nullptr);
        window_->HideRightGroup();
        right_ = -1;
        window_->ShowLeftGroup();
    } else if (n == 2) {
        window_->ShowRightGroup();
    }
    if (removed) {
        if (i == left_) assignLeft(selection_.back());
        if (i == right_) assignRight(selection_.front());
    } else if (n == 2) {
        assignRight(i);
    } else {
        assignLeft(i);
    }
    rebuildScale();
    window_->RequestRedraw();
}

void CoordsSys::chooseLeftPlot(int index) {
    if (!window_ || index == left_ || index < 0 || static_cast<std::size_t>(index) >= plots_.size()) return;
    assignLeft(index);
    window_->RequestRedraw();
}

void CoordsSys::chooseRightPlot(int index) {
    if (!window_ || index == right_ || index < 0 || static_cast<std::size_t>(index) >= plots_.size()) return;
    assignRight(index);
    window_->RequestRedraw();
}

namespace {

void invertLock(Plot& p) {
    p.locked = !p.locked;
    if (!p.locked) {
        p.displayMaximum = p.dataMaximum;
        p.displayMinimum = p.dataMinimum;
    }
}

}  // namespace

void CoordsSys::toggleLeftLock() {
    if (!window_ || left_ < 0) return;
    Plot& p = plots_[static_cast<std::size_t>(left_)];
    invertLock(p);
    window_->SetLeftLock(p.locked);
    if (right_ == left_) window_->SetRightLock(p.locked);  // both sides show the one plot
    rebuildScale();
    window_->RequestRedraw();
}

void CoordsSys::toggleRightLock() {
    if (!window_ || right_ < 0) return;
    Plot& p = plots_[static_cast<std::size_t>(right_)];
    invertLock(p);
    window_->SetRightLock(p.locked);
    if (right_ == left_) window_->SetLeftLock(p.locked);
    rebuildScale();
    window_->RequestRedraw();
}

void CoordsSys::changeSpan(int span) {
    if (!window_) return;
    xScale_.changeSpan(span);
    window_->SetSpanText(xScale_.spanName());
    commonRefresh();
}

void CoordsSys::shorterSpan() {
    if (!window_) return;
    changeSpan(xScale_.span() > 0 ? xScale_.span() - 1 : xScale_.span());
}

void CoordsSys::longerSpan() {
    if (!window_) return;
    changeSpan(xScale_.span() < kSpanCount - 1 ? xScale_.span() + 1 : xScale_.span());
}

void CoordsSys::popupSpanMenu() {
    if (!window_) return;
    std::vector<std::string> names;
    for (const SpanInfo& s : kSpans) names.emplace_back(s.name);
    window_->PopupSpanMenu(names);
}

IndexCaptions CoordsSys::selectedItems() const {
    IndexCaptions items;
    for (int i : selection_) items.emplace_back(i, plots_[static_cast<std::size_t>(i)].caption);
    return items;
}

void CoordsSys::popupLeftMenu() {
    if (window_) window_->PopupLeftMenu(selectedItems());
}

void CoordsSys::popupRightMenu() {
    if (window_) window_->PopupRightMenu(selectedItems());
}

void CoordsSys::previousPage() {
    if (!window_) return;
    xScale_.previousPage();
    commonRefresh();
}

void CoordsSys::nextPage() {
    if (!window_) return;
    xScale_.nextPage();
    commonRefresh();
}

void CoordsSys::selectDate() {
    if (!window_) return;
    const int i = window_->SelectDate(xScale_.shortDayLabels());
    if (i < 0 || !xScale_.jumpToDay(static_cast<std::size_t>(i))) return;
    commonRefresh();
}

void CoordsSys::windowDestroyed(DrawHandler* window) {
    if (window_ == window) window_ = nullptr;
}

std::vector<int> CoordsSys::selection() const { return selection_; }

void CoordsSys::cutAndRescale() {
    datas_.cutWindow(xScale_.windowStart(), xScale_.windowEnd(), plots_);
    rebuildScale();
}

void CoordsSys::rebuildScale() {
    std::vector<const Plot*> sel;
    sel.reserve(selection_.size());
    for (int i : selection_) sel.push_back(&plots_[static_cast<std::size_t>(i)]);
    yScale_.rebuild(sel);
}

void CoordsSys::commonRefresh() {
    cutAndRescale();
    window_->SetDateText(xScale_.firstDayLongLabel());
    window_->RequestRedraw();
}

}  // namespace curvella
