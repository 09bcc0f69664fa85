// Rectangles and the pixel geometry of the plot area.
#pragma once

namespace curvella {

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Right and bottom exclusive, as a window rectangle.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    Rect shrunk(int by) const { return {left + by, top + by, right - by, bottom - by}; }
    bool operator==(const Rect&) const = default;
};

// Where the axes lie inside the plot rectangle (L, T, R, B).
struct PlotGeometry {
    Rect plot;
    int x0 = 0;  // left end of the time axis: L + 65
    int y0 = 0;  // the time axis: B - 30
    int W = 0;   // R - L - 125
    int H = 0;   // B - T - 50

    static PlotGeometry fromPlotRect(const Rect& r) {
        PlotGeometry g;
        g.plot = r;
        g.x0 = r.left + 65;
        g.y0 = r.bottom - 30;
        g.W = r.right - r.left - 125;
        g.H = r.bottom - r.top - 50;
        return g;
    }
    int x1() const { return plot.right - 60; }
    int drawTop() const { return plot.top + 20; }
};

}  // namespace curvella
