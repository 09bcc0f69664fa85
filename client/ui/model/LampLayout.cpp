#include "ui/model/LampLayout.h"

#include <algorithm>
#include <cstddef>

namespace quorvel::ui {

LampLayout layOutLamps(const std::vector<int>& widths, int cellHeight, int areaWidth, int margin, int gap) {
    LampLayout out;
    out.cells.reserve(widths.size());
    int x = margin, y = margin;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const int w = widths[i];
        if (x > margin && x + w > areaWidth - margin) {  // the row holds a cell already and is full
            x = margin;
            y += cellHeight + gap;
        }
        if (out.rowTops.empty() || out.rowTops.back() != y) {
            out.rowTops.push_back(y);
            out.rowFirst.push_back(static_cast<int>(i));
        }
        out.cells.push_back({x, y, w, cellHeight});
        x += w + gap;
    }
    out.totalHeight = out.cells.empty() ? 0 : y + cellHeight + margin;
    return out;
}

std::size_t firstRowBelow(const LampLayout& layout, int cellHeight, int y) {
    auto it = std::upper_bound(layout.rowTops.begin(), layout.rowTops.end(), y - cellHeight);
    return static_cast<std::size_t>(it - layout.rowTops.begin());
}

}  // namespace quorvel::ui
