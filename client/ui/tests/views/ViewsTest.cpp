// The history and statistics views in real windows (Xvfb) against a fresh
// test database; exported files are read back through freexl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <tuple>

#include <sys/resource.h>

#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/testing.h>

#include "CsvReadBack.h"
#include "RecordingPlot.h"
#include "TcpForwarder.h"
#include "TempDir.h"
#include "TestDatabase.h"
#include "quorvel_test/LocalTime.h"
#include "ViewsTestApp.h"
#include "XlsReadBack.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDeviceGroupItem.h"
#include "quorvel_test/MessageBoxLabels.h"
#include "ui/model/PickerTime.h"
#include "ui/ResultList.h"
#include "ui/TimePickerText.h"
#include "ui/UiText.h"
#include "ui/ViewHistory.h"
#include "ui/ViewStatistics.h"

using quorvel::ui::PointTime;
using quorvel::ui::uiToGbk;
using xl::test::ReadCell;

namespace {

// The user of these tests owns device "站/一" (a name no file name may hold
// as it stands) with a group of items A (number), B (text), C (64-bit
// number) and a group of only a type-0 and a text item.
const char* kSiteSql = R"SQL(
INSERT INTO em_user (id, name, address, phone, login_name, password, role) VALUES
  ('u9', '测试', '', '', 'viewer', 'x', 'r2');
INSERT INTO em_device (id, name, address, platform_address, area_code, dev_type, passageway, enable, longitude, latitude) VALUES
  ('d9', '站/一', 9, 'pa09', '320100', 'logger', '7', 1, '', '');
INSERT INTO em_user_device (id, user, device) VALUES ('ux1', 'u9', 'd9'), ('ux2', 'u9', 'd1');
INSERT INTO em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device) VALUES
  ('ga', '组A', 1, 0, 1, 0, 0, 0, '', '', '', '', 'data_ga', 'd9'),
  ('gp', '占位', 1, 0, 2, 0, 0, 0, '', '', '', '', 'data_gp', 'd9');
INSERT INTO em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type) VALUES
  ('ia', 'a', 'ga', 0, 0, 0, 1, 255, '', '', 'a', 'm', 'A', 3),
  ('ib', 'b', 'ga', 0, 0, 0, 2, 65280, '', '', 'b', '', 'B', 100),
  ('ic', 'c', 'ga', 0, 0, 0, 3, 16711680, '', '', 'c', 'kg', 'C', 1),
  ('is', 's', 'gp', 0, 0, 0, 1, 255, '', '', 's', '', 'S', 0),
  ('in', 'n', 'gp', 0, 0, 0, 2, 255, '', '', 'n', '', 'N', 100);
CREATE TABLE data_ga (DataTime DATETIME NOT NULL, a DOUBLE NULL, b VARCHAR(64) NULL, c BIGINT NULL,
  KEY idx_data_ga_time (DataTime)) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_ga (DataTime, a, b, c) VALUES
  ('2019-03-24 08:05:00', 1.5, 'ok', 10),
  ('2019-03-24 08:35:00', 2.5, '文本', 20),
  ('2019-03-25 09:00:00', 3.5, NULL, 30),
  ('2019-04-02 12:00:00', 4.5, 'x', 40);
INSERT INTO em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device) VALUES
  ('gb', '分钟数据', 1, 0, 3, 0, 0, 0, '', '', '', '', 'data_gb', 'd9');
INSERT INTO em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type) VALUES
  ('ib1', 'flow', 'gb', 0, 0, 0, 1, 255, '', '', 'flow', 'm3/h', '流量', 3),
  ('ib2', 'level', 'gb', 0, 0, 0, 2, 16711680, '', '', 'level', 'm', '液位', 3);
CREATE TABLE data_gb (DataTime DATETIME NOT NULL, flow DOUBLE NULL, level DOUBLE NULL,
  KEY idx_data_gb_time (DataTime)) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_gb (DataTime, flow, level)
  SELECT '2019-03-01 00:00:00' + INTERVAL seq MINUTE, ROUND(50 + 30 * SIN(seq / 120), 2), ROUND(3 + (seq % 360) / 120, 2)
  FROM seq_0_to_69999;
INSERT INTO em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device) VALUES
  ('gy', '跨月', 1, 0, 2, 0, 0, 0, '', '', '', '', 'data_gy', 'd1');
INSERT INTO em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type) VALUES
  ('iy', 'y', 'gy', 0, 0, 0, 1, 255, '', '', 'y', '', 'Y', 3);
