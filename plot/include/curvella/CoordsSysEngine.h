// Curvella — the history plot window.
//
// A client view creates one plot per device with createCoordsSys(), declares
// one series per measured channel with AddPlot(), feeds rows with AddDatas()
// and calls UpdateDatas(); the plot window pages through the days with its
// own toolbar. The engine is released with releaseCoordsSys(), never with
// delete, so it is always freed by the library that made it.
//
// Text: every `const char*` text argument (captions, units) is UTF-8. The
// client converts its GBK texts at its boundary before calling in.
// Colours: 32-bit values 0x00BBGGRR (red in the low byte).
// Threads: every operation runs on the user-interface thread.
#pragma once

#if defined(CURVELLA_BUILDING)
#define CURVELLA_API __attribute__((visibility("default")))
#else
#define CURVELLA_API
#endif

#include <cstddef>
#include <cstdint>
#include <memory>

class wxWindow;

// Rows the plot reads in place from the client's own result, so that a
// table and its curves share one store instead of the plot keeping copies.
// Read on the user-interface thread only, for as long as the plot holds them.
class CoordsSysRows {
public:
    virtual ~CoordsSysRows() = default;
    virtual std::size_t RowCount() const = 0;
    // Seconds since 1970 of row r, as AddDatas makes them of a local
    // calendar time.
    virtual std::int64_t RowTime(std::size_t r) const = 0;
    // True when no row's time is before the time of the row above it.
    virtual bool RowsAscending() const = 0;
    // Values per row (the first series first); NaN values are not drawn.
    virtual int ValueCount() const = 0;
    virtual double RowValue(std::size_t r, int k) const = 0;
};

// The plot as the client sees it. Operations that need the window
// (HideWnd, ShowWnd, MoveWnd, InitPlots, ClearDatas, UpdateDatas) do nothing
// before the first CreateWnd; AddPlot and AddDatas work without it.
class CoordsSysEngine {
public:
    virtual ~CoordsSysEngine() = default;

    // Creates the plot window as a child of `parent`, in that rectangle
    // (parent client coordinates, right/bottom exclusive). Later calls
    // change nothing.
    virtual void CreateWnd(wxWindow* parent, int left, int top, int right, int bottom) = 0;
    virtual void HideWnd() = 0;
    virtual void ShowWnd() = 0;

    // Declares one series; its index is the number of series declared before
    // it, and also the position of its value in every row. Series with the
    // same unit text share one value axis. With fixedRange the range
    // [minValue, maxValue] is kept for good; barStyle draws bars.
    virtual void AddPlot(const char* caption, const char* unit, int colour,
                         double maxValue, double minValue,
                         bool fixedRange, bool barStyle) = 0;

    // Moves/resizes the plot window and lays it out again.
    virtual void MoveWnd(int left, int top, int right, int bottom) = 0;

    // Builds the legend and shows the first series (nothing without series).
    virtual void InitPlots() = 0;

    // Drops every row and redraws.
    virtual void ClearDatas() = 0;

    // Appends one row (local calendar time; month 1-12, day 1-31) holding
    // the first `count` values. Rows are expected in ascending time. Returns
    // false, storing nothing, when a field is out of range (year < 1900,
    // month, day, hour, minute or second outside its range) or the time does
    // not exist. A row may hold fewer values than there are series: the
    // missing values are not drawn.
    virtual bool AddDatas(int year, int month, int day, int hour, int minute, int second,
                          const double* values, int count) = 0;

    // Replaces every row by the rows of `rows`, read in place until the next
    // SetDatas or ClearDatas; then fits the time axis as UpdateDatas does.
    // AddDatas is refused (false) while such rows are held.
    virtual void SetDatas(std::shared_ptr<const CoordsSysRows> rows) = 0;

    // Fits the time axis to the rows (one-day window on the last day),
    // recomputes the value axes and redraws. Without rows it shows the day
    // after today, empty.
    virtual void UpdateDatas() = 0;
};

extern "C" {
// A new engine without a window; null only when memory runs out.
CURVELLA_API CoordsSysEngine* createCoordsSys();
// Destroys an engine made by createCoordsSys (and its window); anything
// else, including null, is left alone.
CURVELLA_API void releaseCoordsSys(CoordsSysEngine* engine);
}
