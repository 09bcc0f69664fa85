#include "DatasManager.h"

#include <algorithm>

#include "LocalTime.h"

namespace curvella {

void RowStore::clear() {
    times_.clear();
    offsets_.assign(1, 0);
    values_.clear();
    ascending_ = true;
    ++generation_;
}

void RowStore::append(std::int64_t time, const double* values, int count) {
    if (!times_.empty() && time < times_.back()) ascending_ = false;
    times_.push_back(time);
    if (values && count > 0) values_.insert(values_.end(), values, values + count);
    offsets_.push_back(values_.size());
    ++generation_;
}

bool DatasManager::addRow(int year, int month, int day, int hour, int minute, int second, const double* values,
                          int count) {
    const auto t = makeLocalTime(year, month, day, hour, minute, second);
    if (!t) return false;
    addRowAt(*t, values, count);
    return true;
}

void DatasManager::addRowAt(std::int64_t time, const double* values, int count) { rows_.append(time, values, count); }

void DatasManager::clear() {
    rows_.clear();
    winBegin_ = winEnd_ = 0;
}

void DatasManager::cutWindow(std::int64_t start, std::int64_t end, std::vector<Plot>& plots) {
    winBegin_ = winEnd_ = 0;
    const std::size_t n = rows_.size();
    if (n == 0) return;

    // s: first row at or after start; e: last row at or before end.
    std::size_t s = n, eExcl = 0;
    if (rows_.ascending()) {
        std::size_t lo = 0, hi = n;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (rows_.time(mid) < start) lo = mid + 1; else hi = mid;
        }
        s = lo;
        lo = 0;
        hi = n;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (rows_.time(mid) <= end) lo = mid + 1; else hi = mid;
        }
        eExcl = lo;
    } else {
        for (std::size_t r = 0; r < n; ++r)
            if (rows_.time(r) >= start) { s = r; break; }
        for (std::size_t r = n; r > 0; --r)
            if (rows_.time(r - 1) <= end) { eExcl = r; break; }
    }
    if (s >= n || eExcl == 0 || eExcl <= s) return;
    winBegin_ = s;
    winEnd_ = eExcl;

    // One pass over the rows for all plots: the values of a row lie side by side.
    const std::size_t np = plots.size();
    std::vector<double> hiV(np, -1e9), loV(np, 1e9);
    std::vector<char> fitted(np);
    for (std::size_t p = 0; p < np; ++p) fitted[p] = !plots[p].fixedRange;
    for (std::size_t r = s; r < eExcl; ++r) {
        const std::size_t count = std::min(np, static_cast<std::size_t>(rows_.valueCount(r)));
        for (std::size_t p = 0; p < count; ++p) {
            const double v = rows_.value(r, static_cast<int>(p));  // NaN compares false
            if (v > hiV[p]) hiV[p] = v;
            if (v < loV[p]) loV[p] = v;
        }
    }
    for (std::size_t p = 0; p < np; ++p) {
        if (!fitted[p]) continue;
        Plot& plot = plots[p];
        plot.dataMaximum = hiV[p];
        plot.dataMinimum = loV[p];
        if (plot.locked) {
            if (hiV[p] > plot.displayMaximum) plot.displayMaximum = hiV[p];
            if (loV[p] < plot.displayMinimum) plot.displayMinimum = loV[p];
        } else {
            plot.displayMaximum = hiV[p];
            plot.displayMinimum = loV[p];
        }
    }
}

}  // namespace curvella