CREATE TABLE data_gy (DataTime DATETIME NOT NULL, y DOUBLE NULL) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_gy (DataTime, y) VALUES
  ('2019-10-01 00:30:00', 4), ('2020-01-01 00:00:00', 7), ('2019-09-30 23:00:00', 1), ('2019-12-31 23:30:00', 6),
  ('2020-01-01 00:30:00', 8), ('2019-10-01 00:00:00', 3), ('2019-09-30 23:30:00', 2), ('2019-12-31 23:00:00', 5);
CREATE TABLE data_gp (DataTime DATETIME NOT NULL, s INT NULL, n VARCHAR(64) NULL,
  KEY idx_data_gp_time (DataTime)) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_gp (DataTime, s, n) VALUES ('2019-03-24 08:00:00', 1, 'x'), ('2019-03-24 09:00:00', 2, 'y');
)SQL";

// <build>/tests/artifacts, beside this test program.
std::string artifactsDir()
{
    const auto dir = std::filesystem::canonical("/proc/self/exe").parent_path() / "artifacts";
    std::filesystem::create_directories(dir);
    return dir.string();
}

void screenshot(const std::string& name)
{
    pumpFor(400);
    const std::string path = artifactsDir() + "/" + name;
    const std::string cmd = "import -window root '" + path + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "screenshot " << path;
}

// The save dialog: remembers the proposed name (and the file types offered),
// answers with a path (and a file type, when one is given).
class ExpectSave : public wxExpectModalBase<wxFileDialog, ExpectSave> {
public:
    ExpectSave(const wxString& path, wxString* proposed, int answer = wxID_OK, int filter = -1,
               wxString* wildcard = nullptr)
        : m_path(path), m_proposed(proposed), m_answer(answer), m_filter(filter), m_wildcard(wildcard)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dlg) const override
    {
        *m_proposed = dlg->GetFilename();
        if (m_wildcard)
            *m_wildcard = dlg->GetWildcard() + "|" + wxString::Format("%d", dlg->GetFilterIndex());
        if (m_answer == wxID_OK)
            dlg->SetPath(m_path);
        if (m_filter >= 0)
            dlg->SetFilterIndex(m_filter);
        return m_answer;
    }

private:
    wxString m_path;
    wxString* m_proposed;
    int m_answer;
    int m_filter;
    wxString* m_wildcard;
};

// A message box: remembers its text.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    explicit ExpectMessage(wxString* text) : m_text(text) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        *m_text = dlg->GetMessage();
        EXPECT_TRUE(hasOwnButtonLabels(*dlg));
        return wxID_OK;
    }

private:
    wxString* m_text;
};

void failOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx assertion at " << file << ":" << line << " in " << func << ": " << cond << " " << msg;
}

class ViewsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wxSetAssertHandler(failOnAssert);
        installRecordingPlots();
        db_ = new TestDatabase(TestDatabase::Options{.seed = true});
        db_->executeUtf8(kSiteSql);
        ASSERT_TRUE(db_->openPool());
    }
    static void TearDownTestSuite()
    {
        delete db_;
        db_ = nullptr;
    }

    void SetUp() override { plotLogs().clear(); }
    void TearDown() override
    {
        if (frame_) {
            frame_->Destroy();
            pumpFor(50);
        }
    }

    template <class View>
    View* makeView(const std::string& user = "u9", wxSize frameSize = wxSize(1240, 760))
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "views", wxPoint(0, 0), frameSize);
        auto* view = new View(frame_, wxID_ANY, ViewContext{user, "r2"});
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(view, 1, wxEXPAND);
        frame_->SetSizer(sizer);
        frame_->Show();
        frame_->Layout();
        view->InitialUpdate();
        pumpFor(100);
        return view;
    }

    static void setRange(CViewQueryBase* view, std::time_t start, std::time_t end)
    {
        view->GetStartPicker()->SetTime(start);
        view->GetEndPicker()->SetTime(end);
    }

    static void runQuery(CViewQueryBase* view)
    {
        view->RunQuery();
        ASSERT_TRUE(pumpUntil([&] { return !view->IsQueryRunning(); }, 20000)) << "query did not finish";
        pumpFor(50);
    }

    static std::vector<std::string> columnTitles(CResultList* list)
    {
        std::vector<std::string> titles;
        for (int c = 0; c < list->GetColumnCount(); ++c) {
            wxListItem item;
            item.SetMask(wxLIST_MASK_TEXT);
            list->GetColumn(c, item);
            titles.push_back(item.GetText().ToStdString(wxConvUTF8));
        }
        return titles;
    }

    static std::string cellText(CResultList* list, long row, long column)
    {
        return list->GetItemText(row, column).ToStdString(wxConvUTF8);
    }

    static TestDatabase* db_;
    wxFrame* frame_ = nullptr;
};

TestDatabase* ViewsTest::db_ = nullptr;

}  // namespace

