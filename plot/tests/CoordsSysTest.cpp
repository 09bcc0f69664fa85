#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "LocalTime.h"
#include "RecordingDrawHandler.h"

using namespace curvella;
using curvella::test::RecordingEngine;

namespace {

void addThree(CoordsSys& e) {
    e.AddPlot("A", "℃", 0x0000FF, 1000, 0, false, false);
    e.AddPlot("B", "%", 0x00FF00, 1000, 0, false, false);
    e.AddPlot("C", "℃", 0xFF0000, 1000, 0, false, true);
}

void addRow(CoordsSys& e, int day, int hour, std::vector<double> v) {
    ASSERT_TRUE(e.AddDatas(2014, 7, day, hour, 0, 0, v.data(), static_cast<int>(v.size())));
}

}  // namespace

TEST(CoordsSysWindow, OperationsWithoutWindowDoNothingButRowsAreKept) {
    int made = 0;
    CoordsSys e([&](CoordsSys&) -> DrawHandler* {
        ++made;
        return nullptr;
    });
    e.AddPlot("A", "V", 1, 1000, 0, false, false);
    e.HideWnd();
    e.ShowWnd();
    e.MoveWnd(0, 0, 10, 10);
    e.InitPlots();
    e.UpdateDatas();
    e.toggleSeries(0);
    e.nextPage();
    const double v = 5;
    EXPECT_TRUE(e.AddDatas(2014, 7, 19, 1, 0, 0, &v, 1));
    EXPECT_FALSE(e.AddDatas(2014, 7, 19, 1, 0, 0, nullptr, 1));
    e.ClearDatas();
    EXPECT_EQ(e.datas().rows().size(), 1u);
    EXPECT_EQ(e.leftPlot(), -1);
    EXPECT_TRUE(e.selection().empty());
    e.CreateWnd(nullptr, 0, 0, 1, 1);
    EXPECT_EQ(made, 1);
}

TEST(CoordsSysWindow, CreateWndMakesTheWindowOnce) {
    RecordingEngine r;
    r.engine.CreateWnd(nullptr, 1, 2, 3, 4);
    EXPECT_EQ(r.window->createCount, 2);  // forwarded; the window ignores it
    EXPECT_EQ(r.engine.window(), r.window);
}

TEST(CoordsSysInit, NoPlotsDoesNothingThenWorksAfterAddPlot) {
    RecordingEngine r;
    r.window->clear();
    r.engine.InitPlots();
    EXPECT_TRUE(r.window->calls.empty());
    addThree(r.engine);
    r.engine.InitPlots();
    ASSERT_EQ(r.window->items.size(), 3u);
    EXPECT_EQ(r.window->items[2], (std::pair<int, std::string>{2, "C"}));
    EXPECT_EQ(r.window->itemColours[1], 0x00FF00u);
    EXPECT_EQ(r.engine.leftPlot(), 0);
    EXPECT_EQ(r.engine.selection(), std::vector<int>{0});
    EXPECT_EQ(r.window->leftCaption, "A");
    EXPECT_EQ(r.window->leftUnit, "℃");
    EXPECT_EQ(r.window->leftColour, 0x0000FFu);
    EXPECT_EQ(r.window->calls.back(), "HideRightGroup");
    // Without rows the scale shows the day after today.
    const std::int64_t tomorrow = localMidnight(static_cast<std::int64_t>(std::time(nullptr))) + 86400;
    EXPECT_EQ(r.window->dateText, XScale::longDayLabel(tomorrow));
    EXPECT_EQ(r.window->spanText, "1天");

    // A second InitPlots starts over instead of selecting plot 0 twice.
    r.engine.toggleSeries(1);
    r.engine.InitPlots();
    EXPECT_EQ(r.engine.selection(), std::vector<int>{0});
    EXPECT_EQ(r.engine.rightPlot(), -1);
}

TEST(CoordsSysUpdate, NoRowsDoesNotRedrawAtOnce) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();
    const int before = r.window->redraws;
    r.engine.UpdateDatas();
    EXPECT_EQ(r.window->redraws, before);
    addRow(r.engine, 19, 10, {12, 50, 1});
    addRow(r.engine, 19, 14, {87, 50, 3});
    r.engine.UpdateDatas();
    EXPECT_EQ(r.window->redraws, before + 1);
    EXPECT_EQ(r.window->dateText, "周六 2014 七月 19");
    EXPECT_TRUE(r.window->leftGroup);
    EXPECT_DOUBLE_EQ(r.window->leftAxis.bottom, 10);
    EXPECT_DOUBLE_EQ(r.window->leftAxis.top, 90);
    EXPECT_EQ(r.window->curves.rows, 2u);
}

