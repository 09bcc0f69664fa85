// Pixel geometry of backgrounds, axes and curves, drawn onto a Canvas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"
#include "DatasManager.h"
#include "Geometry.h"
#include "YScale.h"

namespace curvella {

// One shown series as the drawing needs it.
struct CurveSeries {
    int plotIndex = 0;    // position of its value in each row
    AxisRecord record;    // the value axis of its unit
    bool bar = false;
    Colour colour = 0;
};

void paintBackground(Canvas& c, const PlotGeometry& g);
void paintLeftAxis(Canvas& c, const PlotGeometry& g, const AxisRecord* record, const std::vector<std::string>& labels);
void paintRightAxis(Canvas& c, const PlotGeometry& g, const AxisRecord* record, const std::vector<std::string>& labels);
void paintTimeAxis(Canvas& c, const PlotGeometry& g, int span, const std::vector<std::string>& labels);

// A line series ready to draw: the path, plus one vertical run per pixel
// column where several rows share it. Drawing the runs apart keeps the path
// free of strokes folding back on themselves, which the toolkit renders
// slowly.
struct CurveShape {
    std::vector<Point> path;
    std::vector<VerticalSpan> runs;
};

// Keeps the shapes of the last drawing so that a repaint of an unchanged
// window does not walk its rows again.
class CurveCache {
public:
    const CurveShape& shape(const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                            const CurveSeries& s, const RowSpan& rows);
    std::size_t misses() const { return misses_; }

private:
    struct Entry {
        const RowStore* store = nullptr;
        std::uint64_t generation = 0;
        std::size_t begin = 0, size = 0;
        std::int64_t start = 0, end = 0;
        int x0 = 0, y0 = 0, W = 0, H = 0;
        double bottom = 0, top = 0;
        CurveShape shape;
    };
    std::vector<Entry> entries_;  // by plot index
    std::size_t misses_ = 0;
};

// Curves and bars of the rows in [windowStart, windowEnd], clipped to the
// plot rectangle. Where more rows than pixel columns fall in the window a
// line keeps, per column, the first, lowest, highest and last point: the same
// pixels as every row, at a cost bounded by the columns for the drawing.
void paintCurves(Canvas& c, const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                 const std::vector<CurveSeries>& series, const RowSpan& rows, CurveCache* cache = nullptr);

// The shape of one line series from its polyline.
CurveShape curveShape(const std::vector<Point>& polyline);

// The polyline of one line series (exposed for tests and the benchmark).
std::vector<Point> curvePoints(const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                               const CurveSeries& s, const RowSpan& rows);

}  // namespace curvella
