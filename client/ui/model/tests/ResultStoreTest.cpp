// The compact result store against the text form of the same query, on a
// real database: every data type (0, 1, 2, 3, 100 and an unknown one) with
// extreme, empty and NULL values, history and each statistics period. The
// cells, both export files and the plot's rows must come out the same;
// the CSV is also read back by Python's csv module.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <sstream>

#include "CsvReadBack.h"
#include "TempDir.h"
#include "TestDatabase.h"
#include "quorvel_test/LocalTime.h"
#include "app/TextCodec.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/ResultStore.h"
#include "ui/model/CsvExport.h"
#include "ui/model/ResultPlotRows.h"
#include "ui/model/ResultSeries.h"
#include "ui/model/SheetExport.h"

using namespace quorvel::ui;

namespace {

const char* kTypesSql = R"SQL(
INSERT INTO em_device_group (id, group_name, c4, device) VALUES ('gall', '全部类型', 'data_all', 'd1');
INSERT INTO em_device_group_item (id, group_id, c2, c4, data_type, b3) VALUES
  ('a0', 'gall', 'i', '整数', 0, 1), ('a1', 'gall', 'b', '长整', 1, 2), ('a2', 'gall', 'b2', '长整二', 2, 3),
  ('a3', 'gall', 'd', '实数', 3, 4), ('a4', 'gall', 't', '文字', 100, 5), ('a5', 'gall', 'x', '未知', 42, 6),
  ('a6', 'gall', 'i', '整数作实数', 3, 7);
CREATE TABLE data_all (DataTime DATETIME NOT NULL, i INT NULL, b BIGINT NULL, b2 BIGINT NULL, d DOUBLE NULL,
  t VARCHAR(64) NULL, x INT NULL) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_all VALUES
  ('1000-01-01 00:00:00', -2147483648, -9223372036854775808, 9223372036854775807, 1e300, '逗号,引号"换行
第二行', 1),
  ('2019-10-05 23:59:59', 2147483647, 9007199254740993, -1, 0.1, '', NULL),
  ('2019-12-31 08:00:00', NULL, NULL, NULL, NULL, NULL, NULL),
  ('2020-02-29 12:34:56', 0, 1, 2, -0.000012345678, '文本', 7),
  ('2021-07-01 00:00:00', 42, 123456789012, 5, 123456789, 'plain', 8),
  ('2021-07-01 00:00:00', -7, -5, 3, 3.14159265358979, ' 前后空格 ', 9),
  ('2021-07-01 01:00:00', 1, 2, 3, 2.2250738585072014e-308, 'a;b	c', 10),
  ('2022-11-30 17:45:01', 99, 100, 101, -2.5, '温度℃', 11);
)SQL";

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> itemNames(const EMDeviceData& data)
{
    std::vector<std::string> names;
    for (const EMDeviceGroupItem* item : data.items())
        names.push_back(gbkToUtf8(item->c4));
    return names;
}

// The plot's rows as the text form fed them: every row whose label reads as
// a time AddDatas accepts (its calendar fields exist locally, year >= 1900).
struct FedRow {
    std::int64_t time;
    std::vector<double> values;
};
std::vector<FedRow> textFormPlotRows(const DataRows& rows, const SeriesKind& kind)
{
    const PlotFeed feed = buildPlotFeed(rows, kind);
    std::vector<FedRow> out;
    for (std::size_t i = 0; i < feed.times.size(); ++i) {
        const PointTime& t = feed.times[i];
        if (t.year < 1900 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59
            || t.second > 59)
            continue;
        std::tm tm{};
        tm.tm_year = t.year - 1900;
        tm.tm_mon = t.month - 1;
        tm.tm_mday = t.day;
        tm.tm_hour = t.hour;
        tm.tm_min = t.minute;
        tm.tm_sec = t.second;
        tm.tm_isdst = -1;
        const std::time_t s = std::mktime(&tm);
        if (tm.tm_mday != t.day)
            continue;
        const double* v = feed.values.data() + i * static_cast<std::size_t>(feed.valuesPerRow);
        out.push_back({static_cast<std::int64_t>(s), std::vector<double>(v, v + feed.valuesPerRow)});
    }
    return out;
}

void expectSameResult(const DataRows& rows, const ResultStore& store, const SeriesKind& kind, const std::string& what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(store.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), store.columnCount()) << "row " << r;
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            EXPECT_EQ(store.cell(r, c), rows[r][c]) << "row " << r << " column " << c;
            const double textNumber = cellNumber(rows[r][c].second);
            EXPECT_EQ(std::signbit(store.cellNumber(r, c)), std::signbit(textNumber)) << "row " << r << " column " << c;
            EXPECT_EQ(store.cellNumber(r, c), textNumber) << "row " << r << " column " << c;
        }
    }
    // The plot reads the same rows, times and values the text form fed it.
    auto shared = std::shared_ptr<const ResultStore>(&store, [](const ResultStore*) {});
    const ResultPlotRows plotRows(shared, kind);
    const std::vector<FedRow> fed = textFormPlotRows(rows, kind);
    ASSERT_EQ(plotRows.RowCount(), fed.size());
    for (std::size_t r = 0; r < fed.size(); ++r) {
        EXPECT_EQ(plotRows.RowTime(r), fed[r].time) << "plot row " << r;
        ASSERT_EQ(static_cast<std::size_t>(plotRows.ValueCount()), fed[r].values.size());
        for (int k = 0; k < plotRows.ValueCount(); ++k)
            EXPECT_EQ(plotRows.RowValue(r, k), fed[r].values[static_cast<std::size_t>(k)]) << "plot row " << r;
    }
}

class CompactStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.executeUtf8(kTypesSql);
        ASSERT_TRUE(db.openPool());
    }
    TestDatabase db{{.seed = true}};
    const std::time_t start = localTime(1000, 1, 1, 0, 0, 0);
    const std::time_t end = localTime(2023, 1, 1, 0, 0, 0);
};

}  // namespace

TEST_F(CompactStore, HistoryCellsPlotRowsAndExportBytesMatchTheTextForm)
{
    EMDeviceData data(EMDeviceGroup::getById("gall"));
    const DataRows rows = data.queryHistory(start, end);
    ASSERT_EQ(rows.size(), 8u);
    const std::unique_ptr<ResultStore> store = data.queryHistoryStore(start, end);
    ASSERT_TRUE(store);
    expectSameResult(rows, *store, SeriesKind::history(), "history");
    // Spot checks that the text form is what it claims (both could be wrong alike).
    EXPECT_EQ(store->cellText(0, 0), "1000-1-01 00:00:00");
    EXPECT_EQ(store->cellText(0, 2), "-9223372036854775808");
    EXPECT_EQ(store->cellText(0, 3), "9223372036854775807");
    EXPECT_EQ(store->cellText(1, 2), "9007199254740993");
    EXPECT_EQ(store->cellText(0, 4), "1e+300");
    EXPECT_EQ(store->cellText(2, 1), "0");
    EXPECT_EQ(store->cellText(2, 5), "");
    EXPECT_EQ(store->cellText(3, 4), "-1.23457e-05");
    EXPECT_EQ(store->cellText(7, 0), "2022-11-30 17:45:01");
    EXPECT_EQ(store->cellText(7, 5), TestDatabase::gbk("温度℃"));
    // 8 rows of 7 words (time and the 6 items with a value) and their text.
    EXPECT_LT(store->bytes(), 8 * 7 * 8 + 128 + sizeof(ResultStore) + 64);

    TempDir dir;
    const std::vector<std::string> names = itemNames(data);
    ASSERT_EQ(exportRowsToXls(dir.file("text.xls"), names, rows).status, SheetExportResult::Saved);
    ASSERT_EQ(exportCellsToXls(dir.file("store.xls"), names, StoreCells(*store)).status, SheetExportResult::Saved);
    const std::string textXls = fileBytes(dir.file("text.xls"));
    ASSERT_GT(textXls.size(), 0u);
    EXPECT_TRUE(textXls == fileBytes(dir.file("store.xls"))) << "the .xls files differ";

    ASSERT_EQ(exportCellsToCsv(dir.file("text.csv"), names, DataRowsCells(rows)).status, SheetExportResult::Saved);
    ASSERT_EQ(exportCellsToCsv(dir.file("store.csv"), names, StoreCells(*store)).status, SheetExportResult::Saved);
    const std::string csv = fileBytes(dir.file("store.csv"));
    EXPECT_EQ(csv, fileBytes(dir.file("text.csv")));
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");

    // An independent reader finds the header and every cell as the table shows it.
    const auto records = readCsvWithPython(dir.file("store.csv"), dir.file("read.txt"));
    ASSERT_EQ(records.size(), rows.size() + 1);
    std::vector<std::string> header{"DataTime"};
    header.insert(header.end(), names.begin(), names.end());
    EXPECT_EQ(records[0], header);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string> expected;
        for (const DataCell& cell : rows[r])
            expected.push_back(gbkToUtf8(cell.second));
        EXPECT_EQ(records[r + 1], expected) << "record " << r + 1;
    }
    EXPECT_EQ(records[1][5], "逗号,引号\"换行\n第二行");
    EXPECT_EQ(records[6][5], " 前后空格 ");
}

