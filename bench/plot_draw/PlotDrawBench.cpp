// Redraw time of a plot window holding many rows against one holding few.
//
//   xvfb-run -a quorvel_bench_plot_draw
//
// Engine/*: the engine's redraw through the pixel geometry onto a canvas that
// only counts (what a paint costs before the toolkit draws).
// WindowRepaint/*: the real window painting into a 700x600 bitmap again.
// WindowFirstPaint/*: the first paint of a window just paged to.
// Page/*: one page back and forth in the year span (window cut, range
// fitting, value axes and redraw), as a user paging sees it.
// Store*/*: the rows as the history view hands them over since results are
// held compactly: a result store of 1-minute rows read in place through
// SetDatas (2 000 rows against ten years, 5 256 000 rows x 8 items).
// StoreSetDatas: handing over the rows and preparing the curves (what the
// view does on the UI thread when a result arrives and the curves open);
// StoreWindowRepaint: a repaint of the real window in the year span.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>

#include "CoordsSys.h"
#include "db/ResultStore.h"
#include "ui/model/ResultPlotRows.h"
#include "LocalTime.h"
#include "PlotLayout.h"
#include "PlotPainter.h"
#include "PlotWnd.h"

using namespace curvella;

namespace {

constexpr int kSeries = 8;
constexpr std::int64_t kYearRows = 525600;

class CountingCanvas : public Canvas {
public:
    void line(Point, Point, Pen) override { ++ops; }
    void background(const Rect&, Colour) override { ++ops; }
    void text(Point, const std::string&) override { ++ops; }
    void polyline(const std::vector<Point>& p, Colour) override { points += p.size(); }
    void spans(const std::vector<VerticalSpan>& r, Colour) override { ops += r.size(); }
    void bar(const Rect&, Colour) override { ++ops; }
    void clip(const Rect&) override {}
    void clearClip() override {}
    std::size_t ops = 0, points = 0;
};

// A window without a toolkit: draws onto the counting canvas.
class HeadlessWindow : public DrawHandler {
public:
    explicit HeadlessWindow(CoordsSys& e) : engine_(e) {}
    void Create(wxWindow*, int, int, int, int) override {}
    void Move(int, int, int, int) override {}
    void SetItems(const IndexCaptions&, const std::vector<Colour>&) override {}
    void SetLeftColor(Colour) override {}
    void SetRightColor(Colour) override {}
    void PopupSpanMenu(const std::vector<std::string>&) override {}
    void PopupLeftMenu(const IndexCaptions&) override {}
    void PopupRightMenu(const IndexCaptions&) override {}
    void DrawBackground() override { paintBackground(canvas, geometry); }
    void DrawLeftAxis(const AxisRecord* r, const std::vector<std::string>& l) override {
        paintLeftAxis(canvas, geometry, r, l);
    }
    void DrawRightAxis(const AxisRecord* r, const std::vector<std::string>& l) override {
        paintRightAxis(canvas, geometry, r, l);
    }
    void DrawTimeAxis(int span, const std::vector<std::string>& l) override {
        paintTimeAxis(canvas, geometry, span, l);
    }
    void DrawCurves(std::int64_t s, std::int64_t e, const std::vector<CurveSeries>& series,
                    const RowSpan& rows) override {
        paintCurves(canvas, geometry, s, e, series, rows, cached ? &cache : nullptr);
    }
    void SetLeftTitle(const std::string&, const std::string&) override {}
    void SetRightTitle(const std::string&, const std::string&) override {}
    void SetLeftLock(bool) override {}
    void SetRightLock(bool) override {}
    int SelectDate(const std::vector<std::string>&) override { return -1; }
    void SetDateText(const std::string&) override {}
    void HideLeftGroup() override {}
    void ShowLeftGroup() override {}
    void HideRightGroup() override {}
    void ShowRightGroup() override {}
    void SetSpanText(const std::string&) override {}
    void HideWnd() override {}
    void ShowWnd() override {}
    void RequestRedraw() override { engine_.Redraw(); }

