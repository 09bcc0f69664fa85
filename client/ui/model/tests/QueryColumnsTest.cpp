// What the query views show of a data group: columns, curves, cell text and
// where an export goes. The curves must line up with the values the plot
// reads for them, on every kind of result.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/TextCodec.h"
#include "db/EMDeviceGroupItem.h"
#include "db/ResultStore.h"
#include "ui/model/ExportTarget.h"
#include "ui/model/QueryColumns.h"
#include "ui/model/ResultPlotRows.h"

using namespace quorvel::ui;

namespace {

// A group of five items: temperature (real), a status word (int), a note
// (text), a counter (64-bit) and a level (real).
struct Group {
    std::vector<std::unique_ptr<EMDeviceGroupItem>> owned;
    std::vector<EMDeviceGroupItem*> items;

    Group()
    {
        add("温度", "℃", EMDeviceGroupItem::kDouble, 0x0000FF);
        add("状态", "", EMDeviceGroupItem::kInt, 0x00FF00);
        add("备注", "", EMDeviceGroupItem::kText, 0xFF0000);
        add("计数", "次", EMDeviceGroupItem::kInt64, 0x123456);
        add("水位", "m", EMDeviceGroupItem::kDouble, 0x654321);
    }
    void add(const char* nameUtf8, const char* unitUtf8, int type, int colour)
    {
        auto item = std::make_unique<EMDeviceGroupItem>();
        item->c4 = utf8ToGbk(nameUtf8);
        item->c3 = utf8ToGbk(unitUtf8);
        item->dataType = type;
        item->b4 = colour;
        items.push_back(item.get());
        owned.push_back(std::move(item));
    }
    std::vector<ResultStore::Column> storeColumns(bool statistics) const
    {
        std::vector<ResultStore::Column> columns;
        for (const EMDeviceGroupItem* item : items)
            columns.push_back({item->dataType, statistics ? ResultStore::statisticsStorage(item->dataType)
                                                          : ResultStore::historyStorage(item->dataType)});
        return columns;
    }
};

std::vector<std::string> curveNames(const QueryColumns& columns)
{
    std::vector<std::string> names;
    for (const CurveSeries& curve : columns.curves)
        names.push_back(curve.nameUtf8);
    return names;
}

}  // namespace

TEST(QueryColumns, EveryItemIsAColumnButOnlyNumbersAreCurves)
{
    const Group group;
    const QueryColumns history = queryColumns(group.items, SeriesKind::history(), 150);
    ASSERT_EQ(history.table.size(), 6u);
    EXPECT_EQ(history.table[0], (TableColumn{0, "DataTime", 150}));
    for (std::size_t i = 0; i < group.items.size(); ++i)
        EXPECT_EQ(history.table[i + 1], (TableColumn{static_cast<int>(i + 1), group.items[i]->c4, 100})) << i;
    EXPECT_EQ(curveNames(history), (std::vector<std::string>{"温度", "状态", "计数", "水位"}));
    EXPECT_EQ(history.curves[0], (CurveSeries{"温度", "℃", 0x0000FF}));
    EXPECT_EQ(history.curves[2], (CurveSeries{"计数", "次", 0x123456}));

    // A statistics type-0 item holds "--", not an average: a column, no curve.
    const QueryColumns stats = queryColumns(group.items, SeriesKind::stats(1), 120);
    EXPECT_EQ(stats.table.size(), 6u);
    EXPECT_EQ(curveNames(stats), (std::vector<std::string>{"温度", "计数", "水位"}));

    EXPECT_EQ(timeColumnWidth(40), 120);
    EXPECT_EQ(timeColumnWidth(130), 146);
    EXPECT_EQ(exportItemNames(group.items), (std::vector<std::string>{"温度", "状态", "备注", "计数", "水位"}));
}

