#pragma once
// The plot's view of a result store: the rows whose time the plot can
// place (as AddDatas would have taken them), the values of the plotted items
// read in place. Built on the worker thread (one pass over the times), then
// read by the plot on the user-interface thread. Window-free.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <curvella/CoordsSysEngine.h>

#include "db/ResultStore.h"
#include "ui/model/ResultSeries.h"

namespace quorvel::ui {

class ResultPlotRows final : public CoordsSysRows {
public:
    ResultPlotRows(std::shared_ptr<const ResultStore> store, const SeriesKind& kind);

    std::size_t RowCount() const override { return rowMap_.empty() ? rows_ : rowMap_.size(); }
    std::int64_t RowTime(std::size_t r) const override;
    bool RowsAscending() const override { return ascending_; }
    int ValueCount() const override { return static_cast<int>(plotted_.size()); }
    double RowValue(std::size_t r, int k) const override;

    // Store rows left out (their time cannot be placed).
    std::size_t SkippedRows() const { return store_->size() - RowCount(); }
    // The store row shown as plot row r.
    std::size_t StoreRow(std::size_t r) const { return rowMap_.empty() ? r : rowMap_[r]; }

private:
    // Seconds of a store row's time; false when it has none the plot takes.
    bool storeTime(std::size_t row, std::int64_t& out) const;

    std::shared_ptr<const ResultStore> store_;
    SeriesKind kind_;
    std::vector<std::size_t> plotted_;    // store columns with a curve
    std::size_t rows_ = 0;
    std::vector<std::uint32_t> rowMap_;  // empty: every store row, in order
    bool ascending_ = true;

    // Local midnights of recent days: a day without a clock change maps its
    // times by adding seconds, any other day asks the calendar each time.
    struct Day {
        std::int64_t key = -1;
        std::int64_t midnight = 0;
        bool uniform = false;
        bool valid = false;
    };
    mutable std::array<Day, 512> days_{};
};

}  // namespace quorvel::ui
