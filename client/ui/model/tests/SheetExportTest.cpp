// The views' export, read back through freexl.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "XlsReadBack.h"
#include "app/TextCodec.h"
#include "ui/model/SheetExport.h"

using namespace quorvel::ui;
using xl::test::ReadCell;

namespace {

void expectText(const xl::test::ReadSheet& s, unsigned r, unsigned c, const std::string& text)
{
    const ReadCell* cell = s.at(r, c);
    ASSERT_NE(cell, nullptr) << r << "," << c;
    EXPECT_EQ(cell->kind, ReadCell::Text) << r << "," << c;
    EXPECT_EQ(cell->text, text) << r << "," << c;
}

void expectNumber(const xl::test::ReadSheet& s, unsigned r, unsigned c, double v)
{
    const ReadCell* cell = s.at(r, c);
    ASSERT_NE(cell, nullptr) << r << "," << c;
    EXPECT_EQ(cell->kind, ReadCell::Number) << r << "," << c;
    EXPECT_DOUBLE_EQ(cell->number, v) << r << "," << c;
}

std::string gbk(const std::string& utf8) { return utf8ToGbk(utf8); }

}  // namespace

TEST(SheetExport, HeaderTextAndNumberCells)
{
    TempDir dir;
    const DataRows rows = {
        {{100, "2019-3-24 08:05:00"}, {3, "12.5"}, {100, gbk("正常")}, {0, "7"}},
        {{100, "2019-3-24 08:06:00"}, {3, "1e+06"}, {100, ""}, {0, "0"}},
    };
    const std::string path = dir.file("h.xls");
    const auto result = exportRowsToXls(path, {"温度", "备注", "状态"}, rows);
    ASSERT_EQ(result.status, SheetExportResult::Saved) << result.error;
    EXPECT_EQ(result.sheets, 1);

    std::string error;
    auto book = xl::test::readXls(path, &error);
    ASSERT_TRUE(book) << error;
    ASSERT_EQ(book->sheets.size(), 1u);
    const auto& s = book->sheets[0];
    EXPECT_EQ(s.name, "Sheet1");
    expectText(s, 0, 0, "DataTime");
    expectText(s, 0, 1, "温度");
    expectText(s, 0, 2, "备注");
    expectText(s, 0, 3, "状态");
    expectText(s, 1, 0, "2019-3-24 08:05:00");
    expectNumber(s, 1, 1, 12.5);
    expectText(s, 1, 2, "正常"); // GBK in the result, Unicode in the file
    expectNumber(s, 1, 3, 7);
    expectNumber(s, 2, 1, 1e6);
    EXPECT_EQ(s.at(2, 2), nullptr); // empty text: blank cell
    expectNumber(s, 2, 3, 0);
}

TEST(SheetExport, StatisticsPlaceholderOfATypeZeroItemIsTheNumberZero)
{
    TempDir dir;
    const DataRows rows = {{{100, "2019-3"}, {0, "--"}, {3, "20.5"}, {100, "--"}}};
    const std::string path = dir.file("s.xls");
    ASSERT_EQ(exportRowsToXls(path, {"状态", "温度", "备注"}, rows).status, SheetExportResult::Saved);
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    const auto& s = book->sheets.at(0);
    expectText(s, 1, 0, "2019-3");
    expectNumber(s, 1, 1, 0);
    expectNumber(s, 1, 2, 20.5);
    expectText(s, 1, 3, "--");
}

TEST(SheetExport, SeventyThousandRowsContinueOnASecondSheet)
{
    TempDir dir;
    DataRows rows;
    rows.reserve(70000);
    for (int i = 0; i < 70000; ++i)
        rows.push_back({{100, "t" + std::to_string(i)}, {3, std::to_string(i)}});
    EXPECT_EQ(sheetCountFor(70000), 2);
    EXPECT_EQ(sheetCountFor(65535), 1);
    EXPECT_EQ(sheetCountFor(65536), 2);
    EXPECT_EQ(sheetCountFor(0), 1);

    size_t calls = 0, last = 0;
    const std::string path = dir.file("big.xls");
    const auto result = exportRowsToXls(path, {"A"}, rows, [&](size_t done, size_t total) {
        EXPECT_EQ(total, 70000u);
        EXPECT_GE(done, last);
        last = done;
        ++calls;
        return true;
    });
    ASSERT_EQ(result.status, SheetExportResult::Saved) << result.error;
    EXPECT_EQ(result.sheets, 2);
    EXPECT_GT(calls, 2u);
    EXPECT_EQ(last, 70000u);

    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheets.size(), 2u);
    EXPECT_EQ(book->sheets[0].name, "Sheet1");
    EXPECT_EQ(book->sheets[1].name, "Sheet2");
    EXPECT_EQ(book->sheets[0].rows, 65536u);
    EXPECT_EQ(book->sheets[1].rows, 70000u - 65535u + 1u);
    // Every row once, in order, each sheet headed by the header row.
    size_t next = 0;
    for (const auto& s : book->sheets) {
        expectText(s, 0, 0, "DataTime");
        expectText(s, 0, 1, "A");
        for (unsigned r = 1; r < s.rows; ++r, ++next) {
            const ReadCell* label = s.at(r, 0);
            const ReadCell* value = s.at(r, 1);
            ASSERT_TRUE(label && value) << s.name << " row " << r;
            ASSERT_EQ(label->text, "t" + std::to_string(next));
            ASSERT_EQ(value->number, static_cast<double>(next));
        }
    }
    EXPECT_EQ(next, 70000u);
}

TEST(SheetExport, CancelledExportWritesNothing)
{
    TempDir dir;
    DataRows rows(10000, DataRow{{100, "t"}, {3, "1"}});
    const auto result = exportRowsToXls(dir.file("c.xls"), {"A"}, rows,
                                        [](size_t done, size_t) { return done < 5000; });
    EXPECT_EQ(result.status, SheetExportResult::Cancelled);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(SheetExport, FailedSaveIsReportedWithItsCause)
{
    TempDir dir;
    const DataRows rows = {{{100, "t"}, {3, "1"}}};
    const auto result = exportRowsToXls(dir.file("missing/x.xls"), {"A"}, rows);
    EXPECT_EQ(result.status, SheetExportResult::Failed);
    EXPECT_NE(result.error.find("missing"), std::string::npos) << result.error;
    EXPECT_TRUE(dir.entries().empty());
}
