// The plot window on a real display: layout, buttons, legend, menus, date
// dialog, and screenshots under tests/artifacts/ to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "CoordsSys.h"
#include "DialogSelectDate.h"
#include "LocalTime.h"
#include "PlotWnd.h"
#include "WxCanvas.h"
#include "curvella/CoordsSysEngine.h"
#include "quorvel_test/MessageBoxLabels.h"

using namespace curvella;

namespace {

void pump(int rounds = 20) {
    for (int i = 0; i < rounds; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();  // also deletes destroyed frames
        wxYield();
        wxMilliSleep(10);
    }
}

std::string artifact(const std::string& name) {
    std::filesystem::create_directories("artifacts");
    return "artifacts/" + name;
}

// What is on screen inside the window, children included, read back from
// the X server (a wxScreenDC blit returns stale pixels on GTK 3).
wxImage grab(wxWindow* w, const std::string& file) {
    pump();
    w->Update();
    pump(10);
    const std::string full = artifact("screen_" + file);
    const std::string cmd = "import -window root " + full + " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) {
        ADD_FAILURE() << "import failed";
        return {};
    }
    wxImage screen(wxString(full), wxBITMAP_TYPE_PNG);
    std::filesystem::remove(full);
    const wxRect r(w->GetScreenPosition(), w->GetSize());
    wxImage img = screen.GetSubImage(r.Intersect(wxRect(0, 0, screen.GetWidth(), screen.GetHeight())));
    img.SaveFile(wxString(artifact(file)), wxBITMAP_TYPE_PNG);
    return img;
}

// Pixels near the given colour (lines are antialiased).
int countColour(const wxImage& img, const wxRect& r, unsigned char red, unsigned char green, unsigned char blue) {
    int n = 0;
    auto near = [](int a, int b) { return std::abs(a - b) <= 60; };
    for (int y = std::max(r.y, 0); y < std::min(r.GetBottom() + 1, img.GetHeight()); ++y)
        for (int x = std::max(r.x, 0); x < std::min(r.GetRight() + 1, img.GetWidth()); ++x)
            if (near(img.GetRed(x, y), red) && near(img.GetGreen(x, y), green) && near(img.GetBlue(x, y), blue)) ++n;
    return n;
}

// Where client (0, 0) lies in a grab of the window.
wxPoint clientOffset(wxWindow& w) { return w.ClientToScreen(wxPoint(0, 0)) - w.GetScreenPosition(); }

wxRect toWx(const Rect& r) { return wxRect(r.left, r.top, r.width(), r.height()); }

struct EngineDeleter {
    void operator()(CoordsSysEngine* e) const { releaseCoordsSys(e); }
};

// A frame holding one plot whose client area is width x height.
struct Fixture {
    Fixture(int width = 700, int height = 600) {
        frame = new wxFrame(nullptr, wxID_ANY, "plot", wxPoint(0, 0), wxSize(width + 40, height + 80));
        frame->Show();
        frame->Raise();
        pump();
        engine.reset(createCoordsSys());
        engine->CreateWnd(frame, 10, 10, 10 + width + 2, 10 + height + 2);  // 1-pixel border
        pump();
    }
    ~Fixture() {
        engine.reset();
        frame->Destroy();
        pump(3);
    }
    CoordsSys& sys() { return *static_cast<CoordsSys*>(engine.get()); }
    CPlotWnd& wnd() { return *static_cast<CPlotWnd*>(sys().window()); }
    void tick(std::size_t entry) {
        wxCheckBox* c = wnd().Legend()->CheckBox(entry);
        c->SetValue(!c->GetValue());
        wxCommandEvent e(wxEVT_CHECKBOX, c->GetId());
        e.SetEventObject(c);
        e.SetInt(c->GetValue());
        c->ProcessWindowEvent(e);
    }

    wxFrame* frame = nullptr;
    std::unique_ptr<CoordsSysEngine, EngineDeleter> engine;
};