    CountingCanvas canvas;
    CurveCache cache;
    bool cached = false;
    PlotGeometry geometry = PlotLayout::compute(700, 600).geometry;

private:
    CoordsSys& engine_;
};

// `rows` rows spread evenly over 2014, every series shown, year span from
// January: the window holds them all.
void fill(CoordsSys& e, std::int64_t rows) {
    for (int s = 0; s < kSeries; ++s) {
        std::string caption = "S";
        caption += std::to_string(s);
        e.AddPlot(caption.c_str(), s % 2 ? "%" : "V", 0x202020 * (s + 1), 1000, 0, false, false);
    }
    const std::int64_t start = localTimeOrThrow(2014, 1, 1, 0, 0, 0);
    const std::int64_t step = kYearRows * 60 / rows;
    double v[kSeries];
    for (std::int64_t r = 0; r < rows; ++r) {
        for (int s = 0; s < kSeries; ++s) v[s] = 50 + 40 * std::sin(static_cast<double>(r) * 1e-3 * (s + 1)) + (r % 7);
        e.addRowAt(start + r * step, v, kSeries);
    }
    e.InitPlots();
    for (int s = 1; s < kSeries; ++s) e.toggleSeries(s);
    e.changeSpan(kYearSpan);
    while (e.xScale().windowStart() > start) e.previousPage();
}

void EngineRedraw(benchmark::State& state) {
    HeadlessWindow* window = nullptr;
    CoordsSys engine([&](CoordsSys& e) { return window = new HeadlessWindow(e); });
    engine.CreateWnd(nullptr, 0, 0, 700, 600);
    fill(engine, state.range(0));
    state.counters["window_rows"] = static_cast<double>(engine.datas().windowRows().size());
    for (auto _ : state) {
        engine.Redraw();
        benchmark::DoNotOptimize(window->canvas.points);
    }
    state.counters["points_per_redraw"] =
        static_cast<double>(window->canvas.points) / static_cast<double>(state.iterations() + 1);
}

void EnginePage(benchmark::State& state) {
    HeadlessWindow* window = nullptr;
    CoordsSys engine([&](CoordsSys& e) { return window = new HeadlessWindow(e); });
    engine.CreateWnd(nullptr, 0, 0, 700, 600);
    fill(engine, state.range(0));
    engine.nextPage();
    for (auto _ : state) {
        engine.previousPage();
        engine.nextPage();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Repaints of the real window; `cold` pages between January and February
// before each one (not timed), so each paint is the first of its window.
void windowRedraw(benchmark::State& state, bool cold) {
    if (!wxTheApp) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(760, 680));
    CoordsSysEngine* engine = createCoordsSys();
    engine->CreateWnd(frame, 0, 0, 702, 602);
    auto& sys = *static_cast<CoordsSys*>(engine);
    fill(sys, state.range(0));
    auto* wnd = static_cast<CPlotWnd*>(sys.window());
    wxBitmap bitmap(700, 600);
    {
        wxMemoryDC dc(bitmap);
        bool forward = true;
        for (auto _ : state) {
            if (cold) {
                state.PauseTiming();
                if (forward) sys.nextPage(); else sys.previousPage();
                forward = !forward;
                state.ResumeTiming();
            }
            dc.SetBackground(*wxLIGHT_GREY_BRUSH);
            dc.Clear();
            wnd->PaintPlot(dc);
        }
    }
    releaseCoordsSys(engine);
    frame->Destroy();
}

void WindowRepaint(benchmark::State& state) { windowRedraw(state, false); }
void WindowFirstPaint(benchmark::State& state) { windowRedraw(state, true); }

constexpr std::int64_t kTenYearRows = 10 * kYearRows;

// `rows` rows from 2014-01-01 in a result store (labels as the history query
// writes them), handed to the plot as the view does: 1-minute rows, or rows
// spread over the first year when there are fewer than a year's minutes (as
// fill() spreads them). Cached across benchmarks (ten years take a while).
std::shared_ptr<const quorvel::ui::ResultPlotRows> storeRows(std::int64_t rows) {
    static std::map<std::int64_t, std::shared_ptr<const quorvel::ui::ResultPlotRows>> made;
    auto& slot = made[rows];
    if (slot) return slot;
    std::vector<ResultStore::Column> columns(kSeries, {3, ResultStore::Storage::Real});
    auto store = std::make_shared<ResultStore>(ResultStore::TimeLabel::History, columns);
    const std::int64_t start = localTimeOrThrow(2014, 1, 1, 0, 0, 0);
    const std::int64_t step = rows < kYearRows ? kYearRows * 60 / rows : 60;
    char label[32];
    for (std::int64_t r = 0; r < rows; ++r) {
        const CalendarFields f = breakDownLocal(start + r * step);
        const int n = std::snprintf(label, sizeof label, "%04d-%d-%02d %02d:%02d:%02d", f.year, f.month, f.day,
                                    f.hour, f.minute, f.second);
        store->beginRow();
        store->setLabel(label, static_cast<std::size_t>(n));
        for (int s = 0; s < kSeries; ++s)
            store->setReal(static_cast<std::size_t>(s),
                           50 + 40 * std::sin(static_cast<double>(r) * 1e-3 * (s + 1)) + (r % 7));
    }
    slot = std::make_shared<quorvel::ui::ResultPlotRows>(store, quorvel::ui::SeriesKind::history());
    return slot;
}

void declareSeries(CoordsSysEngine& e) {
    for (int s = 0; s < kSeries; ++s) {
        std::string caption = "S";
        caption += std::to_string(s);
        e.AddPlot(caption.c_str(), s % 2 ? "%" : "V", 0x202020 * (s + 1), 1000, 0, false, false);
    }
}

void StoreSetDatas(benchmark::State& state) {
    auto rows = storeRows(state.range(0));
    HeadlessWindow* window = nullptr;
    CoordsSys engine([&](CoordsSys& e) { return window = new HeadlessWindow(e); });
    engine.CreateWnd(nullptr, 0, 0, 700, 600);
    declareSeries(engine);
    for (auto _ : state) {
        engine.ClearDatas();
        engine.SetDatas(rows);
        engine.InitPlots();
    }
    state.counters["rows"] = static_cast<double>(rows->RowCount());
}

void StoreWindowRepaint(benchmark::State& state) {
    if (!wxTheApp) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    auto rows = storeRows(state.range(0));
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(760, 680));
    CoordsSysEngine* engine = createCoordsSys();
    engine->CreateWnd(frame, 0, 0, 702, 602);
    auto& sys = *static_cast<CoordsSys*>(engine);
    declareSeries(sys);
    sys.SetDatas(rows);
    sys.InitPlots();
    for (int s = 1; s < kSeries; ++s) sys.toggleSeries(s);
    sys.changeSpan(kYearSpan);
    const std::int64_t start = localTimeOrThrow(2014, 1, 1, 0, 0, 0);
    while (sys.xScale().windowStart() > start) sys.previousPage();
    auto* wnd = static_cast<CPlotWnd*>(sys.window());
    state.counters["window_rows"] = static_cast<double>(sys.datas().windowRows().size());
    wxBitmap bitmap(700, 600);
    {
        wxMemoryDC dc(bitmap);
        for (auto _ : state) {
            dc.SetBackground(*wxLIGHT_GREY_BRUSH);
            dc.Clear();
            wnd->PaintPlot(dc);
        }
    }
    releaseCoordsSys(engine);
    frame->Destroy();
}

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace

BENCHMARK(EngineRedraw)->Arg(2000)->Arg(kYearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowRepaint)->Arg(2000)->Arg(kYearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowFirstPaint)->Arg(2000)->Arg(kYearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(EnginePage)->Arg(2000)->Arg(kYearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreSetDatas)->Arg(2000)->Arg(kTenYearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreWindowRepaint)->Arg(2000)->Arg(kTenYearRows)->Unit(benchmark::kMillisecond);

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv) {
    const bool display = std::getenv("DISPLAY") != nullptr;
    if (display) {
        wxApp::SetInstance(new BenchApp);
        if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (display) {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
    return 0;
}
