#include "ui/model/ResultSeries.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorvel::ui {

namespace {
constexpr int kTextType = 100;
constexpr int kIntType = 0;
}  // namespace

bool isPlotted(int dataType, const SeriesKind& kind)
{
    if (dataType == kTextType)
        return false;
    return !(kind.statistics && dataType == kIntType);
}

std::optional<PointTime> pointTime(const std::string& label, const SeriesKind& kind)
{
    PointTime t;
    int used = 0;
    if (!kind.statistics) {
        if (std::sscanf(label.c_str(), "%d-%d-%d %d:%d:%d%n", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                        &t.second, &used) != 6)
            return std::nullopt;
    } else if (kind.period == 0) {
        if (std::sscanf(label.c_str(), "%d-%d-%d %d:00:00%n", &t.year, &t.month, &t.day, &t.hour, &used) != 4
            || used == 0)
            return std::nullopt;
    } else if (kind.period == 1) {
        if (std::sscanf(label.c_str(), "%d-%d-%d%n", &t.year, &t.month, &t.day, &used) != 3)
            return std::nullopt;
    } else {
        if (std::sscanf(label.c_str(), "%d-%d%n", &t.year, &t.month, &used) != 2)
            return std::nullopt;
        t.day = 15;
    }
    return t;
}

double cellNumber(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v))
        return 0.0;
    return v;
}

PlotFeed buildPlotFeed(const DataRows& rows, const SeriesKind& kind)
{
    PlotFeed feed;
    if (!rows.empty()) {
        for (const DataCell& cell : rows.front())
            feed.valuesPerRow += isPlotted(cell.first, kind) ? 1 : 0;
    }
    feed.times.reserve(rows.size());
    feed.values.reserve(rows.size() * static_cast<size_t>(feed.valuesPerRow));
    for (const DataRow& row : rows) {
        if (row.empty()) {
            ++feed.skippedRows;
            continue;
        }
        auto t = pointTime(row.front().second, kind);
        if (!t) {
            ++feed.skippedRows;
            continue;
        }
        feed.times.push_back(*t);
        int n = 0;
        for (const DataCell& cell : row) {
            if (!isPlotted(cell.first, kind))
                continue;
            if (n++ < feed.valuesPerRow)
                feed.values.push_back(cellNumber(cell.second));
        }
        // Every row carries the same items; pad defensively so rows stay aligned.
        for (; n < feed.valuesPerRow; ++n)
            feed.values.push_back(0.0);
    }
    return feed;
}

}  // namespace quorvel::ui
