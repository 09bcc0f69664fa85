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

    for (std::size_t p = 0; p < plots.size(); ++p) {
        Plot& plot = plots[p];
        if (plot.fixedRange) continue;
        double hiV = -1e9, loV = 1e9;
        for (std::size_t r = s; r < eExcl; ++r) {
            const double v = rows_.value(r, static_cast<int>(p));  // NaN (missing) compares false
            if (v > hiV) hiV = v;
            if (v < loV) loV = v;
        }
        plot.dataMaximum = hiV;
        plot.dataMinimum = loV;
        if (plot.locked) {
            if (hiV > plot.displayMaximum) plot.displayMaximum = hiV;
            if (loV < plot.displayMinimum) plot.displayMinimum = loV;
        } else {
            plot.displayMaximum = hiV;
            plot.displayMinimum = loV;
        }
    }
}

}  // namespace curvella
