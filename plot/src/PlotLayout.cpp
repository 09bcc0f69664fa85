#include "PlotLayout.h"

#include <algorithm>

namespace curvella {

PlotLayout PlotLayout::compute(int Wc, int Hc) {
    PlotLayout l;
    l.legend = {0, Hc * 5 / 6, Wc, Hc};
    const int PL = Wc / 15, PT = 37, PR = Wc - Wc / 15;
    const int PB = std::max(Hc - Hc / 6 - 37, 37);
    const int D = PB - PT;
    l.plot = {PL, PT, PR, PB};
    auto& b = l.buttons;
    b[kShorterSpan] = {0, 0, 37, 37};
    b[kSpanButton] = {37, 0, 37 + Wc / 7, 37};
    b[kLongerSpan] = {37 + Wc / 7, 0, 74 + Wc / 7, 37};
    b[kLeftUnit] = {0, PT + D * 2 / 8, 37, PB + (PT - PB) * 5 / 8};
    b[kLeftSeries] = {0, PT + D * 3 / 8, 37, PB - D / 8};
    b[kLeftLock] = {PL, PB, PL + 37, PB + 37};
    b[kPreviousPage] = {0, PB, 75, PB + 37};
    b[kRightUnit] = {Wc - 37, PT + D * 2 / 8, Wc, PB + (PT - PB) * 5 / 8};
    b[kRightSeries] = {Wc - 37, PT + D * 3 / 8, Wc, PB - D / 8};
    b[kRightLock] = {PR - 37, PB, PR, PB + 37};
    b[kNextPage] = {Wc - 75, PB, Wc, PB + 37};
    b[kDateButton] = {PL + (PR - PL) / 3, PB, PR - (PR - PL) / 3, PB + 37};

    for (int i = 0; i < kButtonCount; ++i) {
        Rect& r = b[static_cast<std::size_t>(i)];
        if (i == kLeftUnit) {
            r.top += 5;
            r.bottom -= 5;
        } else {
            r = r.shrunk(5);
        }
    }
    l.legend = l.legend.shrunk(5);
    l.plot = l.plot.shrunk(5);
    l.geometry = PlotGeometry::fromPlotRect(l.plot);
    return l;
}

int legendRows(int entries) { return entries / kLegendColumns + (entries % kLegendColumns != 0 ? 1 : 0); }

LegendCell legendCell(int k, int Wl, int p) {
    const int c = Wl / kLegendColumns;
    const int x = c * (k % kLegendColumns);
    const int y = kLegendRowHeight * (k / kLegendColumns - p);
    LegendCell cell;
    cell.swatch = {x + 5, y + 5, x + Wl / 64, y + 20};
    cell.text = {x + Wl / 64, y + 5, x + Wl / 64 + c * 7 / 8 - 5, y + 20};
    return cell;
}

}  // namespace curvella
