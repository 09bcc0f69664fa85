// The custom controls drawn by us, checked on screen under Xvfb.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/DevicePicker.h"
#include "ui/DlgBase.h"
#include "ui/LineColorListCtrl.h"
#include "ui/MeterButton.h"

namespace {

struct RGB {
    int r, g, b;
    bool operator==(const RGB&) const = default;
};
std::ostream& operator<<(std::ostream& os, const RGB& c) {
    return os << "RGB(" << c.r << "," << c.g << "," << c.b << ")";
}
RGB At(const wxImage& img, int x, int y) { return {img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y)}; }
RGB Of(const wxColour& c) { return {c.Red(), c.Green(), c.Blue()}; }

// Counts the pixels of each colour in an image.
std::map<unsigned long, int> Histogram(const wxImage& img) {
    std::map<unsigned long, int> h;
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            ++h[(img.GetRed(x, y) << 16) | (img.GetGreen(x, y) << 8) | img.GetBlue(x, y)];
    return h;
}
bool Has(const std::map<unsigned long, int>& h, const wxColour& c) {
    return h.count((c.Red() << 16) | (c.Green() << 8) | c.Blue()) > 0;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, wxS("controls"), wxPoint(0, 0), wxSize(600, 400));
        panel = new wxPanel(frame);
        frame->Show();
        wxtest::Pump(100);
    }
    void TearDown() override {
        frame->Destroy();
        wxtest::Pump(50);
    }
    CMeterButton* AddMeter(const wxString& label) {
        auto* b = new CMeterButton(panel, 1015, label, wxPoint(20, 20), wxSize(120, 40));
        b->SetMeterColorScheme();
        wxtest::Pump(100);
        return b;
    }
    void Send(wxWindow* w, wxEventType type, wxPoint at = wxPoint(10, 10)) {
        wxMouseEvent ev(type);
        ev.SetEventObject(w);
        ev.SetPosition(at);
        w->GetEventHandler()->ProcessEvent(ev);
        w->Update();
        wxtest::Pump(60);
    }
    wxFrame* frame = nullptr;
    wxPanel* panel = nullptr;
};

TEST_F(ControlsTest, MeterButtonIsGreenWithWhiteTextAndLighterUnderTheMouse) {
    CMeterButton* b = AddMeter(L"确认");
    EXPECT_EQ(Of(b->GetColor(CButtonST::BTNST_COLOR_BK_OUT)), (RGB{0, 149, 49}));
    EXPECT_EQ(Of(b->GetColor(CButtonST::BTNST_COLOR_BK_IN)), (RGB{0, 189, 89}));
    EXPECT_EQ(Of(b->GetColor(CButtonST::BTNST_COLOR_BK_FOCUS)), (RGB{0, 169, 69}));
    for (auto fg : {CButtonST::BTNST_COLOR_FG_IN, CButtonST::BTNST_COLOR_FG_OUT,
                    CButtonST::BTNST_COLOR_FG_FOCUS})
        EXPECT_EQ(Of(b->GetColor(fg)), (RGB{255, 255, 255}));

    // At rest: the whole face is the rest green (corner pixel: no frame when flat).
    wxImage rest = wxtest::GrabWhen(b, [](const wxImage& i) { return At(i, 3, 3) == RGB{0, 149, 49}; });
    EXPECT_EQ(At(rest, 3, 3), (RGB{0, 149, 49}));
    EXPECT_EQ(At(rest, 0, 0), (RGB{0, 149, 49})) << "a flat button at rest has no frame";
    EXPECT_TRUE(Has(Histogram(rest), *wxWHITE)) << "white label text expected";

    // Under the mouse: lighter green and a raised frame (highlight top-left).
    Send(b, wxEVT_ENTER_WINDOW);
    EXPECT_TRUE(b->IsHovering());
    wxImage hover = wxtest::GrabWhen(b, [](const wxImage& i) { return At(i, 3, 3) == RGB{0, 189, 89}; });
    EXPECT_EQ(At(hover, 3, 3), (RGB{0, 189, 89}));
    EXPECT_NE(At(hover, 0, 0), (RGB{0, 189, 89})) << "raised 3-D frame expected";
    wxtest::SaveShot(b, "meter_button_hover");

    Send(b, wxEVT_LEAVE_WINDOW);
    EXPECT_FALSE(b->IsHovering());
    EXPECT_EQ(At(wxtest::GrabWhen(b, [](const wxImage& i) { return At(i, 3, 3) == RGB{0, 149, 49}; }), 3, 3),
              (RGB{0, 149, 49}));
}

