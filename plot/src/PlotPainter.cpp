#include "PlotPainter.h"

#include <algorithm>
#include <cmath>

#include "XScale.h"

namespace curvella {

namespace {

// Pixel coordinates of wild values stay far outside any window but inside int.
int toPixel(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -1e7, 1e7));
}

struct Mapper {
    const PlotGeometry& g;
    std::int64_t start;
    double duration;
    double low, range;

    int x(std::int64_t t) const { return g.x0 + toPixel(std::trunc(g.W * static_cast<double>(t - start) / duration)); }
    int y(double v) const { return g.y0 - toPixel(std::trunc((v - low) / range * g.H)); }
};

void paintAxisTicks(Canvas& c, const PlotGeometry& g, const AxisRecord& r, const std::vector<std::string>& labels,
                    bool left) {
    const int N = std::max(r.intervals, 1);
    const int B = g.plot.bottom, L = g.plot.left, R = g.plot.right;
    const int axisX = left ? g.x0 : g.x1();
    const int k = r.mantissa == 5 ? 5 : 4;
    for (int b = 0; b <= r.intervals; ++b) {
        const int cy = B - b * g.H / N;
        const int y = cy - 30;
        if (left) {
            if (b > 0) c.line({g.x0, y}, {R - 60, y}, Pen::Grid);
            c.line({g.x0, y}, {L + 57, y}, Pen::Axis);
        } else {
            c.line({axisX, y}, {R - 52, y}, Pen::Axis);
        }
        if (static_cast<std::size_t>(b) < labels.size())
            c.text({left ? L + 25 : R - 40, cy - 38}, labels[static_cast<std::size_t>(b)]);
        if (b < r.intervals) {
            for (int j = 1; j < k; ++j) {
                const int my = y - g.H * j / (N * k);
                c.line({axisX, my}, {left ? axisX - 4 : axisX + 4, my}, Pen::Axis);
            }
        }
    }
}

// Collapses runs of points in one pixel column to first, lowest, highest and
// last, in the order they came; the vertical strokes inside a column then
// cover exactly the pixels that every point would.
class ColumnReducer {
public:
    explicit ColumnReducer(std::vector<Point>& out) : out_(out) {}
    // Points of one column must come in row order; `row` orders the picks.
    void add(Point p, std::size_t row) {
        if (n_ > 0 && p.x != x_) flush();
        const Sample sample{p.y, row};
        if (n_ == 0) {
            x_ = p.x;
            first_ = lo_ = hi_ = last_ = sample;
        } else {
            if (p.y < lo_.y) lo_ = sample;
            if (p.y > hi_.y) hi_ = sample;
            last_ = sample;
        }
        ++n_;
    }
    void flush() {
        if (n_ == 0) return;
        Sample picks[4] = {first_, lo_, hi_, last_};
        std::sort(std::begin(picks), std::end(picks), [](const Sample& a, const Sample& b) { return a.i < b.i; });
        std::size_t prev = static_cast<std::size_t>(-1);
        for (const Sample& s : picks) {
            if (s.i == prev) continue;
            out_.push_back({x_, s.y});
            prev = s.i;
        }
        n_ = 0;
    }

private:
    struct Sample {
        int y;
        std::size_t i;
    };
    std::vector<Point>& out_;
    int x_ = 0, n_ = 0;
    Sample first_{}, lo_{}, hi_{}, last_{};
};

}  // namespace

void paintBackground(Canvas& c, const PlotGeometry& g) { c.background(g.plot, kPlotGrey); }

void paintLeftAxis(Canvas& c, const PlotGeometry& g, const AxisRecord* record, const std::vector<std::string>& labels) {
    c.line({g.x0, g.y0}, {g.x0, g.drawTop()}, Pen::Axis);
    if (record) paintAxisTicks(c, g, *record, labels, true);
}

