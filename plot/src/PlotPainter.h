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

// Curves and bars of the rows in [windowStart, windowEnd], clipped to the
// plot rectangle. Where more rows than pixel columns fall in the window a
// line keeps, per column, the first, lowest, highest and last point: the same
// pixels as every row, at a cost bounded by the columns for the drawing.
void paintCurves(Canvas& c, const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                 const std::vector<CurveSeries>& series, const RowSpan& rows);

// The polyline of one line series (exposed for tests and the benchmark).
std::vector<Point> curvePoints(const PlotGeometry& g, std::int64_t windowStart, std::int64_t windowEnd,
                               const CurveSeries& s, const RowSpan& rows);

}  // namespace curvella