TEST_F(ControlsTest, FocusedMeterButtonShowsTheFocusGreenWithoutFocusRectangle) {
    CMeterButton* b = AddMeter(L"修改通讯");
    wxFocusEvent focus(wxEVT_SET_FOCUS, b->GetId());
    focus.SetEventObject(b);
    b->GetEventHandler()->ProcessEvent(focus);
    b->Update();
    wxtest::Pump(60);
    EXPECT_EQ(b->CurrentVisualState(), CButtonST::VisualState::Focus);
    const wxImage img = wxtest::GrabWhen(b, [](const wxImage& i) { return At(i, 3, 3) == RGB{0, 169, 69}; });
    // Every pixel is either the focus green or part of the white (antialiased)
    // label: no dotted focus rectangle along the edges.
    for (int x = 0; x < img.GetWidth(); ++x) {
        EXPECT_EQ(At(img, x, 1), (RGB{0, 169, 69})) << "x=" << x;
        EXPECT_EQ(At(img, x, img.GetHeight() - 2), (RGB{0, 169, 69})) << "x=" << x;
    }
}

TEST_F(ControlsTest, ClickSendsOneCommandAndPressedButtonIsSunken) {
    CMeterButton* b = AddMeter(L"确认");
    int clicks = 0;
    panel->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) {
        EXPECT_EQ(e.GetId(), 1015);
        ++clicks;
    });
    Send(b, wxEVT_ENTER_WINDOW);
    Send(b, wxEVT_LEFT_DOWN);
    EXPECT_TRUE(b->IsPressedDown());
    const RGB shadow = Of(CButtonST::ShadowColour());
    const wxImage pressed = wxtest::GrabWhen(b, [&](const wxImage& i) { return At(i, 0, 0) == shadow; });
    EXPECT_EQ(At(pressed, 3, 3), (RGB{0, 189, 89})) << "pressed uses the hover green";
    EXPECT_EQ(At(pressed, 0, 0), shadow)
        << "sunken frame: shadow at the top left";
    Send(b, wxEVT_LEFT_UP);
    EXPECT_EQ(clicks, 1);

    // Released outside the button: no command.
    Send(b, wxEVT_LEFT_DOWN);
    Send(b, wxEVT_LEFT_UP, wxPoint(-30, -30));
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, DisabledMeterButtonShowsEmbossedGreyTextAndIgnoresClicks) {
    CMeterButton* b = AddMeter(L"修改密码");
    int clicks = 0;
    panel->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicks; });
    b->Disable();
    wxtest::Pump(60);
    // Grey glyph pixels: the shadow copy (white on green never blends to grey).
    const auto greyPixels = [](const wxImage& i) {
        int n = 0;
        for (int y = 0; y < i.GetHeight(); ++y)
            for (int x = 0; x < i.GetWidth(); ++x) {
                const int r = i.GetRed(x, y), g = i.GetGreen(x, y), bl = i.GetBlue(x, y);
                if (std::abs(r - g) < 16 && std::abs(g - bl) < 16 && r >= 90 && r <= 170) ++n;
            }
        return n;
    };
    const wxImage img = wxtest::GrabWhen(b, [&](const wxImage& i) { return greyPixels(i) > 20; });
    EXPECT_GT(greyPixels(img), 20) << "the text is drawn in the shadow grey";
    const auto hist = Histogram(img);
    int nearWhite = 0;
    for (const auto& [rgb, n] : hist)
        if ((rgb >> 16) >= 215 && ((rgb >> 8) & 0xFF) >= 215 && (rgb & 0xFF) >= 215) nearWhite += n;
    EXPECT_GT(nearWhite, 0) << "with a highlight copy one pixel right and down";
    EXPECT_EQ(b->CurrentVisualState(), CButtonST::VisualState::Out);
    wxtest::SaveShot(b, "meter_button_disabled");
    Send(b, wxEVT_LEFT_DOWN);
    Send(b, wxEVT_LEFT_UP);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ControlsTest, ListColumnSetterMakesTallRowsOnceAndColoursFollowRowIndexes) {
    auto* list = new CLineColorListCtrl(panel, 1062, wxPoint(0, 0), wxSize(500, 300));
    list->SetColumns({{1, L"计量单位", 120}, {0, L"数据名称", 150}});
    ASSERT_EQ(list->GetColumnCount(), 2);
    wxListItem col;
    col.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(0, col);
    EXPECT_EQ(col.GetText(), wxString(L"数据名称")) << "columns go in index order";
    EXPECT_EQ(list->GetColumnWidth(0), 150);
    EXPECT_EQ(list->GetColumnWidth(1), 120);
    wxImageList* images = list->GetImageList(wxIMAGE_LIST_SMALL);
    ASSERT_NE(images, nullptr);
    list->SetColumns({{2, L"备注", 80}});
    EXPECT_EQ(list->RowImageListCreations(), 1);
    EXPECT_EQ(list->GetImageList(wxIMAGE_LIST_SMALL), images);
    EXPECT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(Of(list->GetBackgroundColour()), (RGB{192, 192, 220}));
    EXPECT_TRUE(list->HasFlag(wxLC_HRULES) && list->HasFlag(wxLC_VRULES));

    for (int i = 0; i < 3; ++i) list->InsertItem(i, wxString::Format(L"温度%d", i));
    list->SetRowColor(1, wxColour(0, 255, 255), wxColour(255, 0, 0));
    wxtest::Pump(100);
    wxRect r0;
    ASSERT_TRUE(list->GetItemRect(0, r0));
    EXPECT_GE(r0.height, CLineColorListCtrl::kRowHeight);
    EXPECT_EQ(Of(list->GetItemBackgroundColour(1)), (RGB{255, 0, 0}));
    EXPECT_EQ(Of(list->GetItemTextColour(1)), (RGB{0, 255, 255}));

    // On screen: row 1 is red inside the list.
    wxRect r1;
    ASSERT_TRUE(list->GetItemRect(1, r1));
    const wxImage shot = wxtest::GrabWhen(list, [](const wxImage& i) { return Histogram(i).count(0xFF0000) > 0; });
    const auto hist = Histogram(shot);
    const auto red = hist.find(0xFF0000);
    ASSERT_NE(red, hist.end()) << "row 1 is painted red";
    EXPECT_GT(red->second, (r1.width / 2) * (r1.height / 2)) << "most of row 1 is red";
    wxtest::SaveShot(list, "line_color_list");

    // A colour belongs to the row index: a row inserted at the top moves the
    // items down, the red stays on row 1.
    list->InsertItem(0, L"新行");
    wxtest::Pump(100);
    EXPECT_EQ(Of(list->GetItemBackgroundColour(1)), (RGB{255, 0, 0}));
    EXPECT_FALSE(list->GetItemBackgroundColour(2).IsOk() &&
                 Of(list->GetItemBackgroundColour(2)) == (RGB{255, 0, 0}));
    // A colour set before its row exists applies once the row is inserted.
    list->SetRowColor(6, *wxBLACK, wxColour(1, 2, 3));
    for (int i = list->GetItemCount(); i <= 6; ++i) list->InsertItem(i, wxS("x"));
    wxtest::Pump(100);
    EXPECT_EQ(Of(list->GetItemBackgroundColour(6)), (RGB{1, 2, 3}));
}

