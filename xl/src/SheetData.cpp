#include "SheetData.h"

#include <algorithm>

namespace xl::detail {

void SheetData::put(uint32_t row, const Cell& cell)
{
    if (row >= rows.size())
        rows.resize(row + 1);
    auto& cells = rows[row];
    // Cells nearly always arrive left to right.
    if (cells.empty() || cells.back().column < cell.column) {
        cells.push_back(cell);
        return;
    }
    auto at = std::lower_bound(cells.begin(), cells.end(), cell.column,
                               [](const Cell& c, uint16_t column) { return c.column < column; });
    if (at != cells.end() && at->column == cell.column)
        *at = cell;
    else
        cells.insert(at, cell);
}

size_t SheetData::textCellCount() const
{
    size_t count = 0;
    for (const auto& cells : rows)
        for (const auto& cell : cells)
            count += cell.kind == Cell::Text ? 1 : 0;
    return count;
}

} // namespace xl::detail