// Temperature-like, humidity-like and set-point-like values every `step` minutes.
void addDays(CoordsSysEngine& e, int days, int series, int step = 10) {
    std::vector<double> v(static_cast<std::size_t>(series));
    for (int d = 0; d < days; ++d)
        for (int m = 0; m < 24 * 60; m += step) {
            for (int s = 0; s < series; ++s) {
                double& x = v[static_cast<std::size_t>(s)];
                if (s % 3 == 0) x = 24 + 8 * std::cos(m / 230.0) + s;
                else if (s % 3 == 1) x = 55 + 15 * std::sin(m / 200.0);
                else x = 18 + 3 * std::sin(m / 120.0);
            }
            ASSERT_TRUE(e.AddDatas(2014, 7, 18 + d, m / 60, m % 60, 0, v.data(), series));
        }
}

}  // namespace

TEST(PlotWindow, LayoutOfSevenHundredBySixHundredAndFirstTexts) {
    Fixture f;
    CPlotWnd& w = f.wnd();
    ASSERT_TRUE(w.IsCreated());
    ASSERT_EQ(w.GetClientSize(), wxSize(700, 600));
    const PlotLayout expected = PlotLayout::compute(700, 600);
    EXPECT_EQ(w.Layout().plot, expected.plot);
    const char* texts[] = {"+", "1天", "-", "", "", "U", "上一页", "", "", "U", "下一页", "2014-07-19"};
    for (int i = 0; i < kButtonCount; ++i) {
        CButtonST* b = w.Button(i);
        EXPECT_EQ(b->GetId(), 4096 + i);
        EXPECT_EQ(b->GetRect(), toWx(expected.buttons[static_cast<std::size_t>(i)])) << "button " << i;
        EXPECT_EQ(b->GetLabel(), wxString::FromUTF8(texts[i])) << "button " << i;
        const bool side = i == kLeftUnit || i == kLeftSeries || i == kRightUnit || i == kRightSeries;
        EXPECT_EQ(b->IsVerticalCaption(), side) << "button " << i;
    }
    EXPECT_EQ(w.Legend()->GetRect(), toWx(expected.legend));
    EXPECT_GE(w.GetId(), 12000);

    // Moving lays everything out again.
    f.engine->MoveWnd(0, 0, 402, 302);
    pump();
    EXPECT_EQ(w.Button(kDateButton)->GetRect(), toWx(PlotLayout::compute(400, 300).buttons[kDateButton]));
    // A second CreateWnd changes nothing.
    f.engine->CreateWnd(f.frame, 50, 50, 100, 100);
    EXPECT_EQ(w.GetSize(), wxSize(402, 302));
}

TEST(PlotWindow, TwoUnitsAndABarSeriesScreenshot) {
    Fixture f;
    f.engine->AddPlot("温度", "℃", 0x0000FF, 1000, 0, false, false);   // red line, left
    f.engine->AddPlot("湿度", "%RH", 0xFF0000, 1000, 0, false, false);  // blue line, right
    f.engine->AddPlot("设定", "℃", 0x008000, 1000, 0, false, true);     // green bars on the left unit
    addDays(*f.engine, 2, 3, 60);
    f.engine->InitPlots();
    f.engine->ShowWnd();
    f.tick(1);
    f.tick(2);
    CPlotWnd& w = f.wnd();
    EXPECT_EQ(w.Button(kLeftUnit)->GetLabel(), wxString::FromUTF8("℃"));
    EXPECT_EQ(w.Button(kLeftSeries)->GetLabel(), wxString::FromUTF8("设定"));
    EXPECT_EQ(w.Button(kRightSeries)->GetLabel(), wxString::FromUTF8("湿度"));
    EXPECT_EQ(w.Button(kRightUnit)->GetLabel(), wxString::FromUTF8("%RH"));
    EXPECT_TRUE(w.Button(kRightSeries)->IsShown());
    EXPECT_EQ(w.Button(kSpanButton)->GetLabel(), wxString::FromUTF8("1天"));
    EXPECT_EQ(w.Button(kDateButton)->GetLabel(), wxString::FromUTF8("周六 2014 七月 19"));
    const wxImage img = grab(&w, "plot_two_units_bars.png");
    const wxRect plot = toWx(w.Layout().plot);
    const wxPoint border = clientOffset(w);
    const wxRect onImage(plot.GetPosition() + border, plot.GetSize());
    EXPECT_GT(countColour(img, onImage, 192, 192, 192), plot.width * plot.height / 4);  // grey background
    EXPECT_GT(countColour(img, onImage, 255, 0, 0), 100);  // red curve
    EXPECT_GT(countColour(img, onImage, 0, 0, 255), 100);  // blue curve
    EXPECT_GT(countColour(img, onImage, 0, 128, 0), 500);  // green bars
    // The left unit button wears the left plot's colour.
    const wxRect unit = w.Button(kLeftUnit)->GetRect();
    EXPECT_GT(countColour(img, wxRect(unit.GetPosition() + border, unit.GetSize()), 0, 128, 0), unit.width * 4);
    // Nothing of the curves outside the plot rectangle, e.g. in the legend.
    const wxRect legend = w.Legend()->GetRect();
    EXPECT_EQ(countColour(img, wxRect(legend.x + 100, legend.y + 30, legend.width - 110, legend.height - 35), 255, 0, 0),
              0);
}