TEST_F(ControlsTest, ViewColouringMakesStaticTextYellowAndEditsViewColoured) {
    auto* label = new wxStaticText(panel, wxID_ANY, L"用户名", wxPoint(10, 10));
    auto* edit = new wxTextCtrl(panel, wxID_ANY, wxEmptyString, wxPoint(80, 10));
    const wxColour view(192, 192, 192);
    ApplyViewColouring(panel, view);
    EXPECT_EQ(Of(label->GetForegroundColour()), (RGB{255, 255, 0}));
    EXPECT_EQ(Of(edit->GetBackgroundColour()), (RGB{192, 192, 192}));
    EXPECT_EQ(Of(panel->GetBackgroundColour()), (RGB{192, 192, 192}));
    wxtest::Pump(80);
    // The label's glyphs are yellow on the view colour.
    wxtest::SaveShot(panel, "view_colouring");
    // Antialiased glyphs: count clearly yellow pixels rather than exact ones.
    const auto yellowish = [](const wxImage& i) {
        int n = 0;
        for (int y = 0; y < i.GetHeight(); ++y)
            for (int x = 0; x < i.GetWidth(); ++x)
                if (i.GetRed(x, y) >= 200 && i.GetGreen(x, y) >= 200 && i.GetBlue(x, y) <= 120) ++n;
        return n;
    };
    const wxImage shot = wxtest::GrabWhen(label, [&](const wxImage& i) { return yellowish(i) > 10; });
    EXPECT_GT(yellowish(shot), 10) << "yellow label text";
    const auto hist = Histogram(shot);
    EXPECT_TRUE(Has(hist, view));
}

}  // namespace

