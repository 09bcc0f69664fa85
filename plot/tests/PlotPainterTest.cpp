#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "PlotLayout.h"
#include "PlotPainter.h"
#include "YScale.h"

using namespace curvella;

namespace {

struct Op {
    std::string kind;  // line, grid, text, background, polyline, bar, clip, unclip
    Point a, b;
    std::string text;
    std::vector<Point> points;
    Rect rect;
    Colour colour = 0;
};

class RecordingCanvas : public Canvas {
public:
    void line(Point from, Point to, Pen pen) override {
        Op o = make(pen == Pen::Grid ? "grid" : "line");
        o.a = from;
        o.b = to;
        ops.push_back(o);
    }
    void background(const Rect& r, Colour fill) override { ops.push_back(make("background", r, fill)); }
    void text(Point p, const std::string& t) override {
        Op o = make("text");
        o.a = p;
        o.text = t;
        ops.push_back(o);
    }
    void polyline(const std::vector<Point>& p, Colour c) override {
        Op o = make("polyline", {}, c);
        o.points = p;
        ops.push_back(o);
    }
    void spans(const std::vector<VerticalSpan>& r, Colour c) override {
        Op o = make("spans", {}, c);
        for (const VerticalSpan& v : r) {
            o.points.push_back({v.x, v.top});
            o.points.push_back({v.x, v.bottom});
        }
        ops.push_back(o);
    }
    void bar(const Rect& r, Colour c) override { ops.push_back(make("bar", r, c)); }
    void clip(const Rect& r) override { ops.push_back(make("clip", r)); }
    void clearClip() override { ops.push_back(make("unclip")); }

    static Op make(const std::string& kind, Rect r = {}, Colour c = 0) {
        Op o;
        o.kind = kind;
        o.rect = r;
        o.colour = c;
        return o;
    }

    std::vector<Op> of(const std::string& kind) const {
        std::vector<Op> r;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(r), [&](const Op& o) { return o.kind == kind; });
        return r;
    }
    std::vector<Op> ops;
};

const PlotGeometry g = PlotLayout::compute(700, 600).geometry;  // x0 116, y0 428, W 473, H 366; plot (51,42,649,458)

AxisRecord axis(double hi, double lo) { return YScale::computeAxis(hi, lo).record; }

}  // namespace

TEST(PlotPainter, BackgroundIsGreyOverThePlotRectangle) {
    RecordingCanvas c;
    paintBackground(c, g);
    ASSERT_EQ(c.ops.size(), 1u);
    EXPECT_EQ(c.ops[0].rect, (Rect{51, 42, 649, 458}));
    EXPECT_EQ(c.ops[0].colour, 0xC0C0C0u);
}

TEST(PlotPainter, LeftAxisTicksGridAndLabelsAtTheirOffsets) {
    const AxisEntry e = YScale::computeAxis(87, 12);  // 10..90, N 8, mantissa 10
    RecordingCanvas c;
    paintLeftAxis(c, g, &e.record, e.labels);
    const auto lines = c.of("line");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].a, (Point{116, 428}));  // the axis line
    EXPECT_EQ(lines[0].b, (Point{116, 62}));
    EXPECT_EQ(lines[1].a, (Point{116, 428}));  // major tick b = 0
    EXPECT_EQ(lines[1].b, (Point{108, 428}));
    EXPECT_EQ(lines[2].a, (Point{116, 428 - 366 / 32}));  // first of 3 minor ticks
    EXPECT_EQ(lines[2].b, (Point{112, 428 - 366 / 32}));
    EXPECT_EQ(lines.size(), 1u + 9u + 8u * 3u);
    const auto grid = c.of("grid");
    ASSERT_EQ(grid.size(), 8u);
    EXPECT_EQ(grid[0].a, (Point{116, 458 - 366 / 8 - 30}));
    EXPECT_EQ(grid[0].b, (Point{589, 458 - 366 / 8 - 30}));
    const auto texts = c.of("text");
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0].a, (Point{76, 420}));
    EXPECT_EQ(texts[0].text, "10");
    EXPECT_EQ(texts[8].a, (Point{76, 458 - 366 - 38}));
    EXPECT_EQ(texts[8].text, "90");

    // Mantissa 5: five minor intervals.
    const AxisEntry half = YScale::computeAxis(3.2, 1.1);
    RecordingCanvas c5;
    paintLeftAxis(c5, g, &half.record, half.labels);
    EXPECT_EQ(c5.of("line").size(), 1u + 6u + 5u * 4u);

    RecordingCanvas none;
    paintLeftAxis(none, g, nullptr, {});
    EXPECT_EQ(none.ops.size(), 1u);
}

TEST(PlotPainter, RightAxisHasNoGridAndTicksOutward) {
    const AxisEntry e = YScale::computeAxis(1000, 0);
    RecordingCanvas c;
    paintRightAxis(c, g, &e.record, e.labels);
    EXPECT_TRUE(c.of("grid").empty());
    const auto lines = c.of("line");
    EXPECT_EQ(lines[0].a, (Point{589, 428}));
    EXPECT_EQ(lines[1].b, (Point{597, 428}));
    EXPECT_EQ(lines[2].b.x, 593);  // minor ticks to the right
    EXPECT_EQ(c.of("text")[0].a, (Point{609, 420}));
}

