// The data point view and its edit dialog in the program's own frame against
// a fresh seeded database. The edit dialog runs really modal and is driven
// from a timer inside its loop; the colour dialog and message boxes are
// answered by a modal hook.

#include <dlfcn.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <soci/soci.h>
#include <wx/colordlg.h>
#include <wx/listctrl.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "FrameTestSupport.h"
#include "TestDatabase.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/SessionTimeouts.h"
#include "quorvel_test/TcpForwarder.h"
#include "quorvel_test/WxTestApp.h"
#include "quorvel_test/MessageBoxLabels.h"
#include "db/EMDeviceGroupItem.h"
#include "ui/DlgDataEdit.h"
#include "ui/MainFrame.h"
#include "ui/ResultList.h"
#include "ui/UiText.h"
#include "ui/ViewDataModify.h"
#include "ui/ViewHistory.h"

namespace {

constexpr const char* kProgramName = "ui_data_point_view_test";
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment(kProgramName));

using quorvel::ui::utf8ToUi;

// Answers the colour dialog with a chosen colour (or Cancel) and message
// boxes with OK, recording what they showed; other dialogs run as usual.
class DialogAnswers : public wxModalDialogHook {
public:
    DialogAnswers() { Register(); }
    ~DialogAnswers() override { Unregister(); }

    wxColour colourToChoose{0, 0, 255};
    int colourResult = wxID_OK;
    int colourDialogs = 0;
    wxColour colourOffered;
    std::vector<wxString> messages;

protected:
    int Enter(wxDialog* dialog) override {
        if (auto* colour = dynamic_cast<wxColourDialog*>(dialog)) {
            ++colourDialogs;
            colourOffered = colour->GetColourData().GetColour();
            if (colourResult == wxID_OK) chooseInWidget(colour, colourToChoose);
            return colourResult;
        }
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog)) {
            if (auto* shown = dynamic_cast<wxMessageDialog*>(box)) {
                EXPECT_TRUE(hasOwnButtonLabels(*shown));
            }
            messages.push_back(box->GetMessage());
            return wxID_OK;
        }
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    // The dialog reads the choice back from its toolkit widget once it ends
    // with OK, so the choice is made there, as the operator's click would.
    static void chooseInWidget(wxDialog* dialog, const wxColour& colour) {
        // GTK 3: a colour selection dialog holding a colour selection widget.
        using GetSelection = void* (*)(void* dialog);
        using SetRgba = void (*)(void* selection, const double rgba[4]);
        static const auto getSelection =
            reinterpret_cast<GetSelection>(dlsym(RTLD_DEFAULT, "gtk_color_selection_dialog_get_color_selection"));
        static const auto setRgba =
            reinterpret_cast<SetRgba>(dlsym(RTLD_DEFAULT, "gtk_color_selection_set_current_rgba"));
        ASSERT_NE(getSelection, nullptr);
        ASSERT_NE(setRgba, nullptr);
        const double rgba[4] = {colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0, 1.0};
        setRgba(getSelection(dialog->GetHandle()), rgba);
    }
};

CDlgDataEdit* openEditDialog() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<CDlgDataEdit*>(w); d && d->IsShown() && d->IsModal()) return d;
    return nullptr;
}

// Waits (from a timer, inside the dialog's own modal loop) for the edit
// dialog, gives it time to paint, then runs `act` on it once.
class EditDialogDriver : public wxTimer {
public:
    explicit EditDialogDriver(std::function<void(CDlgDataEdit&)> act) : m_act(std::move(act)) { Start(40); }
    bool ran() const { return m_ran; }

    void Notify() override {
        CDlgDataEdit* dialog = openEditDialog();
        if (!dialog) return;
        if (++m_ticks < 10) return;  // about 400 ms on screen before acting
        Stop();
        m_ran = true;
        m_act(*dialog);
    }

private:
    std::function<void(CDlgDataEdit&)> m_act;
    int m_ticks = 0;
    bool m_ran = false;
};

class DataPointViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.seed = true});
        ASSERT_TRUE(db->openPool());
        frame = new CMainFrame(ViewContext{"u1", "r1"});
        frame->SetSize(0, 40, 1000, 700);
        frame->Show();
        for (int i = 0; i < frame->GetViewCount() && !view; ++i) {
            view = dynamic_cast<CViewDataModify*>(frame->GetView(i));
            if (view) frame->SwitchView(i);
        }
        ASSERT_NE(view, nullptr) << "role r1 has the data point module";
        pumpFor(100);
    }
    void TearDown() override {
        if (frame) {
            frame->Destroy();
            pumpUntil([&] { return !frame; }, 2000);
        }
        pumpFor(20);
        db.reset();
    }

    std::vector<std::string> column(int col) const {
        std::vector<std::string> out;
        for (long r = 0; r < list()->GetItemCount(); ++r) out.push_back(list()->GetItemText(r, col).utf8_string());
        return out;
    }
    CLineColorListCtrl* list() const { return view->GetItemList(); }

    // The stored row of item `id`: name (c4, as UTF-8), unit and colour.
    struct Stored {
        std::string name, unit;
        int colour = -1;
    };
    Stored stored(const std::string& id) {
        auto session = db->openSession();
        std::string c4, c3;
        int b4 = -1;
        *session << "select c4, c3, b4 from em_device_group_item where id = :id", soci::into(c4), soci::into(c3),
            soci::into(b4), soci::use(id);
        return {quorvel::ui::gbkToUi(c4).utf8_string(), quorvel::ui::gbkToUi(c3).utf8_string(), b4};
    }

    void expectRowColours(long row, const wxColour& back, const wxColour& text) {
        const auto* colours = list()->GetRowColor(static_cast<unsigned>(row));
        ASSERT_NE(colours, nullptr);
        EXPECT_EQ(colours->back, back);
        EXPECT_EQ(colours->text, text);
        EXPECT_EQ(list()->GetItemBackgroundColour(row), back);
        EXPECT_EQ(list()->GetItemTextColour(row), text);
    }

    void selectChoice(wxChoice* choice, int entry) {
        choice->SetSelection(entry);
        wxCommandEvent ev(wxEVT_CHOICE, choice->GetId());
        ev.SetEventObject(choice);
        ev.SetInt(entry);
        choice->GetEventHandler()->ProcessEvent(ev);
    }

    frametest::ProgramDir programDir;
    std::unique_ptr<TestDatabase> db;
    wxWeakRef<CMainFrame> frame;
    CViewDataModify* view = nullptr;
};

TEST_F(DataPointViewTest, ItemsAreShownOnTheirCurveColourWithTheComplementAsText) {
    ASSERT_EQ(view->GetDeviceList()->GetCount(), 2u);
    EXPECT_EQ(view->GetDeviceList()->GetString(0).utf8_string(), "泵站一号");
    EXPECT_EQ(view->GetGroupList()->GetCount(), 1u);
    ASSERT_EQ(list()->GetColumnCount(), 2);
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
    ASSERT_TRUE(list()->GetColumn(0, heading));
    EXPECT_EQ(heading.GetText().utf8_string(), "数据名称");
    EXPECT_EQ(heading.GetWidth(), 150);
    ASSERT_TRUE(list()->GetColumn(1, heading));
    EXPECT_EQ(heading.GetText().utf8_string(), "计量单位");

    EXPECT_EQ(column(0), (std::vector<std::string>{"温度", "状态", "备注"}));
    EXPECT_EQ(column(1)[0], "℃");
    // Colour 255 is pure red: red rows with cyan text.
    expectRowColours(0, wxColour(255, 0, 0), wxColour(0, 255, 255));
    EXPECT_EQ(view->GetRowItem(0)->id, "i1");

    // The other device: its group and items.
    selectChoice(view->GetDeviceList(), 1);
    EXPECT_EQ(view->GetGroupList()->GetCount(), 1u);
    EXPECT_EQ(column(0), (std::vector<std::string>{"PH值"}));
    pumpFor(200);
    selectChoice(view->GetDeviceList(), 0);
    pumpFor(300);
    frametest::screenshot("data_point_view");
}

TEST_F(DataPointViewTest, ADeviceWithoutGroupsLeavesNoRowsOfAnotherDevice) {
    db->executeUtf8("insert into em_device (id, name, passageway) values ('d5','空站','7');"
                    "insert into em_user_device (id, user, device) values ('ud5','u1','d5')");
    TestDatabase::closePool();
    ASSERT_TRUE(db->openPool());
    frame->Destroy();
    pumpUntil([&] { return !frame; }, 2000);
    view = nullptr;
    frame = new CMainFrame(ViewContext{"u1", "r1"});
    for (int i = 0; i < frame->GetViewCount() && !view; ++i) view = dynamic_cast<CViewDataModify*>(frame->GetView(i));
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetDeviceList()->GetCount(), 3u);
    ASSERT_EQ(list()->GetItemCount(), 3);
    selectChoice(view->GetDeviceList(), 2);
    EXPECT_EQ(view->GetGroupList()->GetCount(), 0u);
    EXPECT_EQ(list()->GetItemCount(), 0);
}

