// Window-free rules of the history and statistics views.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ui/model/ExportFileName.h"
#include "ui/model/PickerTime.h"
#include "ui/model/ResultSeries.h"
#include "quorvel_test/LocalTime.h"

using namespace quorvel::ui;

namespace {

// Local calendar time -> time_t (the tests run in the machine's zone).
constexpr auto local = localTime;

DataRow row(std::initializer_list<DataCell> cells) { return DataRow(cells); }

}  // namespace

TEST(ExportFileNames, ProposedNamesOfBothViews)
{
    EXPECT_EQ(historyExportFileName("D1", "G", local(2019, 3, 17, 8, 0, 0), local(2019, 3, 24, 8, 0, 0)),
              "D1_G_20190317080000-20190324080000_history.xls");
    EXPECT_EQ(statisticsExportFileName("D1", "G", local(2019, 3, 1, 0, 0, 0), local(2019, 3, 31, 23, 59, 59),
                                       kPeriodDay),
              "D1_G_20190301000000-20190331235959_日_statistics.xls");
    EXPECT_EQ(statisticsExportFileName("泵站一号", "水质", local(2020, 1, 5, 9, 0, 0), local(2020, 1, 5, 10, 0, 0),
                                       kPeriodHour),
              "泵站一号_水质_20200105090000-20200105100000_小时_statistics.xls");
    EXPECT_EQ(statisticsPeriodName(kPeriodMonth), "月");
    EXPECT_EQ(statisticsPeriodName(7), "月");
}

