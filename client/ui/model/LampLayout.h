#pragma once
// Where the realtime view's device icons go: cells of their own width, left
// to right, wrapping into a new row when the next cell would pass the right
// edge, rows one under another (the view scrolls vertically). Free of
// windows, so it is checked without a display.
#include <vector>

namespace quorvel::ui {

struct CellRect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct LampLayout {
    std::vector<CellRect> cells;  // one per icon, in order
    std::vector<int> rowTops;     // y of each row, ascending
    std::vector<int> rowFirst;    // index of each row's first cell
    int totalHeight = 0;          // bottom of the last row plus the margin
};

// `widths`: each cell's width; every cell is `cellHeight` high. Cells start
// at (margin, margin) and keep `gap` pixels apart; a row holds at least one
// cell, however narrow the area.
LampLayout layOutLamps(const std::vector<int>& widths, int cellHeight, int areaWidth, int margin, int gap);

// Index of the first row whose bottom is below `y` (rows above it are out of
// sight); rowTops.size() when none.
std::size_t firstRowBelow(const LampLayout& layout, int cellHeight, int y);

}  // namespace quorvel::ui