TEST_F(DataPointViewTest, DoubleClickEditsTheNameAndOkChangesRowDatabaseAndHistoryTitles) {
    wxString title, name, unit;
    wxColour buttonColour;
    EditDialogDriver driver([&](CDlgDataEdit& d) {
        title = d.GetTitle();
        name = d.NameEdit()->GetValue();
        unit = d.UnitEdit()->GetValue();
        buttonColour = d.ColourButton()->GetColor(CButtonST::BTNST_COLOR_BK_OUT);
        frametest::screenshot("data_edit_dialog");
        d.NameEdit()->ChangeValue(utf8ToUi("水温"));
        d.OkButton()->Click();
    });
    // A real double-click on the first row.
    frame->Raise();
    pumpFor(100);
    wxRect rect;
    ASSERT_TRUE(list()->GetItemRect(0, rect));
    const wxPoint at = list()->ClientToScreen(rect.GetPosition() + wxPoint(40, rect.height / 2));
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    pumpFor(50);
    sim.MouseDblClick();
    ASSERT_TRUE(pumpUntil([&] { return driver.ran() && !openEditDialog(); }, 5000)) << "dialog never driven";

    EXPECT_EQ(title.utf8_string(), "数据点编辑");
    EXPECT_EQ(name.utf8_string(), "温度");
    EXPECT_EQ(unit.utf8_string(), "℃");
    EXPECT_EQ(buttonColour, wxColour(255, 0, 0));
    EXPECT_EQ(column(0)[0], "水温");
    EXPECT_EQ(column(1)[0], "℃");
    expectRowColours(0, wxColour(255, 0, 0), wxColour(0, 255, 255));
    const Stored row = stored("i1");
    EXPECT_EQ(row.name, "水温");
    EXPECT_EQ(row.unit, "℃");
    EXPECT_EQ(row.colour, 255);

    // The history view takes the new name at its next data-group change.
    CViewHistory* history = nullptr;
    for (int i = 0; i < frame->GetViewCount() && !history; ++i) history = dynamic_cast<CViewHistory*>(frame->GetView(i));
    ASSERT_NE(history, nullptr);
    history->SelectGroup(0);
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    ASSERT_TRUE(history->GetResultList()->GetColumn(1, heading));
    EXPECT_EQ(heading.GetText().utf8_string(), "水温");
}

TEST_F(DataPointViewTest, CancelAfterChoosingAColourLeavesItemRowAndDatabaseAsTheyWere) {
    DialogAnswers answers;
    answers.colourToChoose = wxColour(0, 0, 255);
    int colourWhileOpen = -1;
    wxColour buttonWhileOpen;
    EditDialogDriver driver([&](CDlgDataEdit& d) {
        d.ColourButton()->Click();
        colourWhileOpen = view->GetRowItem(0)->b4;
        buttonWhileOpen = d.ColourButton()->GetColor(CButtonST::BTNST_COLOR_BK_FOCUS);
        d.NameEdit()->ChangeValue("ignored");
        d.CancelButton()->Click();
    });
    view->EditRow(0);
    ASSERT_TRUE(driver.ran());
    EXPECT_EQ(answers.colourDialogs, 1);
    EXPECT_EQ(answers.colourOffered, wxColour(255, 0, 0)) << "the dialog starts from the item's colour";
    EXPECT_EQ(colourWhileOpen, 0xFF0000) << "the chosen colour is the item's while the dialog is open";
    EXPECT_EQ(buttonWhileOpen, wxColour(0, 0, 255));

    EXPECT_EQ(view->GetRowItem(0)->b4, 255);
    EXPECT_EQ(column(0)[0], "温度");
    expectRowColours(0, wxColour(255, 0, 0), wxColour(0, 255, 255));
    const Stored row = stored("i1");
    EXPECT_EQ(row.colour, 255);
    EXPECT_EQ(row.name, "温度");

    // Escape cancels the same way.
    EditDialogDriver escape([&](CDlgDataEdit& d) {
        d.ColourButton()->Click();
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = WXK_ESCAPE;
        d.GetEventHandler()->ProcessEvent(key);
    });
    view->EditRow(0);
    ASSERT_TRUE(escape.ran());
    EXPECT_EQ(view->GetRowItem(0)->b4, 255);
}

TEST_F(DataPointViewTest, ChosenColourWithOkIsWrittenAndShown) {
    DialogAnswers answers;
    answers.colourToChoose = wxColour(0, 255, 0);
    EditDialogDriver driver([&](CDlgDataEdit& d) {
        d.ColourButton()->Click();
        d.UnitEdit()->ChangeValue(utf8ToUi("摄氏度"));
        d.OkButton()->Click();
    });
    view->EditRow(0);
    ASSERT_TRUE(driver.ran());
    EXPECT_EQ(view->GetRowItem(0)->b4, 0x00FF00);
    EXPECT_EQ(column(1)[0], "摄氏度");
    expectRowColours(0, wxColour(0, 255, 0), wxColour(255, 0, 255));
    const Stored row = stored("i1");
    EXPECT_EQ(row.colour, 0x00FF00);
    EXPECT_EQ(row.unit, "摄氏度");
    EXPECT_EQ(row.name, "温度");
}