TEST_F(ViewsTest, FreshViewPickersShowAWeekUpToNow)
{
    const std::time_t before = std::time(nullptr);
    auto* view = makeView<CViewHistory>();
    const std::time_t after = std::time(nullptr);
    const std::regex shape(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2})");
    const std::string startText = view->GetStartPicker()->GetValue().ToStdString();
    const std::string endText = view->GetEndPicker()->GetValue().ToStdString();
    EXPECT_TRUE(std::regex_match(startText, shape)) << startText;
    EXPECT_TRUE(std::regex_match(endText, shape)) << endText;
    const std::time_t start = view->GetStartPicker()->GetTime();
    const std::time_t end = view->GetEndPicker()->GetTime();
    EXPECT_GE(end, before);
    EXPECT_LE(end, after);
    EXPECT_EQ(end - start, 604800);
    EXPECT_EQ(startText, quorvel::ui::pickerText(start));
}

TEST_F(ViewsTest, HistoryTableColumnsSeriesAndPointTimes)
{
    auto* view = makeView<CViewHistory>();
    // First device and its first group are chosen at once.
    EXPECT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "A", "B", "C"}));
    ASSERT_FALSE(plotLogs().empty());
    const PlotLog& plot = *plotLogs().back();
    ASSERT_EQ(plot.series.size(), 2u);
    EXPECT_EQ(plot.series[0].caption, "A");
    EXPECT_EQ(plot.series[0].unit, "m");
    EXPECT_EQ(plot.series[0].colour, 255);
    EXPECT_EQ(plot.series[1].caption, "C");
    EXPECT_EQ(plot.createWnd, 1);

    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    runQuery(view);
    CResultList* list = view->GetResultList();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(cellText(list, 0, 0), "2019-3-24 08:05:00");
    EXPECT_EQ(cellText(list, 0, 1), "1.5");
    EXPECT_EQ(cellText(list, 0, 2), "ok");
    EXPECT_EQ(cellText(list, 1, 2), "文本");
    EXPECT_EQ(cellText(list, 2, 2), "");
    EXPECT_EQ(cellText(list, 2, 3), "30");
    ASSERT_EQ(plot.rows.size(), 3u);
    EXPECT_EQ(plot.rows[0].time, (PointTime{2019, 3, 24, 8, 5, 0}));
    EXPECT_EQ(plot.rows[0].values, (std::vector<double>{1.5, 10}));
    EXPECT_EQ(plot.rows[2].values, (std::vector<double>{3.5, 30}));
    EXPECT_EQ(plot.updateDatas, 1);

    // Both ends of the range count.
    setRange(view, localTime(2019, 3, 24, 8, 5, 0), localTime(2019, 3, 24, 8, 35, 0));
    runQuery(view);
    EXPECT_EQ(list->GetItemCount(), 2);

    // A group change empties the table and starts a new plot.
    view->SelectGroup(1);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(columnTitles(list), (std::vector<std::string>{"DataTime", "S", "N"}));
    ASSERT_GE(plotLogs().size(), 2u);
    const PlotLog& second = *plotLogs().back();
    EXPECT_NE(&second, &plot);
    EXPECT_TRUE(plot.released);
    EXPECT_EQ(second.createWnd, 1);
    ASSERT_EQ(second.series.size(), 1u);  // history plots type-0 items
    EXPECT_EQ(second.series[0].caption, "S");
}

TEST_F(ViewsTest, CurvesArePreparedOnceAndKeptAcrossGroupChanges)
{
    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    runQuery(view);
    const PlotLog& first = *plotLogs().back();
    EXPECT_EQ(first.initPlots, 0);
    screenshot("history_table.png");

    view->ShowCurves();
    view->ShowCurves();
    EXPECT_EQ(first.initPlots, 1);
    EXPECT_EQ(view->GetMode(), quorvel::ui::ResultMode::Curves);
    EXPECT_FALSE(view->GetResultList()->IsShown());
    screenshot("history_curves.png");

    view->ShowTable();
    EXPECT_EQ(view->GetMode(), quorvel::ui::ResultMode::Table);
    EXPECT_TRUE(view->GetResultList()->IsShown());
    view->ShowCurves();
    EXPECT_EQ(first.initPlots, 1);
    EXPECT_EQ(first.showWnd, 2);

    // Once prepared, a new plot is prepared and shown at once.
    view->SelectGroup(1);
    const PlotLog& second = *plotLogs().back();
    EXPECT_EQ(second.initPlots, 1);
    EXPECT_EQ(second.showWnd, 1);
    EXPECT_TRUE(view->IsPlotPrepared());
}