namespace {

std::vector<CDevicePicker::Entry> Devices(int n, std::vector<int>& data) {
    data.resize(static_cast<std::size_t>(n));
    std::vector<CDevicePicker::Entry> out;
    for (int i = 0; i < n; ++i) {
        data[static_cast<std::size_t>(i)] = i;
        out.push_back({wxString::FromUTF8("站点" + std::to_string(1000 + i)), &data[static_cast<std::size_t>(i)]});
    }
    return out;
}

}  // namespace

// A short device list is the plain drop-down of before; a long one gets a
// filter box and shows the matching devices only, the chosen one staying
// chosen while it matches.
TEST_F(ControlsTest, DevicePickerFiltersLongListsAndKeepsTheChoiceWhileItMatches) {
    auto* picker = new CDevicePicker(panel, 1000, wxPoint(20, 20), wxSize(200, -1));
    int choices = 0;
    void* chosen = nullptr;
    picker->Bind(wxEVT_CHOICE, [&](wxCommandEvent& e) {
        ++choices;
        chosen = picker->GetClientData(static_cast<unsigned>(e.GetInt()));
    });
    std::vector<int> data;

    picker->SetEntries(Devices(8, data));
    EXPECT_FALSE(picker->IsFiltering());
    EXPECT_FALSE(picker->GetFilterBox()->IsShown());
    ASSERT_EQ(picker->GetCount(), 8u);
    EXPECT_EQ(picker->GetString(7).utf8_string(), "站点1007");
    EXPECT_EQ(picker->GetClientData(7), &data[7]);
    EXPECT_EQ(picker->GetSelection(), wxNOT_FOUND);

    picker->SetEntries(Devices(5000, data));
    EXPECT_TRUE(picker->IsFiltering());
    EXPECT_TRUE(picker->GetFilterBox()->IsShown());
    EXPECT_EQ(picker->GetEntryCount(), 5000u);
    EXPECT_EQ(picker->GetCount(), CDevicePicker::kMaxShown);
    picker->SetSelection(3);  // 站点1003

    // "100" matches 站点1000..1009 and 站点1100.., 站点2100..: the chosen one stays.
    picker->GetFilterBox()->SetValue("100");
    wxtest::Pump(20);
    EXPECT_EQ(choices, 0);
    ASSERT_NE(picker->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(picker->GetClientData(static_cast<unsigned>(picker->GetSelection())), &data[3]);
    for (unsigned i = 0; i < picker->GetCount(); ++i)
        EXPECT_NE(picker->GetString(i).utf8_string().find("100"), std::string::npos);

    // It no longer matches: the first match is chosen, as if picked.
    picker->SetFilter("4321");
    ASSERT_EQ(picker->GetCount(), 1u);
    EXPECT_EQ(choices, 1);
    EXPECT_EQ(chosen, &data[3321]);
    EXPECT_EQ(picker->GetSelection(), 0);

    // Nothing matches: the chosen device stays, alone.
    picker->SetFilter("no such name");
    ASSERT_EQ(picker->GetCount(), 1u);
    EXPECT_EQ(picker->GetClientData(0), &data[3321]);
    EXPECT_EQ(choices, 1);

    // Typing on the drop-down itself goes to the filter box.
    picker->SetFilter("");
    wxKeyEvent key(wxEVT_CHAR);
    key.m_uniChar = '7';
    key.m_keyCode = '7';
    key.SetEventObject(picker);
    picker->GetEventHandler()->ProcessEvent(key);
    EXPECT_EQ(picker->GetFilterBox()->GetValue(), "7");
}
