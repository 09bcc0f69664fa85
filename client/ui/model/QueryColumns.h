#pragma once
// What the history and statistics views show of a data group: the table's
// columns, the plot's curves, the text of a table cell and the names in an
// export's header row. Window-free; the views turn it into list columns and
// plot series. Item texts are stored in GBK, the plot takes UTF-8.
#include <cstddef>
#include <string>
#include <vector>

#include "db/ResultStore.h"
#include "ui/model/ResultSeries.h"

class EMDeviceGroupItem;

namespace quorvel::ui {

struct TableColumn {
    int index = 0;
    std::string titleGbk;
    int width = 0;  // pixels
    bool operator==(const TableColumn&) const = default;
};

struct CurveSeries {
    std::string nameUtf8;
    std::string unitUtf8;
    int colour = 0;  // 0x00BBGGRR
    bool operator==(const CurveSeries&) const = default;
};

struct QueryColumns {
    std::vector<TableColumn> table;   // "DataTime" first, then one per item in item order
    std::vector<CurveSeries> curves;  // the plotted items (isPlotted), in item order
};

inline constexpr int kMinTimeColumnWidth = 120;
inline constexpr int kItemColumnWidth = 100;

// Width of the time column: room for the widest time label in the desktop's
// font (labelWidth, in pixels, plus a margin), never below 120.
int timeColumnWidth(int labelWidth);

QueryColumns queryColumns(const std::vector<EMDeviceGroupItem*>& items, const SeriesKind& kind, int timeWidth);

// The header names after "DataTime" of an export (UTF-8), in item order.
std::vector<std::string> exportItemNames(const std::vector<EMDeviceGroupItem*>& items);

// Text (GBK) of table cell (row, column); false, with out emptied, for a
// cell outside the rows or columns (the table may ask while rows change).
bool resultCellText(const ResultStore* rows, long row, long column, std::string& out);

}  // namespace quorvel::ui
