#include "ui/model/QueryColumns.h"

#include <algorithm>

#include "app/TextCodec.h"
#include "db/EMDeviceGroupItem.h"

namespace quorvel::ui {

namespace {
// Beyond the label's own width: the list's cell padding on both sides.
constexpr int kTimeLabelMargin = 16;
}  // namespace

int timeColumnWidth(int labelWidth) { return std::max(kMinTimeColumnWidth, labelWidth + kTimeLabelMargin); }

QueryColumns queryColumns(const std::vector<EMDeviceGroupItem*>& items, const SeriesKind& kind, int timeWidth)
{
    QueryColumns columns;
    columns.table.push_back({0, "DataTime", timeWidth});
    int index = 1;
    for (const EMDeviceGroupItem* item : items) {
        columns.table.push_back({index++, item->c4, kItemColumnWidth});
        if (isPlotted(item->dataType, kind))
            columns.curves.push_back({gbkToUtf8(item->c4), gbkToUtf8(item->c3), item->b4});
    }
    return columns;
}

std::vector<std::string> exportItemNames(const std::vector<EMDeviceGroupItem*>& items)
{
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const EMDeviceGroupItem* item : items)
        names.push_back(gbkToUtf8(item->c4));
    return names;
}

bool resultCellText(const ResultStore* rows, long row, long column, std::string& out)
{
    out.clear();
    if (!rows || row < 0 || static_cast<std::size_t>(row) >= rows->size())
        return false;
    if (column < 0 || static_cast<std::size_t>(column) >= rows->columnCount())
        return false;
    rows->cellText(static_cast<std::size_t>(row), static_cast<std::size_t>(column), out);
    return true;
}

}  // namespace quorvel::ui