TEST_F(ViewsTest, HistoryExportWritesWhatTheTableShows)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));

    // Nothing to export before a query: no dialog at all.
    view->Export();

    runQuery(view);
    const std::string path = dir.file("history.xls");
    wxString proposed, message;
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    EXPECT_EQ(proposed.ToStdString(wxConvUTF8), "站_一_组A_20190324000000-20190326000000_history.xls");
    EXPECT_EQ(message.ToStdString(wxConvUTF8), "导出成功！");

    std::string error;
    auto book = xl::test::readXls(path, &error);
    ASSERT_TRUE(book) << error;
    ASSERT_EQ(book->sheets.size(), 1u);
    const auto& s = book->sheets[0];
    EXPECT_EQ(s.name, "Sheet1");
    EXPECT_EQ(s.rows, 4u);
    const char* header[] = {"DataTime", "A", "B", "C"};
    for (unsigned c = 0; c < 4; ++c) {
        ASSERT_NE(s.at(0, c), nullptr);
        EXPECT_EQ(s.at(0, c)->text, header[c]);
    }
    ASSERT_NE(s.at(1, 0), nullptr);
    EXPECT_EQ(s.at(1, 0)->kind, ReadCell::Text);
    EXPECT_EQ(s.at(1, 0)->text, "2019-3-24 08:05:00");
    EXPECT_EQ(s.at(1, 1)->kind, ReadCell::Number);
    EXPECT_EQ(s.at(1, 1)->number, 1.5);
    EXPECT_EQ(s.at(2, 2)->kind, ReadCell::Text);
    EXPECT_EQ(s.at(2, 2)->text, "文本");
    EXPECT_EQ(s.at(3, 3)->kind, ReadCell::Number);
    EXPECT_EQ(s.at(3, 3)->number, 30);

    // Cancelling the dialog writes nothing.
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(dir.file("no.xls")), &proposed, wxID_CANCEL));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no.xls")));
}

// A display name edited in the data point view after the query is exported
// as edited: the header row takes the names when the export runs.
TEST_F(ViewsTest, ExportHeaderTakesTheItemNamesAtExportTime)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    runQuery(view);
    EMDeviceGroupItem* item = EMDeviceGroupItem::getByGroup("ga").at(0);
    const std::string before = item->c4;
    item->c4 = uiToGbk(wxString::FromUTF8("水温"));  // what the data point view does on OK

    const std::string path = dir.file("renamed.xls");
    wxString proposed, message;
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    item->c4 = before;
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    const auto& s = book->sheets.at(0);
    ASSERT_NE(s.at(0, 1), nullptr);
    EXPECT_EQ(s.at(0, 1)->text, "水温");
    ASSERT_NE(s.at(0, 2), nullptr);
    EXPECT_EQ(s.at(0, 2)->text, "B");
}

TEST_F(ViewsTest, FailedExportSaysSoWithThePath)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    runQuery(view);
    const std::string path = dir.file("gone/history.xls");
    wxString proposed, message;
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    const std::string text = message.ToStdString(wxConvUTF8);
    EXPECT_EQ(text.find("导出成功"), std::string::npos) << text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_TRUE(dir.entries().empty());
}

TEST_F(ViewsTest, StatisticsLabelsAndPointTimesPerPeriod)
{
    auto* view = makeView<CViewStatistics>();
    EXPECT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "A", "B", "C"}));
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 23, 59, 59));
    CResultList* list = view->GetResultList();

    runQuery(view);  // hourly, the initial choice
    EXPECT_EQ(view->GetPeriod(), 0);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(cellText(list, 0, 0), "2019-3-24 8:00:00");
    EXPECT_EQ(cellText(list, 0, 1), "2");  // average of 1.5 and 2.5
    EXPECT_EQ(cellText(list, 0, 2), "--");
    const PlotLog* plot = plotLogs().back().get();
    ASSERT_EQ(plot->rows.size(), 3u);
    EXPECT_EQ(plot->rows[0].time, (PointTime{2019, 3, 24, 8, 0, 0}));
    EXPECT_EQ(plot->rows[0].values, (std::vector<double>{2, 15}));
    screenshot("statistics_table.png");

    auto* day = dynamic_cast<wxRadioButton*>(view->FindWindow(CViewStatistics::IDC_DAY));
    auto* month = dynamic_cast<wxRadioButton*>(view->FindWindow(CViewStatistics::IDC_MONTH));
    ASSERT_TRUE(day && month);
    day->SetValue(true);
    runQuery(view);
    EXPECT_EQ(view->GetPeriod(), 1);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(cellText(list, 0, 0), "2019-3-24");
    EXPECT_EQ(plot->rows.at(1).time, (PointTime{2019, 3, 25, 0, 0, 0}));

    month->SetValue(true);
    runQuery(view);
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(cellText(list, 0, 0), "2019-3");
    EXPECT_EQ(cellText(list, 1, 0), "2019-4");
    EXPECT_EQ(plot->rows.at(0).time, (PointTime{2019, 3, 15, 0, 0, 0}));
    EXPECT_EQ(plot->rows.at(1).time, (PointTime{2019, 4, 15, 0, 0, 0}));

    view->ShowCurves();
    screenshot("statistics_curves.png");
}