TEST(PlotWindow, LegendOfNineScrolledOneRowScreenshot) {
    Fixture f;
    for (int i = 0; i < 9; ++i) {
        const std::string caption = "通道" + std::to_string(i + 1);
        f.engine->AddPlot(caption.c_str(), "V", static_cast<int>(0x101010u * static_cast<unsigned>(i + 1)), 1000, 0,
                          false, false);
    }
    f.engine->InitPlots();
    CItemWnd* legend = f.wnd().Legend();
    ASSERT_EQ(legend->Count(), 9u);
    EXPECT_EQ(legend->Rows(), 2);
    EXPECT_TRUE(legend->CheckBox(0)->GetValue());
    EXPECT_FALSE(legend->CheckBox(8)->GetValue());
    EXPECT_EQ(legend->CheckBox(8)->GetId(), 0x4000 + 8);
    EXPECT_NE(legend->Swatch(8)->GetId(), legend->Swatch(7)->GetId());
    const wxPoint firstSpot = legend->CheckBox(0)->GetPosition();
    grab(f.wnd().GetParent(), "legend_nine_top.png");

    wxScrollWinEvent down(wxEVT_SCROLLWIN_LINEDOWN, 0, wxVERTICAL);
    legend->ProcessWindowEvent(down);
    EXPECT_EQ(legend->ScrollRow(), 1);
    EXPECT_EQ(legend->CheckBox(8)->GetPosition(), firstSpot);
    legend->ProcessWindowEvent(down);  // already at the last row
    EXPECT_EQ(legend->ScrollRow(), 1);
    grab(&f.wnd(), "legend_nine_scrolled.png");
    wxScrollWinEvent top(wxEVT_SCROLLWIN_TOP, 0, wxVERTICAL);
    legend->ProcessWindowEvent(top);
    EXPECT_EQ(legend->CheckBox(0)->GetPosition(), firstSpot);
}

TEST(PlotWindow, SwatchFlipsItsCheckBoxAndTheSeries) {
    Fixture f;
    f.engine->AddPlot("A", "V", 0x0000FF, 1000, 0, false, false);
    f.engine->AddPlot("B", "V", 0x00FF00, 1000, 0, false, false);
    f.engine->InitPlots();
    CItemWnd* legend = f.wnd().Legend();
    legend->ClickSwatch(1);
    EXPECT_TRUE(legend->CheckBox(1)->GetValue());
    EXPECT_EQ(f.sys().selection(), (std::vector<int>{0, 1}));
    EXPECT_EQ(f.sys().rightPlot(), 1);
    EXPECT_EQ(f.wnd().Button(kRightLock)->IsShown(), true);
    f.tick(0);  // the check box itself
    EXPECT_EQ(f.sys().selection(), std::vector<int>{1});
    EXPECT_FALSE(f.wnd().Button(kRightSeries)->IsShown());
    // Swatch colours follow the series.
    EXPECT_EQ(legend->Swatch(1)->StateBackground(CButtonST::Out), wxColour(0, 255, 0));
}