TEST_F(CompactStore, StatisticsOfEachPeriodMatchTheTextForm)
{
    EMDeviceData data(EMDeviceGroup::getById("gall"));
    for (int mode : {EMDeviceData::kHourly, EMDeviceData::kDaily, EMDeviceData::kMonthly}) {
        const DataRows rows = data.queryStatistics(start, end, mode);
        ASSERT_FALSE(rows.empty());
        const std::unique_ptr<ResultStore> store = data.queryStatisticsStore(start, end, mode);
        expectSameResult(rows, *store, SeriesKind::stats(mode), "period " + std::to_string(mode));
        TempDir dir;
        const std::vector<std::string> names = itemNames(data);
        ASSERT_EQ(exportRowsToXls(dir.file("text.xls"), names, rows).status, SheetExportResult::Saved);
        ASSERT_EQ(exportCellsToXls(dir.file("store.xls"), names, StoreCells(*store)).status,
                  SheetExportResult::Saved);
        EXPECT_TRUE(fileBytes(dir.file("text.xls")) == fileBytes(dir.file("store.xls")));
    }
    // The placeholders stay placeholders.
    const auto monthly = data.queryStatisticsStore(start, end, EMDeviceData::kMonthly);
    EXPECT_EQ(monthly->cellText(0, 1), "--");
    EXPECT_EQ(monthly->cellText(0, 5), "--");
    EXPECT_EQ(monthly->cellText(0, 6), "");
}

// A cancelled or failing CSV export leaves an existing file as it was and
// no partial file beside it.
TEST(CsvExportFile, CancelOrFailureLeavesNothingBehind)
{
    TempDir dir;
    const DataRows rows(10000, DataRow{{100, "2019-3-24 08:05:00"}, {3, "1.5"}});
    const std::string path = dir.file("old.csv");
    std::ofstream(path) << "old";
    int calls = 0;
    const auto cancelled = exportCellsToCsv(path, {"A"}, DataRowsCells(rows), [&](size_t done, size_t total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    });
    EXPECT_EQ(cancelled.status, SheetExportResult::Cancelled);
    EXPECT_EQ(fileBytes(path), "old");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);

    const auto failed = exportCellsToCsv(dir.file("missing/x.csv"), {"A"}, DataRowsCells(rows));
    EXPECT_EQ(failed.status, SheetExportResult::Failed);
    EXPECT_NE(failed.error.find("missing"), std::string::npos) << failed.error;

    ASSERT_EQ(exportCellsToCsv(path, {"A"}, DataRowsCells(rows)).status, SheetExportResult::Saved);
    EXPECT_EQ(fileBytes(path).size(), 3 + std::string("DataTime,A\r\n").size() + 10000 * std::string("2019-3-24 08:05:00,1.5\r\n").size());
}

// Cells that are not their type's text survive the compact form as they stand.
TEST(CompactStoreRows, CellsThatAreNotTheirTypesTextAreKeptAsTheyStand)
{
    const DataRows rows = {
        {{100, "2019-3-24 08:05:00"}, {1, "12"}, {3, "1.5"}, {100, "x"}},
        {{100, "yesterday"}, {1, "12abc"}, {3, "1.50"}, {100, ""}},
        {{100, ""}, {1, "-0"}, {3, "nan"}, {100, "y"}},
    };
    const std::vector<ResultStore::Column> columns{
        {1, ResultStore::Storage::Integer}, {3, ResultStore::Storage::Real}, {100, ResultStore::Storage::Text}};
    const auto store = ResultStore::fromRows(rows, ResultStore::TimeLabel::History, columns);
    expectSameResult(rows, *store, SeriesKind::history(), "odd cells");
}