TEST(CoordsSysSelection, ThirdSeriesTakesOverTheLeftAxis) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();  // A left
    r.engine.toggleSeries(1);
    EXPECT_EQ(r.engine.rightPlot(), 1);
    EXPECT_TRUE(r.window->rightGroup);
    EXPECT_EQ(r.window->rightCaption, "B");
    EXPECT_EQ(r.window->rightColour, 0x00FF00u);
    r.engine.toggleSeries(2);
    EXPECT_EQ(r.engine.leftPlot(), 2);
    EXPECT_EQ(r.engine.rightPlot(), 1);
    EXPECT_EQ(r.window->leftCaption, "C");
    EXPECT_EQ(r.engine.selection(), (std::vector<int>{0, 1, 2}));
}

TEST(CoordsSysSelection, UntickingHandsAxesOver) {
    {
        RecordingEngine r;
        addThree(r.engine);
        r.engine.InitPlots();
        r.engine.toggleSeries(1);
        r.engine.toggleSeries(2);  // left C, right B
        r.engine.toggleSeries(2);  // untick C: left goes to the last selected, B
        EXPECT_EQ(r.engine.leftPlot(), 1);
        EXPECT_EQ(r.engine.rightPlot(), 1);
        EXPECT_EQ(r.window->leftCaption, "B");
        EXPECT_EQ(r.window->rightCaption, "B");
    }
    {
        RecordingEngine r;
        addThree(r.engine);
        r.engine.InitPlots();
        r.engine.toggleSeries(1);
        r.engine.toggleSeries(2);
        r.engine.toggleSeries(1);  // untick B: right goes to the first selected, A
        EXPECT_EQ(r.engine.leftPlot(), 2);
        EXPECT_EQ(r.engine.rightPlot(), 0);
        EXPECT_EQ(r.window->rightCaption, "A");
        EXPECT_EQ(r.window->rightUnit, "℃");
    }
}

TEST(CoordsSysSelection, DownToOneSeriesClearsTheRightSide) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();
    r.engine.toggleSeries(1);
    r.engine.toggleLeftLock();
    EXPECT_EQ(r.window->leftLock, "L");
    r.engine.toggleSeries(0);  // untick A (left): B remains on both... then right cleared
    EXPECT_EQ(r.engine.selection(), std::vector<int>{1});
    EXPECT_EQ(r.engine.leftPlot(), 1);
    EXPECT_EQ(r.engine.rightPlot(), -1);
    EXPECT_FALSE(r.window->rightGroup);
    EXPECT_EQ(r.window->rightCaption, "");
    EXPECT_EQ(r.window->rightColour, 0u);
    EXPECT_EQ(r.window->rightLock, "U");
    EXPECT_EQ(r.window->leftLock, "U");  // B is not locked
    EXPECT_TRUE(r.window->leftGroup);
}

TEST(CoordsSysSelection, UntickingTheLastEmptiesThePlot) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();
    r.window->clear();
    r.engine.toggleSeries(0);
    EXPECT_EQ(r.engine.leftPlot(), -1);
    EXPECT_FALSE(r.window->leftGroup);
    EXPECT_EQ(r.window->leftCaption, "");
    EXPECT_EQ(r.window->leftColour, 0u);
    const std::vector<std::string> tail(r.window->calls.end() - 5, r.window->calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"RequestRedraw", "DrawBackground", "Hook14", "Hook11", "Hook16"}));
    r.engine.toggleSeries(2);  // back from empty: the new series owns the left axis
    EXPECT_EQ(r.engine.leftPlot(), 2);
    EXPECT_TRUE(r.window->leftGroup);
}

TEST(CoordsSysSelection, MenusListSelectedPlotsAndIgnoreTheCurrentChoice) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();
    r.engine.toggleSeries(2);
    r.engine.toggleSeries(1);
    r.engine.popupLeftMenu();
    EXPECT_EQ(r.window->menuItems, (IndexCaptions{{0, "A"}, {2, "C"}, {1, "B"}}));
    EXPECT_EQ(r.engine.leftPlot(), 1);  // B, the third ticked
    r.window->clear();
    r.engine.chooseLeftPlot(1);  // the current left plot again: nothing at all
    EXPECT_TRUE(r.window->calls.empty());
    const int redraws = r.window->redraws;
    r.engine.chooseRightPlot(0);
    EXPECT_EQ(r.engine.rightPlot(), 0);
    EXPECT_EQ(r.window->rightCaption, "A");
    EXPECT_EQ(r.window->redraws, redraws + 1);
    r.engine.popupSpanMenu();
    EXPECT_EQ(r.window->menu, (std::vector<std::string>{"1小时", "4小时", "8小时", "12小时", "1天", "3天", "周",
                                                         "月", "年"}));
}

