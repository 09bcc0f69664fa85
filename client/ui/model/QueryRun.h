#pragma once
// One query of a history or statistics view, as its worker thread runs it:
// the rows from the database and the plot's reading of them, or why there
// are none. Window-free; the view posts the outcome to its own thread.
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "db/EMDeviceData.h"
#include "db/ResultStore.h"
#include "ui/model/ResultPlotRows.h"
#include "ui/model/ResultSeries.h"

namespace quorvel::ui {

// The query itself, made on the user-interface thread; it must not reach
// into the view.
using QueryWork = std::function<std::unique_ptr<ResultStore>(EMDeviceData& data, std::time_t start, std::time_t end)>;

struct QueryResult {
    std::shared_ptr<const ResultStore> rows;
    std::shared_ptr<const ResultPlotRows> plotRows;
    double queryMs = 0;  // in the database and preparing the rows
    std::string error;   // non-empty: the query failed and rows/plotRows are empty
};

// Runs work; a failure (one the query reports, an exception, also running
// out of memory, which must not end the program from a worker thread)
// leaves no rows: a part of a result is never shown or exported as if it
// were all of it.
QueryResult runQuery(const QueryWork& work, EMDeviceData& data, std::time_t start, std::time_t end,
                     const SeriesKind& kind);

}  // namespace quorvel::ui
