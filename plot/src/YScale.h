// Value axes: one per unit text, with rounded bounds, step and labels.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "Plot.h"

namespace curvella {

struct AxisRecord {
    double maximum = 100, minimum = 0;  // the range to cover
    double top = 100, bottom = 0;       // bounds, multiples of the step
    double step = 10;
    int intervals = 10;                 // major intervals; intervals + 1 labels
    double mantissa = 5;                // 1, 2, 5 or 10
};

struct AxisEntry {
    AxisRecord record;
    std::vector<std::string> labels;  // bottom to top
};

class YScale {
public:
    // An axis covering [minimum, maximum]. A flat range is widened first.
    // A range that is not finite or is inverted keeps the starting record and
    // has no labels.
    static AxisEntry computeAxis(double maximum, double minimum);

    // One entry per unit of the selected plots, covering all their display
    // ranges.
    void rebuild(const std::vector<const Plot*>& selection);

    // Null when no selected plot has this unit.
    const AxisEntry* find(const std::string& unit) const;

    std::size_t size() const { return entries_.size(); }

private:
    std::map<std::string, AxisEntry> entries_;
};

}  // namespace curvella
