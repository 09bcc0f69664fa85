#include "ui/model/QueryRun.h"

#include <chrono>
#include <exception>
#include <new>

namespace quorvel::ui {

QueryResult runQuery(const QueryWork& work, EMDeviceData& data, std::time_t start, std::time_t end,
                     const SeriesKind& kind)
{
    const auto t0 = std::chrono::steady_clock::now();
    QueryResult result;
    try {
        std::shared_ptr<const ResultStore> rows = work(data, start, end);
        if (data.error().empty()) {
            result.plotRows = std::make_shared<ResultPlotRows>(rows, kind);
            result.rows = std::move(rows);
        } else {
            result.error = data.error();
        }
    } catch (const std::bad_alloc&) {
        result.rows.reset();
        result.plotRows.reset();
        result.error = "out of memory";
    } catch (const std::exception& e) {
        result.rows.reset();
        result.plotRows.reset();
        result.error = e.what();
    }
    result.queryMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    return result;
}

}  // namespace quorvel::ui