TEST(PlotPainter, TimeAxisPerSpan) {
    std::vector<std::string> day(25, "x");
    RecordingCanvas c;
    paintTimeAxis(c, g, 4, day);
    EXPECT_EQ(c.of("grid").size(), 24u);
    EXPECT_EQ(c.of("text").size(), 25u);
    EXPECT_EQ(c.of("text")[0].a, (Point{116 - 7, 458 - 22}));
    EXPECT_EQ(c.of("line").size(), 1u + 25u + 24u);  // axis, majors, one minor each
    const auto lines = c.of("line");
    EXPECT_EQ(lines[2].a, (Point{116 + 473 / 48, 428}));  // minor of the first major
    EXPECT_EQ(lines[2].b, (Point{116 + 473 / 48, 458 - 26}));

    RecordingCanvas week;
    paintTimeAxis(week, g, 6, std::vector<std::string>(7, "d"));
    EXPECT_EQ(week.of("text").size(), 7u);  // not on the last major
    EXPECT_EQ(week.of("text")[0].a.x, 116 + 10);
    EXPECT_EQ(week.of("line").size(), 1u + 8u);  // no minor ticks

    RecordingCanvas month;
    paintTimeAxis(month, g, 7, std::vector<std::string>(16, "d"));
    EXPECT_EQ(month.of("text").size(), 16u);  // majors 0, 2, ..., 30

    RecordingCanvas eight;
    paintTimeAxis(eight, g, 2, std::vector<std::string>(5, "h"));
    EXPECT_EQ(eight.of("text").size(), 5u);  // every second of 8 majors, last included

    RecordingCanvas bad;
    paintTimeAxis(bad, g, 9, day);
    EXPECT_EQ(bad.ops.size(), 1u);
    RecordingCanvas noLabels;
    paintTimeAxis(noLabels, g, 4, {});
    EXPECT_TRUE(noLabels.of("text").empty());
}

namespace {

RowStore rowsOf(const std::vector<std::pair<std::int64_t, std::vector<double>>>& rows) {
    RowStore s;
    for (auto& [t, v] : rows) s.append(t, v.data(), static_cast<int>(v.size()));
    return s;
}

CurveSeries seriesOn(int index, AxisRecord r, bool bar = false) {
    CurveSeries s;
    s.plotIndex = index;
    s.record = r;
    s.bar = bar;
    s.colour = 0x123456;
    return s;
}

}  // namespace

TEST(PlotPainterCurves, LinePointsAndClipping) {
    const RowStore s = rowsOf({{0, {10}}, {43200, {50}}, {86400, {90}}});
    RecordingCanvas c;
    paintCurves(c, g, 0, 86400, {seriesOn(0, axis(90, 10))}, RowSpan(&s, 0, 3));
    ASSERT_EQ(c.ops.size(), 3u);
    EXPECT_EQ(c.ops[0].kind, "clip");
    EXPECT_EQ(c.ops[0].rect, g.plot);
    EXPECT_EQ(c.ops[2].kind, "unclip");
    EXPECT_EQ(c.ops[1].points, (std::vector<Point>{{116, 428}, {116 + 236, 428 - 183}, {589, 62}}));
    EXPECT_EQ(c.ops[1].colour, 0x123456u);
}

TEST(PlotPainterCurves, OneRowDrawsNoLineAndNothingWithoutSeriesOrRows) {
    const RowStore s = rowsOf({{100, {10}}});
    RecordingCanvas c;
    paintCurves(c, g, 0, 86400, {seriesOn(0, axis(90, 10))}, RowSpan(&s, 0, 1));
    EXPECT_TRUE(c.of("polyline").empty());
    RecordingCanvas empty;
    paintCurves(empty, g, 0, 86400, {}, RowSpan(&s, 0, 1));
    paintCurves(empty, g, 0, 86400, {seriesOn(0, axis(90, 10))}, RowSpan(&s, 0, 0));
    EXPECT_TRUE(empty.ops.empty());
}

TEST(PlotPainterCurves, MissingValuesAreNotDrawn) {
    const RowStore s = rowsOf({{0, {10, 20}}, {100, {30}}, {200, {40, 50}}});
    const auto pts = curvePoints(g, 0, 86400, seriesOn(1, axis(90, 10)), RowSpan(&s, 0, 3));
    EXPECT_EQ(pts.size(), 2u);
}

