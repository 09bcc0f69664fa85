#include "RecordingPlot.h"

#include "ui/ViewQueryBase.h"

namespace {

class RecordingPlot final : public CoordsSysEngine {
public:
    RecordingPlot(CoordsSysEngine* real, std::shared_ptr<PlotLog> log) : real_(real), log_(std::move(log)) {}
    ~RecordingPlot() override
    {
        log_->released = true;
        releaseCoordsSys(real_);
    }

    void CreateWnd(wxWindow* parent, int l, int t, int r, int b) override
    {
        ++log_->createWnd;
        real_->CreateWnd(parent, l, t, r, b);
    }
    void HideWnd() override
    {
        ++log_->hideWnd;
        real_->HideWnd();
    }
    void ShowWnd() override
    {
        ++log_->showWnd;
        real_->ShowWnd();
    }
    void AddPlot(const char* caption, const char* unit, int colour, double maxValue, double minValue,
                 bool fixedRange, bool barStyle) override
    {
        log_->series.push_back({caption, unit, colour});
        real_->AddPlot(caption, unit, colour, maxValue, minValue, fixedRange, barStyle);
    }
    void MoveWnd(int l, int t, int r, int b) override { real_->MoveWnd(l, t, r, b); }
    void InitPlots() override
    {
        ++log_->initPlots;
        real_->InitPlots();
    }
    void ClearDatas() override
    {
        ++log_->clearDatas;
        log_->rows.clear();
        real_->ClearDatas();
    }
    bool AddDatas(int year, int month, int day, int hour, int minute, int second, const double* values,
                  int count) override
    {
        log_->rows.push_back({{year, month, day, hour, minute, second}, std::vector<double>(values, values + count)});
        return real_->AddDatas(year, month, day, hour, minute, second, values, count);
    }
    void UpdateDatas() override
    {
        ++log_->updateDatas;
        real_->UpdateDatas();
    }

private:
    CoordsSysEngine* real_;
    std::shared_ptr<PlotLog> log_;
};

}  // namespace

std::vector<std::shared_ptr<PlotLog>>& plotLogs()
{
    static std::vector<std::shared_ptr<PlotLog>> logs;
    return logs;
}

void installRecordingPlots()
{
    CViewQueryBase::SetPlotFactory({[]() -> CoordsSysEngine* {
                                        auto log = std::make_shared<PlotLog>();
                                        plotLogs().push_back(log);
                                        return new RecordingPlot(createCoordsSys(), log);
                                    },
                                    [](CoordsSysEngine* plot) { delete plot; }});
}