TEST(PlotWindow, SpanMenuListsTheNineSpansAndChoosing) {
    Fixture f;
    f.engine->AddPlot("A", "V", 0x0000FF, 1000, 0, false, false);
    addDays(*f.engine, 1, 1);
    f.engine->InitPlots();
    CPlotWnd& w = f.wnd();
    std::vector<wxString> items;
    wxPoint at;
    w.SetMenuObserver([&](wxMenu& m, const wxPoint& p) {
        items.clear();
        for (wxMenuItem* i : m.GetMenuItems()) items.push_back(i->GetItemLabelText());
        at = p;
    });
    w.RunCommand(4097);
    std::vector<wxString> expected;
    for (const char* s : {"1小时", "4小时", "8小时", "12小时", "1天", "3天", "周", "月", "年"})
        expected.push_back(wxString::FromUTF8(s));
    EXPECT_EQ(items, expected);
    EXPECT_EQ(at, wxPoint(w.Layout().buttons[kSpanButton].left, w.Layout().buttons[kSpanButton].bottom));
    w.RunCommand(8192 + 6);
    EXPECT_EQ(f.sys().xScale().span(), 6);
    EXPECT_EQ(w.Button(kSpanButton)->GetLabel(), wxString::FromUTF8("周"));
    w.RunCommand(4096);  // "+"
    EXPECT_EQ(f.sys().xScale().span(), 5);
    w.RunCommand(4098);  // "-"
    EXPECT_EQ(f.sys().xScale().span(), 6);

    // The real pop-up, photographed while open and closed with Escape.
    w.SetMenuObserver(nullptr);
    const std::string shot = artifact("span_menu.png");
    std::filesystem::remove(shot);
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const std::string cmd = "import -window root " + shot + " 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        wxUIActionSimulator sim;
        sim.Char(WXK_ESCAPE);
    });
    timer.StartOnce(700);
    w.RunCommand(4097);  // returns when the menu closes
    pump(5);
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_EQ(f.sys().xScale().span(), 6);  // Escape chose nothing
}

TEST(PlotWindow, SeriesMenusReachEveryPlotAndShowLongCaptionsWhole) {
    Fixture f;
    const std::string longCaption(150, 'x');
    for (int i = 0; i < 70; ++i) {
        const std::string caption = i == 69 ? longCaption + "&" : "S" + std::to_string(i);
        f.engine->AddPlot(caption.c_str(), "V", i, 1000, 0, false, false);
    }
    f.engine->InitPlots();
    f.tick(69);
    f.tick(68);
    EXPECT_EQ(f.sys().leftPlot(), 68);
    EXPECT_EQ(f.sys().rightPlot(), 69);
    CPlotWnd& w = f.wnd();
    std::vector<std::pair<int, wxString>> items;
    w.SetMenuObserver([&](wxMenu& m, const wxPoint&) {
        items.clear();
        for (wxMenuItem* i : m.GetMenuItems()) items.emplace_back(i->GetId(), i->GetItemLabelText());
    });
    w.RunCommand(4100);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].first, 12288 + 69);
    EXPECT_EQ(items[1].second, wxString(longCaption + "&"));  // whole, ampersand kept
    w.RunCommand(12288 + 69);
    EXPECT_EQ(f.sys().leftPlot(), 69);
    w.RunCommand(4104);
    EXPECT_EQ(items[0].first, 16384 + 0);
    w.RunCommand(16384 + 0);
    EXPECT_EQ(f.sys().rightPlot(), 0);
    w.RunCommand(4101);
    EXPECT_EQ(w.Button(kLeftLock)->GetLabel(), "L");
    w.RunCommand(4105);
    EXPECT_EQ(w.Button(kRightLock)->GetLabel(), "L");
}