TEST_F(ViewsTest, StatisticsExportNamesThePeriodOfTheLastRun)
{
    TempDir dir;
    auto* view = makeView<CViewStatistics>();
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 3, 31, 23, 59, 59));
    runQuery(view);  // hourly
    dynamic_cast<wxRadioButton*>(view->FindWindow(CViewStatistics::IDC_DAY))->SetValue(true);  // not run

    wxString proposed, message;
    const std::string path = dir.file("stats.xls");
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    EXPECT_EQ(proposed.ToStdString(wxConvUTF8), "站_一_组A_20190301000000-20190331235959_小时_statistics.xls");
    EXPECT_EQ(message.ToStdString(wxConvUTF8), "导出成功！");

    runQuery(view);  // now daily
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    EXPECT_EQ(proposed.ToStdString(wxConvUTF8), "站_一_组A_20190301000000-20190331235959_日_statistics.xls");
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    const auto& s = book->sheets.at(0);
    ASSERT_NE(s.at(1, 0), nullptr);
    EXPECT_EQ(s.at(1, 0)->text, "2019-3-24");
    EXPECT_EQ(s.at(1, 2)->kind, ReadCell::Text);  // text item: "--" as text
    EXPECT_EQ(s.at(1, 2)->text, "--");
}

TEST_F(ViewsTest, StatisticsOfPlaceholderItemsHaveColumnsButNoCurves)
{
    TempDir dir;
    auto* view = makeView<CViewStatistics>();
    view->SelectGroup(1);
    EXPECT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "S", "N"}));
    EXPECT_TRUE(plotLogs().back()->series.empty());

    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 24, 23, 0, 0));
    runQuery(view);
    CResultList* list = view->GetResultList();
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(cellText(list, 0, 1), "--");
    EXPECT_EQ(cellText(list, 0, 2), "--");
    for (const auto& row : plotLogs().back()->rows)
        EXPECT_TRUE(row.values.empty());

    wxString proposed, message;
    const std::string path = dir.file("p.xls");
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    const auto& s = book->sheets.at(0);
    ASSERT_NE(s.at(1, 1), nullptr);
    EXPECT_EQ(s.at(1, 1)->kind, ReadCell::Number);  // "--" of a type-0 item
    EXPECT_EQ(s.at(1, 1)->number, 0);
    EXPECT_EQ(s.at(1, 2)->kind, ReadCell::Text);
}

// 70 000 minute rows: the table shows them all at once, the curves draw the
// last day, and the export continues on a second sheet without losing a row.
TEST_F(ViewsTest, SeventyThousandRowsTableCurvesAndTwoSheets)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    view->SelectGroup(2);
    EXPECT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "流量", "液位"}));
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 0, 0, 0));
    runQuery(view);
    CResultList* list = view->GetResultList();
    ASSERT_EQ(list->GetItemCount(), 70000);
    EXPECT_EQ(cellText(list, 69999, 0), "2019-4-18 14:39:00");
    EXPECT_EQ(plotLogs().back()->rows.size(), 70000u);
    screenshot("history_big_table.png");
    view->ShowCurves();
    screenshot("history_big_curves.png");

    wxString proposed, message;
    const std::string path = dir.file("big.xls");
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    EXPECT_EQ(message.ToStdString(wxConvUTF8), "导出成功！");
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheets.size(), 2u);
    EXPECT_EQ(book->sheets[0].name, "Sheet1");
    EXPECT_EQ(book->sheets[1].name, "Sheet2");
    EXPECT_EQ(book->sheets[0].rows + book->sheets[1].rows, 70000u + 2u);  // two header rows
    const auto& second = book->sheets[1];
    ASSERT_NE(second.at(0, 1), nullptr);
    EXPECT_EQ(second.at(0, 1)->text, "流量");
    ASSERT_NE(second.at(second.rows - 1, 0), nullptr);
    EXPECT_EQ(second.at(second.rows - 1, 0)->text, "2019-4-18 14:39:00");
    ASSERT_NE(second.at(1, 0), nullptr);
    EXPECT_EQ(second.at(1, 0)->text, cellText(list, 65535, 0));
}

