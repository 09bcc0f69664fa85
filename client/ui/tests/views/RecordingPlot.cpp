#include "RecordingPlot.h"

#include <ctime>

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
    // Rows read in place are recorded as AddDatas would have seen them.
    void SetDatas(std::shared_ptr<const CoordsSysRows> rows) override
    {
        log_->rows.clear();
        for (std::size_t r = 0; rows && r < rows->RowCount(); ++r) {
            const std::time_t t = static_cast<std::time_t>(rows->RowTime(r));
            std::tm tm{};
            localtime_r(&t, &tm);
            std::vector<double> values;
            for (int k = 0; k < rows->ValueCount(); ++k)
                values.push_back(rows->RowValue(r, k));
            log_->rows.push_back(
                {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}, std::move(values)});
        }
        ++log_->setDatas;
        ++log_->updateDatas;  // SetDatas fits the axes as UpdateDatas does
        real_->SetDatas(std::move(rows));
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