namespace {

// A message box: remembers its text; its button must read 确定.
class ExpectBox : public wxExpectModalBase<wxMessageDialog, ExpectBox> {
public:
    explicit ExpectBox(wxString* text) : m_text(text) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        *m_text = box->GetMessage();
        EXPECT_TRUE(hasOwnButtonLabels(*box));
        return wxID_OK;
    }

private:
    wxString* m_text;
};

}  // namespace

TEST(PlotWindow, DateDialogInsistsOnASelectionAndAnswersTheDay) {
    Fixture f;
    std::vector<std::string> labels = {"14/07/18", "14/07/19", "99/12/31", "00/01/01"};
    CDialogSelectDate dlg(&f.wnd(), labels);
    EXPECT_EQ(dlg.GetTitle(), wxString::FromUTF8("选择日期"));
    ASSERT_EQ(dlg.List()->GetCount(), 4u);
    EXPECT_EQ(dlg.List()->GetString(0), "00/01/01");  // sorted
    bool accepted = true;
    wxString message;
    wxTEST_DIALOG(accepted = dlg.AcceptSelection(), ExpectBox(&message));
    EXPECT_EQ(message, wxString::FromUTF8("没有选择日期!"));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(dlg.Chosen(), -1);
    dlg.List()->SetSelection(0);
    EXPECT_TRUE(dlg.AcceptSelection());
    EXPECT_EQ(dlg.Chosen(), 3);  // the day it stands for, not its sorted row
    dlg.List()->SetSelection(2);
    EXPECT_TRUE(dlg.AcceptSelection());
    EXPECT_EQ(dlg.Chosen(), 1);
}

namespace {

// Selects the first row of the date list and presses OK.
class PickFirstDay : public wxExpectModalBase<CDialogSelectDate, PickFirstDay> {
public:
    explicit PickFirstDay(int& answer) : answer_(&answer) {}

protected:
    int OnInvoked(CDialogSelectDate* d) const override {
        d->List()->SetSelection(0);
        *answer_ = d->AcceptSelection() ? d->Chosen() : -1;
        return wxID_OK;
    }

private:
    int* answer_;
};

}  // namespace

TEST(PlotWindow, DateButtonJumpsThroughTheDialog) {
    Fixture f;
    f.engine->AddPlot("A", "V", 0x0000FF, 1000, 0, false, false);
    addDays(*f.engine, 2, 1);
    f.engine->InitPlots();
    int answer = -2;
    wxTEST_DIALOG(f.wnd().RunCommand(4107), PickFirstDay(answer));
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(f.wnd().Button(kDateButton)->GetLabel(), wxString::FromUTF8("周五 2014 七月 18"));
    wxTEST_DIALOG(f.wnd().RunCommand(4107), wxExpectDismissableModal<CDialogSelectDate>(wxID_CANCEL));
    EXPECT_EQ(f.wnd().Button(kDateButton)->GetLabel(), wxString::FromUTF8("周五 2014 七月 18"));
}

TEST(PlotWindow, ReleaseAndParentDestructionInEitherOrder) {
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "a");
        CoordsSysEngine* e = createCoordsSys();
        e->CreateWnd(frame, 0, 0, 300, 200);
        releaseCoordsSys(e);  // the window goes with the engine
        EXPECT_TRUE(frame->GetChildren().empty());
        frame->Destroy();
    }
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "b");
        CoordsSysEngine* e = createCoordsSys();
        e->CreateWnd(frame, 0, 0, 300, 200);
        delete frame;  // the parent takes the window first
        e->ShowWnd();  // a no-op now, not a crash
        e->InitPlots();
        releaseCoordsSys(e);
    }
    releaseCoordsSys(nullptr);
    pump(3);
}

