// Placement of the plot window's buttons, plot area and legend.
#pragma once
#include <array>

#include "Geometry.h"

namespace curvella {

// Toolbar buttons in creation order; the command id is 4096 + position.
enum ButtonSlot {
    kShorterSpan = 0, kSpanButton, kLongerSpan,
    kLeftUnit, kLeftSeries, kLeftLock, kPreviousPage,
    kRightUnit, kRightSeries, kRightLock, kNextPage, kDateButton,
    kButtonCount
};

struct PlotLayout {
    std::array<Rect, kButtonCount> buttons;
    Rect legend;
    Rect plot;             // shrunk: the (L, T, R, B) of the drawing
    PlotGeometry geometry;

    // Layout on a client area of width x height (origin 0, 0).
    static PlotLayout compute(int width, int height);
};

// Legend entries: eight a row, 25 pixels a row, scrolled by whole rows.
struct LegendCell {
    Rect swatch;
    Rect text;
};
constexpr int kLegendColumns = 8;
constexpr int kLegendRowHeight = 25;
int legendRows(int entries);
LegendCell legendCell(int entry, int legendWidth, int scrollRow);

}  // namespace curvella
