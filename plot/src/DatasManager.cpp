#include "DatasManager.h"

#include <algorithm>

#include "LocalTime.h"

namespace curvella {

void RowStore::clear() {
    source_.reset();
    sourceRows_ = 0;
    sourceValues_ = 0;
    sourceAscending_ = true;
    times_.clear();
    offsets_.assign(1, 0);
    values_.clear();
    ascending_ = true;
    ++generation_;
}

void RowStore::setSource(std::shared_ptr<const CoordsSysRows> source) {
    clear();
    times_.shrink_to_fit();
    offsets_.shrink_to_fit();
    values_.shrink_to_fit();
    if (!source) return;
    sourceRows_ = source->RowCount();
    sourceValues_ = std::max(0, source->ValueCount());
    sourceAscending_ = source->RowsAscending();
    source_ = std::move(source);
}

void RowStore::append(std::int64_t time, const double* values, int count) {
    if (!times_.empty() && time < times_.back()) ascending_ = false;
    times_.push_back(time);
    if (values && count > 0) values_.insert(values_.end(), values, values + count);
    offsets_.push_back(values_.size());
    ++generation_;
}

namespace {

// Folds b (rows after a's) into a; the first row wins ties.
void merge(Extremes& a, const Extremes& b) {
    if (!b.any) return;
    if (!a.any) {
        a = b;
        return;
    }
    if (b.low < a.low) {
        a.low = b.low;
        a.lowAt = b.lowAt;
    }
    if (b.high > a.high) {
        a.high = b.high;
        a.highAt = b.highAt;
    }
}

}  // namespace

void RowStore::scan(int k, std::size_t begin, std::size_t end, Extremes& into) const {
    for (std::size_t r = begin; r < end; ++r) {
        const double v = value(r, k);
        if (!std::isfinite(v)) continue;
        if (!into.any) {
            into = {true, v, v, r, r};
        } else if (v < into.low) {
            into.low = v;
            into.lowAt = r;
        } else if (v > into.high) {
            into.high = v;
            into.highAt = r;
        }
    }
}

const Extremes& RowStore::block(int k, std::size_t i) const {
    if (blocksGeneration_ != generation_) {
        blocks_.clear();
        blocksGeneration_ = generation_;
    }
    const std::size_t index = static_cast<std::size_t>(k);
    if (blocks_.size() <= index) blocks_.resize(index + 1);
    BlockCache& b = blocks_[index];
    if (b.pages.empty()) b.pages.resize((size() + kBlock * kPage - 1) / (kBlock * kPage));
    std::unique_ptr<BlockPage>& page = b.pages[i / kPage];
    if (!page) page = std::make_unique<BlockPage>();
    const std::size_t j = i % kPage;
    if (!page->made[j]) {
        scan(k, i * kBlock, std::min(size(), (i + 1) * kBlock), page->extremes[j]);
        page->made[j] = true;
    }
    return page->extremes[j];
}

Extremes RowStore::extremes(int k, std::size_t begin, std::size_t end) const {
    Extremes e;
    end = std::min(end, size());
    if (k < 0 || begin >= end) return e;
    const std::size_t firstFull = (begin + kBlock - 1) / kBlock, lastFull = end / kBlock;
    if (firstFull >= lastFull) {  // no whole block inside
        scan(k, begin, end, e);
        return e;
    }
    scan(k, begin, firstFull * kBlock, e);
    for (std::size_t i = firstFull; i < lastFull; ++i) merge(e, block(k, i));
    Extremes tail;
    scan(k, lastFull * kBlock, end, tail);
    merge(e, tail);
    return e;
}

bool DatasManager::addRow(int year, int month, int day, int hour, int minute, int second, const double* values,
                          int count) {
    const auto t = makeLocalTime(year, month, day, hour, minute, second);
    if (!t) return false;
    addRowAt(*t, values, count);
    return true;
}

void DatasManager::addRowAt(std::int64_t time, const double* values, int count) { rows_.append(time, values, count); }

void DatasManager::setSource(std::shared_ptr<const CoordsSysRows> source) {
    rows_.setSource(std::move(source));
    winBegin_ = winEnd_ = 0;
}

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
        // Starting from -1e9 / 1e9 as the range fitting always has: a window
        // without a value for the plot leaves it inverted (no axis labels).
        const Extremes e = rows_.extremes(static_cast<int>(p), s, eExcl);
        const double hiV = e.any ? std::max(e.high, -1e9) : -1e9;
        const double loV = e.any ? std::min(e.low, 1e9) : 1e9;
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