// On a 1024x768 screen the statistics view's query controls do not fit on
// one row: they wrap, every button stays inside the view and the table
// starts below the last row. A wide view keeps them on one row.
TEST_F(ViewsTest, QueryControlsWrapWhenTheViewIsNarrow)
{
    for (const int width : {1024, 1240}) {
        SCOPED_TRACE(width);
        auto* view = makeView<CViewStatistics>("u9", wxSize(width, 740));
        pumpFor(200);
        const wxRect inside(wxPoint(0, 0), view->GetClientSize());
        const wxRect list = view->GetResultList()->GetRect();
        int lowestControl = 0;
        for (wxWindow* child : view->GetChildren()) {
            if (child == view->GetResultList() || !child->IsShown())
                continue;
            EXPECT_TRUE(inside.Contains(child->GetRect())) << "cut off: \"" << child->GetLabel().utf8_string()
                                                           << "\" at " << child->GetRect().GetRight();
            lowestControl = std::max(lowestControl, child->GetRect().GetBottom());
        }
        for (const int id : {CViewStatistics::IDC_RUN, CViewQueryBase::IDC_TABLE, CViewQueryBase::IDC_CURVE,
                             CViewQueryBase::IDC_EXPORT}) {
            wxWindow* button = view->FindWindow(id);
            ASSERT_NE(button, nullptr) << id;
            EXPECT_TRUE(inside.Contains(button->GetRect())) << "button " << id;
        }
        EXPECT_GT(list.GetTop(), lowestControl) << "the table covers the controls";
        EXPECT_TRUE(inside.Contains(list));

        // Wrapped: the buttons sit on a row below the device list.
        const wxRect device = view->FindWindow(CViewQueryBase::IDC_DEVICE)->GetRect();
        const wxRect exportButton = view->FindWindow(CViewQueryBase::IDC_EXPORT)->GetRect();
        if (width == 1024) {
            EXPECT_GT(exportButton.GetTop(), device.GetBottom()) << "the controls should wrap";
            screenshot("statistics_1024.png");
        } else {
            EXPECT_LT(exportButton.GetTop(), device.GetBottom()) << "a wide view keeps one row";
            screenshot("statistics_1240.png");
        }
        frame_->Destroy();
        frame_ = nullptr;
        pumpFor(50);
    }
}

// The whole 70 000-row result to CSV through the save dialog (.xls stays
// the first type offered): Python's csv module reads back every cell the
// table shows, the Chinese item names included. A new query lets the
// previous result go at once.
TEST_F(ViewsTest, SeventyThousandRowsToCsvReadBackByAnotherReader)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    view->SelectGroup(2);
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 0, 0, 0));
    runQuery(view);
    CResultList* list = view->GetResultList();
    ASSERT_EQ(list->GetItemCount(), 70000);

    wxString proposed, message, types;
    // No extension typed, CSV chosen in the type list: ".csv" is added.
    const std::string path = dir.file("big");
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed, wxID_OK, 1, &types),
                  ExpectMessage(&message));
    EXPECT_EQ(types.ToStdString(wxConvUTF8), "(*.xls)|*.xls|(*.csv)|*.csv|0");
    EXPECT_EQ(message.ToStdString(wxConvUTF8), "导出成功！");
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(std::filesystem::exists(path + ".csv"));

    const auto records = readCsvWithPython(path + ".csv", dir.file("read.txt"));
    ASSERT_EQ(records.size(), 70001u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"DataTime", "流量", "液位"}));
    for (long r = 0; r < 70000; ++r) {
        const std::vector<std::string> shown{cellText(list, r, 0), cellText(list, r, 1), cellText(list, r, 2)};
        ASSERT_EQ(records[static_cast<std::size_t>(r) + 1], shown) << "row " << r;
    }

    // A name ending in .csv writes CSV whatever the type list says.
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(dir.file("again.csv")), &proposed),
                  ExpectMessage(&message));
    EXPECT_EQ(readCsvWithPython(dir.file("again.csv"), dir.file("read2.txt")).size(), 70001u);

    // The next query starts without the last result.
    view->RunQuery();
    EXPECT_EQ(view->GetResult(), nullptr);
    EXPECT_EQ(list->GetItemCount(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !view->IsQueryRunning(); }, 20000));
    pumpFor(50);
    EXPECT_EQ(list->GetItemCount(), 70000);
}

TEST_F(ViewsTest, UserWithoutDevicesHasEmptyListsAndNoQuery)
{
    auto* view = makeView<CViewStatistics>("u3");
    auto* devices = dynamic_cast<wxChoice*>(view->FindWindow(CViewQueryBase::IDC_DEVICE));
    auto* groups = dynamic_cast<wxChoice*>(view->FindWindow(CViewQueryBase::IDC_GROUP));
    ASSERT_TRUE(devices && groups);
    EXPECT_EQ(devices->GetCount(), 0u);
    EXPECT_EQ(groups->GetCount(), 0u);
    view->RunQuery();
    EXPECT_FALSE(view->IsQueryRunning());
    view->Export();  // nothing to export: no dialog
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 0);
}