TEST(CoordsSysRedraw, TwoUnitsTwoAxesAndCurvesInSelectionOrder) {
    RecordingEngine r;
    addThree(r.engine);
    addRow(r.engine, 19, 10, {12, 0.5, 40});
    addRow(r.engine, 19, 14, {87, 0.9, 30});
    r.engine.InitPlots();
    r.engine.toggleSeries(1);
    r.engine.toggleSeries(2);
    r.window->clear();
    r.engine.Redraw();
    EXPECT_EQ(r.window->calls, (std::vector<std::string>{"DrawBackground", "DrawTimeAxis", "DrawLeftAxis",
                                                          "DrawRightAxis", "DrawCurves"}));
    EXPECT_EQ(r.window->timeSpan, 4);
    EXPECT_EQ(r.window->timeLabels.size(), 25u);
    // Left is C (℃, shared with A: 12..87), right is B (%).
    EXPECT_DOUBLE_EQ(r.window->leftAxis.bottom, 10);
    EXPECT_DOUBLE_EQ(r.window->leftAxis.top, 90);
    EXPECT_DOUBLE_EQ(r.window->rightAxis.step, 0.05);
    ASSERT_EQ(r.window->curves.series.size(), 3u);
    EXPECT_EQ(r.window->curves.series[0].plotIndex, 0);
    EXPECT_EQ(r.window->curves.series[2].plotIndex, 2);
    EXPECT_TRUE(r.window->curves.series[2].bar);
    EXPECT_EQ(r.window->curves.series[1].colour, 0x00FF00u);
    EXPECT_DOUBLE_EQ(r.window->curves.series[2].record.top, 90);
    EXPECT_EQ(r.window->curves.start, localTimeOrThrow(2014, 7, 19, 0, 0, 0));
}

TEST(CoordsSysSpan, PlusAtShortestAndMinusAtLongestStillRefresh) {
    RecordingEngine r;
    addThree(r.engine);
    addRow(r.engine, 19, 10, {1, 2, 3});
    r.engine.InitPlots();
    r.engine.changeSpan(0);
    r.window->clear();
    r.engine.shorterSpan();
    EXPECT_EQ(r.engine.xScale().span(), 0);
    EXPECT_TRUE(r.window->called("SetSpanText 1小时"));
    EXPECT_TRUE(r.window->called("RequestRedraw"));
    r.engine.changeSpan(8);
    r.window->clear();
    r.engine.longerSpan();
    EXPECT_EQ(r.engine.xScale().span(), 8);
    EXPECT_TRUE(r.window->called("SetSpanText 年"));
    EXPECT_TRUE(r.window->called("RequestRedraw"));
    r.engine.shorterSpan();
    EXPECT_EQ(r.window->spanText, "月");
}

TEST(CoordsSysPaging, RefusedPagesKeepTheWindowAndDateJumps) {
    RecordingEngine r;
    addThree(r.engine);
    addRow(r.engine, 17, 10, {1, 2, 3});
    addRow(r.engine, 19, 10, {4, 5, 6});
    r.engine.InitPlots();
    r.engine.nextPage();
    EXPECT_EQ(r.engine.xScale().windowStart(), localTimeOrThrow(2014, 7, 19, 0, 0, 0));
    r.engine.previousPage();
    EXPECT_EQ(r.window->dateText, "周五 2014 七月 18");
    EXPECT_EQ(r.window->curves.rows, 0u);  // no row on the 18th: nothing drawn
    r.window->dateAnswer = 0;
    r.engine.selectDate();
    EXPECT_EQ(r.window->dateLabels, (std::vector<std::string>{"14/07/17", "14/07/18", "14/07/19"}));
    EXPECT_EQ(r.window->dateText, "周四 2014 七月 17");
    EXPECT_EQ(r.window->curves.rows, 1u);
    r.window->dateAnswer = -1;
    r.window->clear();
    r.engine.selectDate();  // cancelled: nothing changes
    EXPECT_EQ(r.window->calls, std::vector<std::string>{"SelectDate"});
}