void paintRightAxis(Canvas& c, const PlotGeometry& g, const AxisRecord* record,
                    const std::vector<std::string>& labels) {
    c.line({g.x1(), g.y0}, {g.x1(), g.drawTop()}, Pen::Axis);
    if (record) paintAxisTicks(c, g, *record, labels, false);
}

void paintTimeAxis(Canvas& c, const PlotGeometry& g, int span, const std::vector<std::string>& labels) {
    c.line({g.x0, g.y0}, {g.x1(), g.y0}, Pen::Axis);
    if (span < 0 || span >= kSpanCount) return;
    const SpanInfo& s = kSpans[static_cast<std::size_t>(span)];
    const int B = g.plot.bottom;
    for (int a = 0; a <= s.majors; ++a) {
        const int x = a * g.W / s.majors + g.x0;
        if (a > 0) c.line({x, g.y0}, {x, g.drawTop()}, Pen::Grid);
        c.line({x, g.y0}, {x, B - 22}, Pen::Axis);
        const bool lastWithout = a == s.majors && !s.labelOnLast;
        if (!labels.empty() && a % s.labelEvery == 0 && !lastWithout) {
            const std::size_t i = static_cast<std::size_t>(a / s.labelEvery);
            if (i < labels.size()) c.text({s.labelRight ? x + 10 : x - 7, B - 22}, labels[i]);
        }
        if (a < s.majors && s.minors >= 2) {
            for (int i = 1; i < s.minors; ++i) {
                const int mx = i * g.W / (s.majors * s.minors) + x;
                c.line({mx, g.y0}, {mx, B - 26}, Pen::Axis);
            }
        }
    }
}

std::vector<Point> curvePoints(const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                               const CurveSeries& s, const RowSpan& rows) {
    std::vector<Point> points;
    const double duration = static_cast<double>(windowEnd - windowStart);
    const double range = s.record.top - s.record.bottom;
    if (rows.empty() || duration <= 0 || !(range > 0)) return points;
    const Mapper m{g, windowStart, duration, s.record.bottom, range};
    const std::size_t n = rows.size();
    if (n <= static_cast<std::size_t>(std::max(g.W, 0)) + 1) {
        points.reserve(n);
        for (std::size_t r = 0; r < n; ++r) {
            const double v = rows.value(r, s.plotIndex);
            if (std::isfinite(v)) points.push_back({m.x(rows.time(r)), m.y(v)});
        }
        return points;
    }
    points.reserve(4 * static_cast<std::size_t>(g.W + 2));
    ColumnReducer reducer(points);
    // Rows in time order fill the columns left to right: find where each
    // column ends once, then only compare values inside it.
    if (rows.store() && rows.store()->ascending()) {
        std::size_t r = 0;
        while (r < n) {
            const int x = m.x(rows.time(r));
            // Last row still in column x: rows are sorted, so search forward.
            std::size_t lo = r + 1, hi = n;
            while (lo < hi) {
                const std::size_t mid = lo + (hi - lo) / 2;
                if (m.x(rows.time(mid)) == x) lo = mid + 1; else hi = mid;
            }
            // Extremes in value space from the store's blocks; pixels only
            // for the picks.
            const RowStore& store = *rows.store();
            const std::size_t base = rows.begin();
            const Extremes e = store.extremes(s.plotIndex, base + r, base + lo);
            if (e.any) {
                std::size_t first = r, last = lo - 1;
                while (!std::isfinite(rows.value(first, s.plotIndex))) ++first;
                while (!std::isfinite(rows.value(last, s.plotIndex))) --last;
                for (std::size_t i : {first, e.lowAt - base, e.highAt - base, last})
                    reducer.add({x, m.y(rows.value(i, s.plotIndex))}, i);
            }
            r = lo;
        }
        reducer.flush();
        return points;
    }
    for (std::size_t r = 0; r < n; ++r) {
        const double v = rows.value(r, s.plotIndex);
        if (std::isfinite(v)) reducer.add({m.x(rows.time(r)), m.y(v)}, r);
    }
    reducer.flush();
    return points;
}