TEST(QueryColumns, CurveKReadsTheValuesOfItsOwnItem)
{
    const Group group;
    struct Case {
        SeriesKind kind;
        ResultStore::TimeLabel label;
        const char* time;
    };
    const Case cases[] = {
        {SeriesKind::history(), ResultStore::TimeLabel::History, "2019-3-24 08:05:00"},
        {SeriesKind::stats(0), ResultStore::TimeLabel::Hourly, "2019-3-24 8:00:00"},
        {SeriesKind::stats(2), ResultStore::TimeLabel::Monthly, "2019-3"},
    };
    for (const Case& c : cases) {
        // Each numeric item's cell carries its own number, so a curve fed
        // from a neighbour's cells is seen at once.
        const DataRows rows = {{{100, c.time}, {3, "1.5"}, {0, c.kind.statistics ? "--" : "2"},
                                {100, "n"}, {1, "4"}, {3, "5.25"}}};
        std::shared_ptr<const ResultStore> store =
            ResultStore::fromRows(rows, c.label, group.storeColumns(c.kind.statistics));
        const QueryColumns columns = queryColumns(group.items, c.kind, 120);
        const ResultPlotRows plotRows(store, c.kind);
        ASSERT_EQ(plotRows.RowCount(), 1u) << c.time;
        ASSERT_EQ(plotRows.ValueCount(), static_cast<int>(columns.curves.size())) << c.time;
        const std::vector<double> expected =
            c.kind.statistics ? std::vector<double>{1.5, 4, 5.25} : std::vector<double>{1.5, 2, 4, 5.25};
        for (int k = 0; k < plotRows.ValueCount(); ++k)
            EXPECT_DOUBLE_EQ(plotRows.RowValue(0, k), expected[static_cast<std::size_t>(k)])
                << c.time << " curve " << columns.curves[static_cast<std::size_t>(k)].nameUtf8;

        // The table shows the cells as the text form holds them, and nothing
        // (not a neighbour's cell) outside the result.
        std::string text = "stale";
        EXPECT_TRUE(resultCellText(store.get(), 0, 0, text));
        EXPECT_EQ(text, c.time);
        EXPECT_TRUE(resultCellText(store.get(), 0, 3, text));
        EXPECT_EQ(text, "n");
        for (auto [row, column] : {std::pair<long, long>{1, 0}, {0, 6}, {-1, 0}, {0, -1}}) {
            text = "stale";
            EXPECT_FALSE(resultCellText(store.get(), row, column, text)) << row << "," << column;
            EXPECT_TRUE(text.empty());
        }
    }
    std::string text = "stale";
    EXPECT_FALSE(resultCellText(nullptr, 0, 0, text));
    EXPECT_TRUE(text.empty());
}

TEST(ExportTargets, TypedNameAndChosenTypeDecideTheFormat)
{
    auto target = [](const std::string& path, int filter) { return exportTarget(path, filter); };
    EXPECT_FALSE(target("", kXlsFilterIndex));
    EXPECT_EQ(target("/d/a", kXlsFilterIndex), (ExportTarget{"/d/a.xls", false}));
    EXPECT_EQ(target("/d/a.xls", kXlsFilterIndex), (ExportTarget{"/d/a.xls", false}));
    EXPECT_EQ(target("/d/a.CSV", kXlsFilterIndex), (ExportTarget{"/d/a.CSV", true}));
    EXPECT_EQ(target("/d/a.txt", kXlsFilterIndex), (ExportTarget{"/d/a.txt", false}));
    // The CSV entry of the type list turns an .xls name or a bare one into CSV,
    // but leaves a name the operator gave another extension alone.
    EXPECT_EQ(target("/d/a", kCsvFilterIndex), (ExportTarget{"/d/a.csv", true}));
    EXPECT_EQ(target("/d/a.XLS", kCsvFilterIndex), (ExportTarget{"/d/a.csv", true}));
    EXPECT_EQ(target("/d/a.txt", kCsvFilterIndex), (ExportTarget{"/d/a.txt", false}));
    EXPECT_EQ(target("/d/a.csv", kCsvFilterIndex), (ExportTarget{"/d/a.csv", true}));
    // Only the file name's dots count: a dotted folder or a hidden file has no extension.
    EXPECT_EQ(target("/d/v1.2/a", kXlsFilterIndex), (ExportTarget{"/d/v1.2/a.xls", false}));
    EXPECT_EQ(target("/d/v1.2/a", kCsvFilterIndex), (ExportTarget{"/d/v1.2/a.csv", true}));
    EXPECT_EQ(target("/d/.csv", kXlsFilterIndex), (ExportTarget{"/d/.csv.xls", false}));
    EXPECT_EQ(target("/d/站点_历史.xls", kCsvFilterIndex), (ExportTarget{"/d/站点_历史.csv", true}));
}