// Typed text is taken when valid; Up/Down step the field under the caret.
TEST_F(ViewsTest, PickerTakesTypedTimesAndStepsFields)
{
    auto* view = makeView<CViewHistory>();
    CTimePickerText* picker = view->GetStartPicker();
    picker->SetValue("2019/3/24 8:05:00");
    EXPECT_EQ(picker->GetTime(), localTime(2019, 3, 24, 8, 5, 0));
    EXPECT_EQ(picker->GetValue(), "2019/03/24 08:05:00");
    picker->SetValue("2019/02/30 00:00:00");  // no such day: the last good time stays
    EXPECT_EQ(picker->GetTime(), localTime(2019, 3, 24, 8, 5, 0));
    EXPECT_EQ(picker->GetValue(), "2019/03/24 08:05:00");

    auto press = [&](int key, long caret) {
        picker->SetInsertionPoint(caret);
        wxKeyEvent down(wxEVT_KEY_DOWN);
        down.m_keyCode = key;
        down.SetEventObject(picker);
        picker->GetEventHandler()->ProcessEvent(down);
    };
    press(WXK_UP, 9);  // day
    EXPECT_EQ(picker->GetTime(), localTime(2019, 3, 25, 8, 5, 0));
    press(WXK_DOWN, 6);  // month
    EXPECT_EQ(picker->GetTime(), localTime(2019, 2, 25, 8, 5, 0));
    press(WXK_UP, 18);  // second
    EXPECT_EQ(picker->GetValue(), "2019/02/25 08:05:01");
}

// Enter in a picker runs the query, as the form's default button does.
TEST_F(ViewsTest, EnterRunsTheQuery)
{
    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    enter.SetEventObject(view->GetEndPicker());
    view->GetEndPicker()->GetEventHandler()->ProcessEvent(enter);
    EXPECT_TRUE(view->IsQueryRunning());
    ASSERT_TRUE(pumpUntil([&] { return !view->IsQueryRunning(); }, 20000));
    pumpFor(50);
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 3);
}

// Rows of a query that is still running when the group changes no longer
// fit the columns: they are dropped, and the view is ready for a new query.
TEST_F(ViewsTest, GroupChangeDuringAQueryDropsItsRows)
{
    auto* view = makeView<CViewHistory>();
    view->SelectGroup(2);
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 0, 0, 0));
    view->RunQuery();
    ASSERT_TRUE(view->IsQueryRunning());
    // Events (and with them the query's result) are handled only when pumped.
    view->SelectGroup(0);
    ASSERT_TRUE(pumpUntil([&] { return !view->IsQueryRunning(); }, 20000));
    pumpFor(50);
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 0);
    EXPECT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "A", "B", "C"}));
    EXPECT_TRUE(plotLogs().back()->rows.empty());

    setRange(view, localTime(2019, 3, 24, 0, 0, 0), localTime(2019, 3, 26, 0, 0, 0));
    runQuery(view);
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 3);
}

// Rows on both sides of 30 Sep -> 1 Oct and 31 Dec -> 1 Jan: table, curves
// and the exported sheet run oldest first (the label text would not).
TEST_F(ViewsTest, RowsAcrossMonthAndYearEndsAreOldestFirstInTableCurvesAndExport)
{
    TempDir dir;
    auto* view = makeView<CViewHistory>();
    view->SelectDevice(1);
    view->SelectGroup(1);
    ASSERT_EQ(columnTitles(view->GetResultList()), (std::vector<std::string>{"DataTime", "Y"}));
    setRange(view, localTime(2019, 9, 30, 22, 0, 0), localTime(2020, 1, 1, 1, 0, 0));
    runQuery(view);
    const char* labels[] = {"2019-9-30 23:00:00", "2019-9-30 23:30:00", "2019-10-01 00:00:00",
                            "2019-10-01 00:30:00", "2019-12-31 23:00:00", "2019-12-31 23:30:00",
                            "2020-1-01 00:00:00", "2020-1-01 00:30:00"};
    CResultList* list = view->GetResultList();
    ASSERT_EQ(list->GetItemCount(), 8);
    const PlotLog& plot = *plotLogs().back();
    ASSERT_EQ(plot.rows.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(cellText(list, i, 0), labels[i]) << "row " << i;
        EXPECT_EQ(plot.rows[i].values, std::vector<double>{double(i + 1)}) << "point " << i;
        if (i > 0) {
            const PointTime& a = plot.rows[i - 1].time;
            const PointTime& b = plot.rows[i].time;
            EXPECT_LT(std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second),
                      std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second)) << "point " << i;
        }
    }

    const std::string path = dir.file("turn.xls");
    wxString proposed, message;
    wxTEST_DIALOG(view->Export(), ExpectSave(wxString::FromUTF8(path), &proposed), ExpectMessage(&message));
    auto book = xl::test::readXls(path);
    ASSERT_TRUE(book);
    const auto& sheet = book->sheets.at(0);
    ASSERT_EQ(sheet.rows, 9u);
    for (unsigned i = 0; i < 8; ++i) {
        ASSERT_NE(sheet.at(i + 1, 0), nullptr);
        EXPECT_EQ(sheet.at(i + 1, 0)->text, labels[i]);
        ASSERT_NE(sheet.at(i + 1, 1), nullptr);
        EXPECT_EQ(sheet.at(i + 1, 1)->number, i + 1);
    }
}