TEST(CoordsSysLock, LockedRangeWidensAndUnlockReturnsToData) {
    RecordingEngine r;
    r.engine.AddPlot("A", "V", 1, 1000, 0, false, false);
    addRow(r.engine, 18, 10, {200});
    addRow(r.engine, 19, 10, {12});
    addRow(r.engine, 19, 11, {87});
    r.engine.InitPlots();
    EXPECT_DOUBLE_EQ(r.window->leftAxis.top, 90);
    r.engine.toggleLeftLock();
    EXPECT_EQ(r.window->leftLock, "L");
    r.engine.previousPage();  // the 18th: 200 widens the locked range
    EXPECT_DOUBLE_EQ(r.engine.plots()[0].displayMaximum, 200);
    EXPECT_DOUBLE_EQ(r.engine.plots()[0].displayMinimum, 12);
    r.engine.nextPage();  // back: does not shrink
    EXPECT_DOUBLE_EQ(r.engine.plots()[0].displayMaximum, 200);
    EXPECT_DOUBLE_EQ(r.window->leftAxis.top, 200);
    r.engine.toggleLeftLock();
    EXPECT_EQ(r.window->leftLock, "U");
    EXPECT_DOUBLE_EQ(r.engine.plots()[0].displayMaximum, 87);
    EXPECT_DOUBLE_EQ(r.window->leftAxis.top, 90);
    r.engine.toggleRightLock();  // no right plot: nothing
    EXPECT_EQ(r.window->rightLock, "U");
}

TEST(CoordsSysPlots, ManySeriesAndPlotsAddedAfterInit) {
    RecordingEngine r;
    for (int i = 0; i < 70; ++i) r.engine.AddPlot(("S" + std::to_string(i)).c_str(), "V", i, 1000, 0, false, false);
    r.engine.InitPlots();
    r.engine.toggleSeries(69);
    EXPECT_EQ(r.engine.rightPlot(), 69);
    r.engine.chooseLeftPlot(69);
    EXPECT_EQ(r.engine.leftPlot(), 69);
    // Adding a series later must not disturb the selection.
    r.engine.AddPlot("late", "V", 0, 1000, 0, false, false);
    r.engine.toggleSeries(70);
    EXPECT_EQ(r.engine.selection(), (std::vector<int>{0, 69, 70}));
    EXPECT_EQ(r.window->leftCaption, "late");
    r.engine.toggleSeries(-1);
    r.engine.toggleSeries(71);
    EXPECT_EQ(r.engine.selection().size(), 3u);
}

namespace {

class TwoDays : public CoordsSysRows {
public:
    std::size_t RowCount() const override { return 48; }
    std::int64_t RowTime(std::size_t r) const override {
        return localTimeOrThrow(2014, 7, 19, 0, 0, 0) + static_cast<std::int64_t>(r) * 3600;
    }
    bool RowsAscending() const override { return true; }
    int ValueCount() const override { return 2; }
    double RowValue(std::size_t r, int k) const override { return static_cast<double>(r) * (k + 1); }
};

}  // namespace

// Rows read in place: the axis fits them at once, the window's rows come from
// them, AddDatas is refused while they are held, ClearDatas lets them go.
TEST(CoordsSysRowsInPlace, SetDatasFitsReadsAndClearDatasReleases) {
    RecordingEngine r;
    addThree(r.engine);
    r.engine.InitPlots();
    auto rows = std::make_shared<TwoDays>();
    r.engine.SetDatas(rows);
    EXPECT_EQ(rows.use_count(), 2);
    EXPECT_EQ(r.engine.xScale().windowStart(), localTimeOrThrow(2014, 7, 20, 0, 0, 0));  // the last day
    const RowSpan window = r.engine.datas().windowRows();
    ASSERT_EQ(window.size(), 24u);
    EXPECT_EQ(window.value(0, 1), 48.0);  // row 24, second value
    EXPECT_EQ(r.engine.plots()[0].displayMaximum, 47.0);
    EXPECT_EQ(r.engine.plots()[0].displayMinimum, 24.0);
    const double v = 1;
    EXPECT_FALSE(r.engine.AddDatas(2014, 7, 21, 0, 0, 0, &v, 1));
    EXPECT_EQ(r.engine.datas().rows().size(), 48u);

    r.engine.ClearDatas();
    EXPECT_EQ(rows.use_count(), 1);
    EXPECT_TRUE(r.engine.AddDatas(2014, 7, 21, 0, 0, 0, &v, 1));
    EXPECT_EQ(r.engine.datas().rows().size(), 1u);
}