namespace {

void paintBars(Canvas& c, const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
               const CurveSeries& s, const RowSpan& rows) {
    const double duration = static_cast<double>(windowEnd - windowStart);
    const double range = s.record.top - s.record.bottom;
    if (duration <= 0 || !(range > 0)) return;
    const Mapper m{g, windowStart, duration, s.record.bottom, range};
    const double base = s.record.top * s.record.bottom > 0 ? s.record.bottom : 0.0;
    const int yBase = m.y(base);
    // Bars of rows sharing a pixel column overlap exactly: one bar spanning
    // their extremes paints the same pixels.
    bool open = false;
    int colX = 0, lo = 0, hi = 0;
    auto emit = [&] {
        if (open) c.bar({colX - 10, std::min(lo, yBase), colX + 10, std::max(hi, yBase)}, s.colour);
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double v = rows.value(r, s.plotIndex);
        if (!std::isfinite(v)) continue;
        const int x = m.x(rows.time(r)), y = m.y(v);
        if (open && x == colX) {
            lo = std::min(lo, y);
            hi = std::max(hi, y);
            continue;
        }
        emit();
        open = true;
        colX = x;
        lo = hi = y;
    }
    emit();
}

}  // namespace

CurveShape curveShape(const std::vector<Point>& p) {
    CurveShape shape;
    std::size_t i = 0;
    while (i < p.size()) {
        std::size_t j = i;
        int lo = p[i].y, hi = p[i].y;
        while (j + 1 < p.size() && p[j + 1].x == p[i].x) {
            ++j;
            lo = std::min(lo, p[j].y);
            hi = std::max(hi, p[j].y);
        }
        shape.path.push_back(p[i]);
        if (j > i) {
            shape.path.push_back(p[j]);
            if (j > i + 1) shape.runs.push_back({p[i].x, lo, hi});
        }
        i = j + 1;
    }
    return shape;
}

const CurveShape& CurveCache::shape(const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                                    const CurveSeries& s, const RowSpan& rows) {
    const std::size_t k = static_cast<std::size_t>(std::max(s.plotIndex, 0));
    if (entries_.size() <= k) entries_.resize(k + 1);
    Entry& e = entries_[k];
    const bool same = e.store == rows.store() && rows.store() && e.generation == rows.store()->generation() &&
                      e.begin == rows.begin() && e.size == rows.size() && e.start == windowStart &&
                      e.end == windowEnd && e.x0 == g.x0 && e.y0 == g.y0 && e.W == g.W && e.H == g.H &&
                      e.bottom == s.record.bottom && e.top == s.record.top;
    if (!same) {
        ++misses_;
        e.store = rows.store();
        e.generation = rows.store() ? rows.store()->generation() : 0;
        e.begin = rows.begin();
        e.size = rows.size();
        e.start = windowStart;
        e.end = windowEnd;
        e.x0 = g.x0;
        e.y0 = g.y0;
        e.W = g.W;
        e.H = g.H;
        e.bottom = s.record.bottom;
        e.top = s.record.top;
        e.shape = curveShape(curvePoints(g, windowStart, windowEnd, s, rows));
    }
    return e.shape;
}

void paintCurves(Canvas& c, const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                 const std::vector<CurveSeries>& series, const RowSpan& rows, CurveCache* cache) {
    if (series.empty() || rows.empty()) return;
    c.clip(g.plot);
    for (const CurveSeries& s : series) {
        if (s.bar) {
            paintBars(c, g, windowStart, windowEnd, s, rows);
            continue;
        }
        CurveShape local;
        const CurveShape& shape =
            cache ? cache->shape(g, windowStart, windowEnd, s, rows)
                  : (local = curveShape(curvePoints(g, windowStart, windowEnd, s, rows)));
        if (shape.path.size() >= 2) c.polyline(shape.path, s.colour);
        if (!shape.runs.empty()) c.spans(shape.runs, s.colour);
    }
    c.clearClip();
}

}  // namespace curvella
