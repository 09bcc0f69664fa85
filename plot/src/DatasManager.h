// The measured rows and the rows inside the time window.
#pragma once
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "curvella/CoordsSysEngine.h"

#include "Plot.h"

namespace curvella {

// Lowest and highest finite value of one series over a run of rows, with
// the first row holding each.
struct Extremes {
    bool any = false;
    double low = 0, high = 0;
    std::size_t lowAt = 0, highAt = 0;
};

// Rows kept column-free: one time per row and all values back to back, so a
// year of minute rows costs no allocation per row. Or rows read in place
// from the client's store (setSource), nothing copied.
class RowStore {
public:
    void clear();
    void append(std::int64_t time, const double* values, int count);
    // Rows read from `source` from now on (null: none); drops appended rows.
    void setSource(std::shared_ptr<const CoordsSysRows> source);
    bool external() const { return source_ != nullptr; }
    std::size_t size() const { return source_ ? sourceRows_ : times_.size(); }
    bool empty() const { return size() == 0; }
    std::int64_t time(std::size_t r) const { return source_ ? source_->RowTime(r) : times_[r]; }
    int valueCount(std::size_t r) const {
        return source_ ? sourceValues_ : static_cast<int>(offsets_[r + 1] - offsets_[r]);
    }
    // Value k of row r; NaN when the row holds fewer values.
    double value(std::size_t r, int k) const {
        if (source_) return k >= 0 && k < sourceValues_ ? source_->RowValue(r, k) : NAN;
        const std::size_t o = offsets_[r] + static_cast<std::size_t>(k);
        return k >= 0 && o < offsets_[r + 1] ? values_[o] : NAN;
    }
    // True while every row came at or after the one before it.
    bool ascending() const { return source_ ? sourceAscending_ : ascending_; }
    // Changes whenever rows are added or dropped.
    std::uint64_t generation() const { return generation_; }

    // Extremes of value k over rows [begin, end). Blocks of rows keep their
    // own extremes (each made on its first use after a change), so a long
    // run costs its block count plus two partial blocks, not its row count,
    // and a short window of a long result reads only its own blocks.
    Extremes extremes(int k, std::size_t begin, std::size_t end) const;
    static constexpr std::size_t kBlock = 64;

private:
    std::vector<std::int64_t> times_;
    std::vector<std::size_t> offsets_{0};
    std::vector<double> values_;
    bool ascending_ = true;
    std::uint64_t generation_ = 0;

    std::shared_ptr<const CoordsSysRows> source_;
    std::size_t sourceRows_ = 0;
    int sourceValues_ = 0;
    bool sourceAscending_ = true;

    void scan(int k, std::size_t begin, std::size_t end, Extremes& into) const;
    const Extremes& block(int k, std::size_t i) const;
    // Blocks in pages of kPage, each page made on first use: a window of a
    // long result allocates only the pages it reads.
    static constexpr std::size_t kPage = 1024;
    struct BlockPage {
        Extremes extremes[kPage];
        bool made[kPage] = {};
    };
    struct BlockCache {
        std::vector<std::unique_ptr<BlockPage>> pages;
    };
    mutable std::vector<BlockCache> blocks_;  // by value index
    mutable std::uint64_t blocksGeneration_ = 0;
};

// A run of consecutive rows [begin, end) of a store.
class RowSpan {
public:
    RowSpan() = default;
    RowSpan(const RowStore* store, std::size_t begin, std::size_t end) : store_(store), begin_(begin), end_(end) {}
    std::size_t size() const { return end_ - begin_; }
    bool empty() const { return size() == 0; }
    std::int64_t time(std::size_t i) const { return store_->time(begin_ + i); }
    double value(std::size_t i, int k) const { return store_->value(begin_ + i, k); }
    int valueCount(std::size_t i) const { return store_->valueCount(begin_ + i); }
    const RowStore* store() const { return store_; }
    std::size_t begin() const { return begin_; }

private:
    const RowStore* store_ = nullptr;
    std::size_t begin_ = 0, end_ = 0;
};

class DatasManager {
public:
    virtual ~DatasManager() = default;

    // Appends a row of local calendar time; false (nothing stored) when the
    // fields are out of range or name no existing time.
    bool addRow(int year, int month, int day, int hour, int minute, int second, const double* values, int count);
    void addRowAt(std::int64_t time, const double* values, int count);
    void setSource(std::shared_ptr<const CoordsSysRows> source);
    void clear();

    const RowStore& rows() const { return rows_; }
    // The rows inside the window of the last cutWindow.
    RowSpan windowRows() const { return RowSpan(&rows_, winBegin_, winEnd_); }

    // Cuts out the rows in [start, end] and refits the ranges of every plot
    // without a fixed range: unlocked plots follow the window's data, locked
    // ones only widen. A window without rows changes no range.
    void cutWindow(std::int64_t start, std::int64_t end, std::vector<Plot>& plots);

private:
    RowStore rows_;
    std::size_t winBegin_ = 0, winEnd_ = 0;
};

}  // namespace curvella
