#include <gtest/gtest.h>

#include "PlotLayout.h"

using namespace curvella;

TEST(PlotLayout, SevenHundredBySixHundred) {
    const PlotLayout l = PlotLayout::compute(700, 600);
    // Before the 5-pixel shrink: plot (46, 37, 654, 463), legend (0, 500, 700, 600).
    EXPECT_EQ(l.plot, (Rect{51, 42, 649, 458}));
    EXPECT_EQ(l.legend, (Rect{5, 505, 695, 595}));
    EXPECT_EQ(l.buttons[kShorterSpan], (Rect{5, 5, 32, 32}));
    EXPECT_EQ(l.buttons[kSpanButton], (Rect{42, 5, 132, 32}));
    EXPECT_EQ(l.buttons[kLongerSpan], (Rect{142, 5, 169, 32}));
    EXPECT_EQ(l.buttons[kLeftUnit], (Rect{0, 148, 37, 192}));  // only top and bottom move in
    EXPECT_EQ(l.buttons[kLeftSeries], (Rect{5, 201, 32, 405}));
    EXPECT_EQ(l.buttons[kLeftLock], (Rect{51, 468, 78, 495}));
    EXPECT_EQ(l.buttons[kPreviousPage], (Rect{5, 468, 70, 495}));
    EXPECT_EQ(l.buttons[kRightUnit], (Rect{668, 148, 695, 192}));
    EXPECT_EQ(l.buttons[kRightSeries], (Rect{668, 201, 695, 405}));
    EXPECT_EQ(l.buttons[kRightLock], (Rect{622, 468, 649, 495}));
    EXPECT_EQ(l.buttons[kNextPage], (Rect{630, 468, 695, 495}));
    EXPECT_EQ(l.buttons[kDateButton], (Rect{253, 468, 447, 495}));
    EXPECT_EQ(l.geometry.x0, 116);
    EXPECT_EQ(l.geometry.y0, 428);
    EXPECT_EQ(l.geometry.W, 473);
    EXPECT_EQ(l.geometry.H, 366);
}

TEST(PlotLayout, TinyClientKeepsThePlotBottomAtLeastThirtySeven) {
    const PlotLayout l = PlotLayout::compute(100, 40);
    EXPECT_EQ(l.plot.bottom, 37 - 5);
    EXPECT_EQ(l.plot.top, 37 + 5);
}

TEST(LegendLayout, EightEntriesARowScrolledByRows) {
    EXPECT_EQ(legendRows(0), 0);
    EXPECT_EQ(legendRows(8), 1);
    EXPECT_EQ(legendRows(9), 2);
    const int Wl = 690;  // c = 86, Wl/64 = 10
    LegendCell e8 = legendCell(8, Wl, 0);
    EXPECT_EQ(e8.swatch, (Rect{5, 30, 10, 45}));
    EXPECT_EQ(e8.text, (Rect{10, 30, 10 + 86 * 7 / 8 - 5, 45}));
    // Scrolled one row down, entry 8 sits where entry 0 was.
    EXPECT_EQ(legendCell(8, Wl, 1).swatch, legendCell(0, Wl, 0).swatch);
    EXPECT_EQ(legendCell(8, Wl, 1).text, legendCell(0, Wl, 0).text);
    EXPECT_EQ(legendCell(3, Wl, 0).swatch.left, 86 * 3 + 5);
    EXPECT_EQ(legendCell(0, Wl, 1).swatch.top, -20);
}