TEST(PlotPainterCurves, BarsRiseFromZeroOrFromTheBottom) {
    const RowStore s = rowsOf({{43200, {3}}});
    RecordingCanvas across;
    const AxisRecord mixed = axis(5, -5);  // -5..5: base 0
    paintCurves(across, g, 0, 86400, {seriesOn(0, mixed, true)}, RowSpan(&s, 0, 1));
    auto bars = across.of("bar");
    ASSERT_EQ(bars.size(), 1u);
    const int zeroY = 428 - 366 / 2, valueY = 428 - static_cast<int>(8.0 / 10 * 366);
    EXPECT_EQ(bars[0].rect, (Rect{352 - 10, valueY, 352 + 10, zeroY}));

    const RowStore t = rowsOf({{43200, {50}}});
    RecordingCanvas above;
    paintCurves(above, g, 0, 86400, {seriesOn(0, axis(87, 12), true)}, RowSpan(&t, 0, 1));
    bars = above.of("bar");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].rect.bottom, 428);  // from the bottom of 10..90
    EXPECT_EQ(bars[0].rect.top, 428 - 183);
}

namespace {

// What a polyline covers, column by column: vertical extent, and the
// segments that cross from one column to the next.
struct Coverage {
    std::map<int, std::pair<int, int>> extent;
    std::vector<std::pair<Point, Point>> crossings;
};

Coverage coverageOf(const std::vector<Point>& p) {
    Coverage c;
    for (std::size_t i = 0; i < p.size(); ++i) {
        auto [it, fresh] = c.extent.try_emplace(p[i].x, p[i].y, p[i].y);
        if (!fresh) {
            it->second.first = std::min(it->second.first, p[i].y);
            it->second.second = std::max(it->second.second, p[i].y);
        }
        if (i > 0 && p[i].x != p[i - 1].x) c.crossings.emplace_back(p[i - 1], p[i]);
    }
    return c;
}

}  // namespace

TEST(PlotPainterCurves, ManyRowsReduceToTheSamePixels) {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 3);
    RowStore s;
    const std::int64_t n = 100000;
    double v = 50;
    for (std::int64_t r = 0; r < n; ++r) {
        v = std::clamp(v + noise(rng), 0.0, 100.0);
        s.append(r * 60, &v, 1);
    }
    const CurveSeries series = seriesOn(0, axis(100, 0));
    const auto reduced = curvePoints(g, 0, n * 60, series, RowSpan(&s, 0, s.size()));
    EXPECT_LE(reduced.size(), 4u * static_cast<std::size_t>(g.W + 1));

    // Every row, one point each, as drawn without reduction.
    std::vector<Point> full;
    for (std::int64_t r = 0; r < n; ++r) {
        const int x = g.x0 + static_cast<int>(g.W * static_cast<double>(r * 60) / (n * 60));
        const int y = g.y0 - static_cast<int>(s.value(static_cast<std::size_t>(r), 0) / 100 * g.H);
        full.push_back({x, y});
    }
    const Coverage a = coverageOf(full), b = coverageOf(reduced);
    EXPECT_EQ(a.extent, b.extent);
    EXPECT_EQ(a.crossings, b.crossings);

    // Drawn as a path without fold-backs plus one run per busy column, the
    // covered pixels are still the same.
    const CurveShape shape = curveShape(reduced);
    Coverage c = coverageOf(shape.path);
    for (const VerticalSpan& r : shape.runs) {
        auto& e = c.extent.at(r.x);
        e.first = std::min(e.first, r.top);
        e.second = std::max(e.second, r.bottom);
    }
    EXPECT_EQ(c.extent, a.extent);
    EXPECT_EQ(c.crossings, a.crossings);
    for (std::size_t i = 2; i < shape.path.size(); ++i)  // never three points in one column
        EXPECT_FALSE(shape.path[i].x == shape.path[i - 1].x && shape.path[i].x == shape.path[i - 2].x);
}

TEST(PlotPainterCurves, CacheRedrawsUnchangedWindowsWithoutWalkingRows) {
    RowStore s;
    for (int r = 0; r < 5000; ++r) {
        const double v = r % 100;
        s.append(r * 60, &v, 1);
    }
    const CurveSeries series = seriesOn(0, axis(100, 0));
    CurveCache cache;
    RecordingCanvas first, second;
    paintCurves(first, g, 0, 5000 * 60, {series}, RowSpan(&s, 0, s.size()), &cache);
    paintCurves(second, g, 0, 5000 * 60, {series}, RowSpan(&s, 0, s.size()), &cache);
    EXPECT_EQ(cache.misses(), 1u);
    ASSERT_EQ(first.ops.size(), second.ops.size());
    EXPECT_EQ(first.of("polyline")[0].points, second.of("polyline")[0].points);
    EXPECT_FALSE(first.of("spans").empty());
    // New rows, another window or another axis invalidate it.
    const double v = 5;
    s.append(5000 * 60, &v, 1);
    paintCurves(second, g, 0, 5000 * 60, {series}, RowSpan(&s, 0, s.size()), &cache);
    EXPECT_EQ(cache.misses(), 2u);
    paintCurves(second, g, 0, 4000 * 60, {series}, RowSpan(&s, 0, 4001), &cache);
    EXPECT_EQ(cache.misses(), 3u);
    paintCurves(second, g, 0, 4000 * 60, {seriesOn(0, axis(200, 0))}, RowSpan(&s, 0, 4001), &cache);
    EXPECT_EQ(cache.misses(), 4u);
}