// The pool runs through a relay that cuts the connection after the first
// rows of a 70000-row result: the operator is told, and the rows read so
// far are neither shown nor exported as if they were the result.
TEST_F(ViewsTest, AQueryCutPartWayIsReportedAndLeavesNothingToExport)
{
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    relay.start();
    TestDatabase::closePool();
    ASSERT_TRUE(openDatabase(buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay.port()),
                                                   db_->name(), TestDatabase::requireEnv("QUORVEL_DB_USER"),
                                                   TestDatabase::requireEnv("QUORVEL_DB_PASSWORD"))));
    struct DirectPoolAfterwards {
        ~DirectPoolAfterwards() { EXPECT_TRUE(db_->openPool()); }
    } restore;

    auto* view = makeView<CViewHistory>();
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 0, 0, 0));
    runQuery(view);
    ASSERT_EQ(view->GetResultList()->GetItemCount(), 4);  // group A: a whole result first

    view->SelectGroup(2);
    relay.cutAfterServerBytes(64 * 1024);
    wxString message;
    wxTEST_DIALOG(runQuery(view), ExpectMessage(&message));
    EXPECT_TRUE(relay.hasCut());
    EXPECT_EQ(message.ToStdString(wxConvUTF8).rfind("查询失败！\n", 0), 0u) << message;
    EXPECT_GT(message.length(), wxString::FromUTF8("查询失败！\n").length()) << "the reason is given";
    ASSERT_EQ(view->GetResultList()->GetItemCount(), 0) << "no partial table";
    EXPECT_EQ(view->GetResult(), nullptr);
    EXPECT_TRUE(plotLogs().back()->rows.empty()) << "no partial curves";
    view->Export();  // nothing to export: no dialog

    // The next query reconnects and reads the whole range.
    runQuery(view);
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 70000);
}

// Memory runs out while the query thread builds a result of over a million
// rows: the operator is told and the program goes on.
TEST_F(ViewsTest, RunningOutOfMemoryInTheQueryIsReportedNotFatal)
{
    if (!std::getenv("MALLOC_ARENA_MAX"))
        GTEST_SKIP() << "run on its own by ui_views_memory_test (fresh process, one malloc arena)";
    // Sixteen times the minute rows (this process has a database of its own):
    // even held compactly the result needs far more than the headroom below.
    for (int i = 0; i < 4; ++i)
        db_->executeUtf8("INSERT INTO data_gb SELECT * FROM data_gb");
    auto* view = makeView<CViewHistory>();
    view->SelectGroup(2);
    setRange(view, localTime(2019, 3, 1, 0, 0, 0), localTime(2019, 4, 30, 0, 0, 0));
    pumpFor(200);

    // Address space now in use, plus the worker's stack and a few MB: far
    // less than the result needs.
    long usedKb = 0;
    {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmSize:", 0) == 0)
                usedKb = std::stol(line.substr(7));
    }
    ASSERT_GT(usedKb, 0);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(usedKb + 8 * 1024 + 6 * 1024) * 1024;
    wxString message;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    wxTEST_DIALOG(runQuery(view), ExpectMessage(&message));
    setrlimit(RLIMIT_AS, &old);
    EXPECT_EQ(message.ToStdString(wxConvUTF8).rfind("查询失败！\n", 0), 0u) << message;
    EXPECT_NE(message.Lower().Find("memory"), wxNOT_FOUND) << message;
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 0);

    runQuery(view);
    EXPECT_EQ(view->GetResultList()->GetItemCount(), 16 * 70000);
}

// The toolkit starts before the first test and stops after the last.
static ::testing::Environment* const wxEnvironment = ::testing::AddGlobalTestEnvironment(new ViewsTestEnvironment);
