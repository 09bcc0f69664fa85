// Where the realtime view's icons go when they wrap into rows.
#include <gtest/gtest.h>

#include "ui/model/LampLayout.h"

namespace {

using quorvel::ui::firstRowBelow;
using quorvel::ui::layOutLamps;

TEST(LampLayout, CellsFillARowThenWrapAndTheVisibleRowsAreFound) {
    // Area 400 wide, margin 4, gap 6: 4+100+6+100+6+100 = 316; a fourth
    // cell would end at 422 > 396, so it wraps. A wide name widens its cell.
    const std::vector<int> widths = {100, 100, 100, 100, 250, 100, 100};
    const auto l = layOutLamps(widths, 120, 400, 4, 6);
    ASSERT_EQ(l.cells.size(), widths.size());
    EXPECT_EQ(l.cells[0].x, 4);
    EXPECT_EQ(l.cells[2].x, 216);
    EXPECT_EQ(l.cells[3].x, 4);
    EXPECT_EQ(l.cells[3].y, 4 + 120 + 6);
    EXPECT_EQ(l.cells[4].x, 110);   // 250 wide still fits: 110 + 250 = 360 <= 396
    EXPECT_EQ(l.cells[5].y, 4 + 2 * 126);
    EXPECT_EQ(l.rowTops, (std::vector<int>{4, 130, 256}));
    EXPECT_EQ(l.rowFirst, (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(l.totalHeight, 256 + 120 + 4);

    EXPECT_EQ(firstRowBelow(l, 120, 0), 0u);
    EXPECT_EQ(firstRowBelow(l, 120, 123), 0u);  // row 0 ends at 124
    EXPECT_EQ(firstRowBelow(l, 120, 124), 1u);
    EXPECT_EQ(firstRowBelow(l, 120, 1000), 3u);

    // Narrower than one cell: one cell per row, never an empty row.
    const auto narrow = layOutLamps({100, 100}, 50, 60, 4, 6);
    EXPECT_EQ(narrow.rowTops.size(), 2u);
    EXPECT_EQ(narrow.cells[1].x, 4);
    EXPECT_EQ(layOutLamps({}, 50, 600, 4, 6).totalHeight, 0);
}

}  // namespace
