#pragma once
// From query rows to plot input: which items get a curve, the time of each
// row and the values of each row. Window-free (tested headless); the views
// only hand the outcome to the plot.
#include <optional>
#include <string>
#include <vector>

#include "db/EMDeviceData.h"

namespace quorvel::ui {

// What the rows come from: the history query, or a statistics run of a period.
struct SeriesKind {
    bool statistics = false;
    int period = 0;  // statistics only: 0 hour, 1 day, 2 month

    static SeriesKind history() { return {}; }
    static SeriesKind stats(int period) { return {true, period}; }
};

// Whether an item of this data_type gets a curve (and a value in each row):
// every type but text (100); statistics also leave out type 0, whose cells
// hold "--" instead of an average.
bool isPlotted(int dataType, const SeriesKind& kind);

struct PointTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const PointTime&) const = default;
};

// Time of a row from its label (cell 0). History "2019-3-24 08:05:00";
// hourly "2019-3-24 8:00:00"; daily "2019-3-24" (midnight); monthly "2019-3"
// (the 15th at midnight, the middle of the month). Null when the label does
// not have that shape.
std::optional<PointTime> pointTime(const std::string& label, const SeriesKind& kind);

// A cell's number: the longest leading number of the text; 0 when the text
// does not start with one (or it is not finite).
double cellNumber(const std::string& text);

// Everything the plot needs, prepared away from the window thread.
struct PlotFeed {
    std::vector<PointTime> times;  // rows whose time could be read
    std::vector<double> values;    // valuesPerRow per entry of times
    int valuesPerRow = 0;
    size_t skippedRows = 0;        // rows without a readable time
};

// Values of the plotted cells (by their type tags), in cell order.
PlotFeed buildPlotFeed(const DataRows& rows, const SeriesKind& kind);

}  // namespace quorvel::ui