TEST(ExportFileNames, NamesFromTheDatabaseCannotEscapeTheFolder)
{
    EXPECT_EQ(fileNamePart("A/B"), "A_B");
    EXPECT_EQ(fileNamePart("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(fileNamePart(".."), "__");
    EXPECT_EQ(fileNamePart("a\\b:c*d?e\"f<g>h|i"), "a_b_c_d_e_f_g_h_i");
    EXPECT_EQ(fileNamePart(std::string("tab\there\nnul\0x", 14)), "tab_here_nul_x");
    EXPECT_EQ(fileNamePart("温度/湿度 1#"), "温度_湿度 1#"); // multi-byte characters stay whole
    EXPECT_EQ(fileNamePart("v1.2"), "v1.2");
    EXPECT_EQ(historyExportFileName("站/1", "组:A", local(2019, 3, 17, 8, 0, 0), local(2019, 3, 24, 8, 0, 0)),
              "站_1_组_A_20190317080000-20190324080000_history.xls");
}

TEST(PickerText, FormatAndParse)
{
    const std::time_t t = local(2019, 3, 24, 8, 5, 9);
    EXPECT_EQ(pickerText(t), "2019/03/24 08:05:09");
    EXPECT_EQ(parsePickerText("2019/03/24 08:05:09"), t);
    EXPECT_EQ(parsePickerText("2019/3/24 8:05:09"), t);
    EXPECT_EQ(parsePickerText(" 2019/03/24 08:05:09 "), t);
    EXPECT_FALSE(parsePickerText("2019/02/30 00:00:00"));
    EXPECT_FALSE(parsePickerText("2019/03/24 25:00:00"));
    EXPECT_FALSE(parsePickerText("2019-03-24 08:05:09"));
    EXPECT_FALSE(parsePickerText("2019/03/24 08:05:09x"));
    EXPECT_FALSE(parsePickerText(""));
}

TEST(SeriesSelection, WhichItemsGetCurves)
{
    const SeriesKind history = SeriesKind::history();
    const SeriesKind stats = SeriesKind::stats(kPeriodDay);
    for (int type : {0, 1, 2, 3})
        EXPECT_TRUE(isPlotted(type, history)) << type;
    EXPECT_FALSE(isPlotted(100, history));
    EXPECT_FALSE(isPlotted(0, stats));
    EXPECT_FALSE(isPlotted(100, stats));
    for (int type : {1, 2, 3})
        EXPECT_TRUE(isPlotted(type, stats)) << type;
}

TEST(PointTimes, HistoryAndEachPeriod)
{
    EXPECT_EQ(pointTime("2019-3-24 08:05:00", SeriesKind::history()), (PointTime{2019, 3, 24, 8, 5, 0}));
    EXPECT_EQ(pointTime("2020-1-5 9:00:00", SeriesKind::stats(kPeriodHour)), (PointTime{2020, 1, 5, 9, 0, 0}));
    EXPECT_EQ(pointTime("2020-1-5", SeriesKind::stats(kPeriodDay)), (PointTime{2020, 1, 5, 0, 0, 0}));
    EXPECT_EQ(pointTime("2019-3", SeriesKind::stats(kPeriodMonth)), (PointTime{2019, 3, 15, 0, 0, 0}));
    EXPECT_FALSE(pointTime("", SeriesKind::history()));
    EXPECT_FALSE(pointTime("2019-3-24", SeriesKind::history()));
    EXPECT_FALSE(pointTime("2020-1-5 9:30:00", SeriesKind::stats(kPeriodHour)));
    EXPECT_FALSE(pointTime("x", SeriesKind::stats(kPeriodMonth)));
}

TEST(CellNumbers, TextToNumber)
{
    EXPECT_EQ(cellNumber("12.5"), 12.5);
    EXPECT_EQ(cellNumber("1e+06"), 1e6);
    EXPECT_EQ(cellNumber("-3"), -3);
    EXPECT_EQ(cellNumber("--"), 0);
    EXPECT_EQ(cellNumber(""), 0);
    EXPECT_EQ(cellNumber("abc"), 0);
    EXPECT_EQ(cellNumber("7kg"), 7);
    EXPECT_EQ(cellNumber("nan"), 0);
    EXPECT_EQ(cellNumber("inf"), 0);
}

TEST(PlotFeed, HistoryRowsGiveTwoValuesForANumberTextNumberGroup)
{
    // Items A (number), B (text), C (number).
    const DataRows rows = {
        row({{100, "2019-3-24 08:05:00"}, {3, "1.5"}, {100, "ok"}, {3, "2.5"}}),
        row({{100, "2019-3-24 08:06:00"}, {3, "3"}, {100, "12"}, {3, "x"}}),
        row({{100, "not a time"}, {3, "9"}, {100, ""}, {3, "9"}}),
    };
    const PlotFeed feed = buildPlotFeed(rows, SeriesKind::history());
    EXPECT_EQ(feed.valuesPerRow, 2);
    ASSERT_EQ(feed.times.size(), 2u);
    EXPECT_EQ(feed.times[0], (PointTime{2019, 3, 24, 8, 5, 0}));
    EXPECT_EQ(feed.values, (std::vector<double>{1.5, 2.5, 3, 0}));
    EXPECT_EQ(feed.skippedRows, 1u);
}

TEST(PlotFeed, StatisticsLeaveOutPlaceholderCells)
{
    const DataRows rows = {
        row({{100, "2019-3"}, {0, "--"}, {3, "20.5"}, {100, "--"}, {1, "7"}}),
        row({{100, "2019-4"}, {0, "--"}, {3, "21"}, {100, "--"}, {1, "8"}}),
    };
    const PlotFeed feed = buildPlotFeed(rows, SeriesKind::stats(kPeriodMonth));
    EXPECT_EQ(feed.valuesPerRow, 2);
    ASSERT_EQ(feed.times.size(), 2u);
    EXPECT_EQ(feed.times[1], (PointTime{2019, 4, 15, 0, 0, 0}));
    EXPECT_EQ(feed.values, (std::vector<double>{20.5, 7, 21, 8}));

    // Only type 0 and 100 items: rows but nothing to plot.
    const DataRows placeholders = {row({{100, "2019-3-24"}, {0, "--"}, {100, "--"}})};
    const PlotFeed none = buildPlotFeed(placeholders, SeriesKind::stats(kPeriodDay));
    EXPECT_EQ(none.valuesPerRow, 0);
    EXPECT_EQ(none.times.size(), 1u);
    EXPECT_TRUE(none.values.empty());
}
