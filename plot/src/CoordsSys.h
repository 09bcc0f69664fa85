// The engine behind CoordsSysEngine: series, selection, axes assignment,
// time window and the redraw sequence.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "DatasManager.h"
#include "DrawHandler.h"
#include "Plot.h"
#include "XScale.h"
#include "YScale.h"
#include "curvella/CoordsSysEngine.h"

namespace curvella {

class CoordsSys : public CoordsSysEngine {
public:
    // Makes the window object on the first CreateWnd.
    using WindowFactory = std::function<DrawHandler*(CoordsSys&)>;

    explicit CoordsSys(WindowFactory factory);
    ~CoordsSys() override;
    CoordsSys(const CoordsSys&) = delete;
    CoordsSys& operator=(const CoordsSys&) = delete;

    void CreateWnd(wxWindow* parent, int left, int top, int right, int bottom) override;
    void HideWnd() override;
    void ShowWnd() override;
    void AddPlot(const char* caption, const char* unit, int colour, double maxValue, double minValue,
                 bool fixedRange, bool barStyle) override;
    void MoveWnd(int left, int top, int right, int bottom) override;
    void InitPlots() override;
    void ClearDatas() override;
    bool AddDatas(int year, int month, int day, int hour, int minute, int second, const double* values,
                  int count) override;
    void UpdateDatas() override;
    void SetDatas(std::shared_ptr<const CoordsSysRows> rows) override;

    // Draws the whole plot through the window's drawing operations.
    void Redraw();

    // Actions of the window's buttons, menus and legend.
    void toggleSeries(int index);
    void chooseLeftPlot(int index);
    void chooseRightPlot(int index);
    void toggleLeftLock();
    void toggleRightLock();
    void shorterSpan();   // "+"
    void longerSpan();    // "-"
    void changeSpan(int span);
    void popupSpanMenu();
    void popupLeftMenu();
    void popupRightMenu();
    void previousPage();
    void nextPage();
    void selectDate();

    // The window tells the engine it is gone (its parent destroyed it).
    void windowDestroyed(DrawHandler* window);

    // Rows appended without calendar conversion (benchmarks, tests).
    void addRowAt(std::int64_t time, const double* values, int count) { datas_.addRowAt(time, values, count); }

    const std::vector<Plot>& plots() const { return plots_; }
    std::vector<int> selection() const;
    int leftPlot() const { return left_; }
    int rightPlot() const { return right_; }
    const XScale& xScale() const { return xScale_; }
    const YScale& yScale() const { return yScale_; }
    const DatasManager& datas() const { return datas_; }
    DrawHandler* window() const { return window_; }

private:
    void commonRefresh();
    void cutAndRescale();
    void rebuildScale();
    void assignLeft(int index);
    void assignRight(int index);
    void setSideTitle(bool left, const Plot* p);
    IndexCaptions selectedItems() const;

    WindowFactory factory_;
    DrawHandler* window_ = nullptr;
    DatasManager datas_;
    XScale xScale_;
    YScale yScale_;
    std::vector<Plot> plots_;
    std::vector<int> selection_;  // plot indexes in order of selection
    int left_ = -1, right_ = -1;
};

}  // namespace curvella