TEST_F(DataPointViewTest, AFailedUpdateIsShownAndTheItemKeepsItsStoredValues) {
    DialogAnswers answers;
    answers.colourToChoose = wxColour(0, 0, 255);
    db->execute("rename table em_device_group_item to em_device_group_item_gone");
    EditDialogDriver driver([&](CDlgDataEdit& d) {
        d.ColourButton()->Click();
        d.NameEdit()->ChangeValue(utf8ToUi("水温"));
        d.OkButton()->Click();
    });
    view->EditRow(0);
    ASSERT_TRUE(driver.ran());
    ASSERT_EQ(answers.messages.size(), 1u) << "the failure is shown";
    EXPECT_EQ(answers.messages[0], CViewDataModify::UpdateFailedText(utf8ToUi("水温")));
    EXPECT_EQ(column(0)[0], "温度");
    const EMDeviceGroupItem* item = view->GetRowItem(0);
    EXPECT_EQ(quorvel::ui::gbkToUi(item->c4).utf8_string(), "温度");
    EXPECT_EQ(item->b4, 255);
    expectRowColours(0, wxColour(255, 0, 0), wxColour(0, 255, 255));
}

// The database stops answering (a black hole, not a refusal): the edit
// waits out the session time-outs while the window goes on handling events,
// then says the change failed and keeps the stored values.
TEST_F(DataPointViewTest, AnEditAgainstASilentDatabaseKeepsTheWindowAliveAndFailsInTime) {
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    relay.start();
    SessionTimeouts timeouts;
    timeouts.connectSeconds = 2;
    timeouts.readSeconds = 2;
    timeouts.writeSeconds = 2;
    ASSERT_TRUE(openDatabase(withSessionTimeouts(
        buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay.port()), db->name(),
                              TestDatabase::requireEnv("QUORVEL_DB_CLIENT_USER"),
                              TestDatabase::requireEnv("QUORVEL_DB_CLIENT_PASSWORD")),
        timeouts)));

    DialogAnswers answers;
    int ticks = 0;
    wxTimer heartbeat;
    heartbeat.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++ticks; });
    EditDialogDriver driver([&](CDlgDataEdit& d) {
        d.NameEdit()->ChangeValue(utf8ToUi("水温"));
        relay.blackHole();
        heartbeat.Start(50);
        d.OkButton()->Click();
    });
    const auto t0 = std::chrono::steady_clock::now();
    view->EditRow(0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    heartbeat.Stop();
    ASSERT_TRUE(driver.ran());
    ASSERT_EQ(answers.messages.size(), 1u) << "the failure is shown";
    EXPECT_EQ(answers.messages[0], CViewDataModify::UpdateFailedText(utf8ToUi("水温")));
    EXPECT_EQ(column(0)[0], "温度");
    EXPECT_LT(seconds, 30.0) << "bounded by the session time-outs";
    // At least two of the 2 s time-outs passed meanwhile: a window stuck in
    // the call would have handled no timer at all.
    EXPECT_GT(ticks, 10) << "the event loop ran while the database was silent";
    relay.pass();
}

TEST_F(DataPointViewTest, EnterInTheViewAndClicksOutsideRowsOpenNothing) {
    bool opened = false;
    // Should a dialog open anyway, close it so the test goes on and fails.
    EditDialogDriver guard([&](CDlgDataEdit& d) {
        opened = true;
        d.CancelButton()->Click();
    });
    view->EditRow(-1);
    view->EditRow(99);
    frame->Raise();
    list()->SetFocus();
    list()->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    pumpFor(100);
    wxUIActionSimulator sim;
    sim.Char(WXK_RETURN);
    pumpFor(300);
    // A double-click below the last row.
    const wxRect listRect = list()->GetScreenRect();
    sim.MouseMove(wxPoint(listRect.x + 60, listRect.GetBottom() - 20));
    pumpFor(50);
    sim.MouseDblClick();
    pumpFor(600);
    EXPECT_FALSE(opened);
    EXPECT_EQ(column(0)[0], "温度");
}

TEST_F(DataPointViewTest, ItemListKeepsItsMarginsWhenResized) {
    for (const wxSize size : {wxSize(900, 600), wxSize(1200, 800)}) {
        frame->SetSize(size);
        pumpFor(80);
        const wxRect r = list()->GetRect();
        const wxSize client = view->GetClientSize();
        EXPECT_EQ(r.GetTop(), 40);
        EXPECT_EQ(client.x - (r.GetRight() + 1), 20);
        EXPECT_EQ(client.y - (r.GetBottom() + 1), 30);
    }
}

}  // namespace
