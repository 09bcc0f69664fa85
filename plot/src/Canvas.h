// The few drawing primitives the plot needs; the window maps them onto its
// device context, tests record them.
#pragma once
#include <string>
#include <vector>

#include "Geometry.h"
#include "Plot.h"

namespace curvella {

struct VerticalSpan {
    int x = 0, top = 0, bottom = 0;
    bool operator==(const VerticalSpan&) const = default;
};

enum class Pen {
    Axis,  // the context's ordinary pen (black, solid)
    Grid,  // dotted, grey (120, 120, 120)
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void line(Point from, Point to, Pen pen) = 0;
    // Solid fill outlined with the ordinary pen.
    virtual void background(const Rect& r, Colour fill) = 0;
    // Text with its top left corner at p, on the plot's grey text background.
    virtual void text(Point p, const std::string& utf8) = 0;
    // Connected line through the points, solid, width 1.
    virtual void polyline(const std::vector<Point>& points, Colour colour) = 0;
    // Vertical runs of pixels, both ends included, each one pixel wide.
    virtual void spans(const std::vector<VerticalSpan>& runs, Colour colour) = 0;
    // Solid rectangle in one colour.
    virtual void bar(const Rect& r, Colour colour) = 0;
    // Everything drawn until clearClip stays inside r.
    virtual void clip(const Rect& r) = 0;
    virtual void clearClip() = 0;
};

constexpr Colour kPlotGrey = 0x00C0C0C0;  // RGB(192, 192, 192)
constexpr Colour kGridGrey = 0x00787878;  // RGB(120, 120, 120)

}  // namespace curvella