TEST(PlotWindow, YearOfMinuteRowsInTheYearSpanStaysInsideThePlot) {
    Fixture f;
    // The fixed range 0..50 is narrower than the data: without clipping the
    // curves would run over the buttons and the legend.
    f.engine->AddPlot("负荷", "kW", 0x0000FF, 50, 0, true, false);
    f.engine->AddPlot("电压", "V", 0xFF0000, 1000, 0, false, false);
    CoordsSys& sys = f.sys();
    const std::int64_t start = localTimeOrThrow(2014, 1, 1, 0, 0, 0);
    double v[2];
    for (std::int64_t r = 0; r < 525600; ++r) {
        v[0] = 40 + 30 * std::sin(static_cast<double>(r) / 20000.0) + (r % 13);
        v[1] = 220 + 20 * std::sin(static_cast<double>(r) / 3000.0);
        sys.addRowAt(start + r * 60, v, 2);
    }
    f.engine->UpdateDatas();
    f.engine->InitPlots();
    f.tick(1);
    sys.changeSpan(kYearSpan);
    while (sys.xScale().windowStart() > start) sys.previousPage();
    EXPECT_EQ(sys.datas().windowRows().size(), 525600u);
    EXPECT_EQ(f.wnd().Button(kDateButton)->GetLabel(), wxString::FromUTF8("周三 2014 一月 01"));
    const wxImage img = grab(&f.wnd(), "year_of_minutes.png");
    const wxPoint border = clientOffset(f.wnd());
    const wxRect plot(toWx(f.wnd().Layout().plot).GetPosition() + border, toWx(f.wnd().Layout().plot).GetSize());
    EXPECT_GT(countColour(img, plot, 255, 0, 0), 1000);
    EXPECT_GT(countColour(img, plot, 0, 0, 255), 1000);
    // Red outside the plot may only be the left unit button and the legend swatch.
    const wxRect unit(f.wnd().Button(kLeftUnit)->GetPosition() + border, f.wnd().Button(kLeftUnit)->GetSize());
    wxWindow* sw = f.wnd().Legend()->Swatch(0);
    const wxRect swatch(sw->GetScreenPosition() - f.wnd().GetScreenPosition(), sw->GetSize());
    int outside = 0;
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            if (!plot.Contains(x, y) && !unit.Contains(x, y) && !swatch.Contains(x, y) && img.GetRed(x, y) > 200 &&
                img.GetGreen(x, y) < 60 && img.GetBlue(x, y) < 60) {
                ++outside;
            }
    EXPECT_EQ(outside, 0);
}

TEST(WxCanvasPixels, RunsLinesAndBarsLandOnExactPixels) {
    wxBitmap bitmap(60, 60);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        WxCanvas c(dc);
        c.spans({{10, 5, 20}, {12, 7, 7}}, 0x0000FF);
        c.polyline({{0, 30}, {20, 30}, {20, 40}}, 0xFF0000);
        c.bar({30, 30, 40, 40}, 0x00FF00);
        c.clip({0, 50, 60, 60});
        c.polyline({{0, 45}, {59, 45}}, 0xFF0000);  // clipped away entirely
        c.clearClip();
    }
    const wxImage img = bitmap.ConvertToImage();
    auto is = [&](int x, int y, int r, int g, int b) {
        return img.GetRed(x, y) == r && img.GetGreen(x, y) == g && img.GetBlue(x, y) == b;
    };
    auto red = [&](int x, int y) { return is(x, y, 255, 0, 0); };
    auto white = [&](int x, int y) { return is(x, y, 255, 255, 255); };
    for (int y = 5; y <= 20; ++y) EXPECT_TRUE(red(10, y)) << y;  // both ends included
    EXPECT_TRUE(white(10, 4));
    EXPECT_TRUE(white(10, 21));
    EXPECT_TRUE(white(9, 12));
    EXPECT_TRUE(white(11, 12));
    EXPECT_TRUE(red(12, 7));  // a run of one pixel
    for (int x = 0; x < 20; ++x) EXPECT_TRUE(is(x, 30, 0, 0, 255)) << x;  // hard-edged, no blending
    EXPECT_TRUE(white(5, 29));
    EXPECT_TRUE(white(5, 31));
    EXPECT_TRUE(is(30, 30, 0, 255, 0));
    EXPECT_TRUE(is(39, 39, 0, 255, 0));
    EXPECT_TRUE(white(40, 35));
    EXPECT_TRUE(white(35, 40));
    for (int x = 0; x < 60; ++x) EXPECT_TRUE(white(x, 45)) << x;
}
