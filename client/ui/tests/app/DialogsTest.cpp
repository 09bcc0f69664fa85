// The input box and the remote communication parameter dialog, run modally
// inside the test process with scripted answers for their message boxes.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "res/ResourceIds.h"
#include "ui/DlgInput.h"
#include "ui/DlgRemoteCommParam.h"

using quorvel::ui::RemoteCommParams;

namespace {

RemoteCommParams Sample() {
    RemoteCommParams p;
    p.dbIp = "10.1.2.3";
    p.dbPort = 3307;
    p.dbUser = "root";
    p.dbPassword = "qpzr739105";
    p.dbName = "quor";
    p.mqttIp = "192.168.100.254";
    p.mqttPort = 6002;
    p.mqttUser = "tzmk";
    p.mqttPassword = "secret";
    return p;
}

wxTextCtrl* Edit(wxWindow* dlg, int id) {
    auto* e = wxDynamicCast(dlg->FindWindow(id), wxTextCtrl);
    EXPECT_NE(e, nullptr) << "edit " << id;
    return e;
}

bool operator==(const RemoteCommParams& a, const RemoteCommParams& b) {
    return a.dbIp == b.dbIp && a.dbPort == b.dbPort && a.dbUser == b.dbUser &&
           a.dbPassword == b.dbPassword && a.dbName == b.dbName && a.mqttIp == b.mqttIp &&
           a.mqttPort == b.mqttPort && a.mqttUser == b.mqttUser && a.mqttPassword == b.mqttPassword;
}

TEST(DlgInputTest, OpensTitledWithThePromptMasksAndReturnsTheText) {
    CDlgInput dlg(nullptr);
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    EXPECT_EQ(dlg.GetTemplateId(), res::IDD_DLG_INPUT);
    const int rc = wxtest::RunModal(dlg, [&] {
        EXPECT_EQ(dlg.GetTitle(), wxString(L"请输入新密码！"));
        ASSERT_NE(dlg.Edit(), nullptr);
        EXPECT_EQ(dlg.Edit()->GetId(), res::IDC_EDIT_INPUT);
        EXPECT_TRUE(dlg.Edit()->HasFlag(wxTE_PASSWORD));
        dlg.Edit()->SetValue(L"新密码9");
        wxtest::Pump(100);
        wxtest::SaveShot(&dlg, "input_box");
        wxtest::ClickId(&dlg, res::IDC_BTN_INPUT_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dlg.m_text, wxString(L"新密码9"));
}

TEST(DlgInputTest, CancelAndEscapeKeepTheTextAndTheCaptionBecomesTheTitle) {
    CDlgInput dlg(nullptr);
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    dlg.m_caption = L"输入框";
    dlg.m_text = L"old";
    int rc = wxtest::RunModal(dlg, [&] {
        EXPECT_EQ(dlg.GetTitle(), wxString(L"输入框"));
        EXPECT_EQ(dlg.Edit()->GetValue(), wxString(L"old"));
        dlg.Edit()->SetValue(L"typed");
        wxtest::ClickId(&dlg, res::IDC_BTN_INPUT_CANCEL);
    });
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_EQ(dlg.m_text, wxString(L"old"));

    rc = wxtest::RunModal(dlg, [&] { wxtest::PressKey(&dlg, WXK_ESCAPE); });
    EXPECT_EQ(rc, wxID_CANCEL);
    rc = wxtest::RunModal(dlg, [&] {
        dlg.Edit()->SetValue(L"by enter");
        wxtest::PressKey(&dlg, WXK_RETURN);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dlg.m_text, wxString(L"by enter"));
}

TEST(DlgRemoteCommParamTest, ShowsTheConfiguredValuesAndGivesThemBackUnchanged) {
    CDlgRemoteCommParam dlg(nullptr, Sample());
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    const int rc = wxtest::RunModal(dlg, [&] {
        EXPECT_EQ(dlg.GetTitle(), wxString(L"远程通讯参数"));
        const wxString want[4] = {wxS("10"), wxS("1"), wxS("2"), wxS("3")};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(dlg.DbAddress()->Field(i)->GetValue(), want[i]);
        EXPECT_EQ(dlg.MqttAddress()->Field(0)->GetValue(), wxS("192"));
        EXPECT_EQ(dlg.MqttAddress()->Field(3)->GetValue(), wxS("254"));
        EXPECT_EQ(dlg.DbAddress()->GetId(), res::IDC_IPADDRESS_DB);
        EXPECT_EQ(dlg.MqttAddress()->GetId(), res::IDC_IPADDRESS_MQTT);
        EXPECT_EQ(Edit(&dlg, res::IDC_EDIT_DB_PORT)->GetValue(), wxS("3307"));
        EXPECT_EQ(Edit(&dlg, res::IDC_EDIT_DB_NAME)->GetValue(), wxS("quor"));
        EXPECT_EQ(Edit(&dlg, res::IDC_EDIT_MQTT_USER)->GetValue(), wxS("tzmk"));
        EXPECT_TRUE(Edit(&dlg, res::IDC_EDIT_DB_PASSWORD)->HasFlag(wxTE_PASSWORD));
        EXPECT_TRUE(Edit(&dlg, res::IDC_EDIT_MQTT_PASSWORD)->HasFlag(wxTE_PASSWORD));
        EXPECT_FALSE(Edit(&dlg, res::IDC_EDIT_DB_USER)->HasFlag(wxTE_PASSWORD));
        wxtest::SaveShot(&dlg, "remote_comm_param");
        wxtest::ClickId(&dlg, res::IDOK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_TRUE(dlg.Values() == Sample());
}

TEST(DlgRemoteCommParamTest, EditedValuesComeBackAndEmptyAddressFieldsGiveZeros) {
    CDlgRemoteCommParam dlg(nullptr, Sample());
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    const int rc = wxtest::RunModal(dlg, [&] {
        for (int i = 0; i < 4; ++i) dlg.DbAddress()->Field(i)->SetValue(wxEmptyString);
        dlg.MqttAddress()->Field(2)->SetValue(wxS("077"));
        Edit(&dlg, res::IDC_EDIT_MQTT_PORT)->SetValue(wxS(" 1884 "));
        Edit(&dlg, res::IDC_EDIT_DB_USER)->SetValue(L"操作员");
        Edit(&dlg, res::IDC_EDIT_DB_NAME)->SetValue(wxS("quor2"));
        wxtest::PressKey(&dlg, WXK_RETURN);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dlg.Values().dbIp, "0.0.0.0");
    EXPECT_EQ(dlg.Values().mqttIp, "192.168.77.254");
    EXPECT_EQ(dlg.Values().mqttPort, 1884);
    EXPECT_EQ(dlg.Values().dbUser, "操作员");
    EXPECT_EQ(dlg.Values().dbName, "quor2");
}

TEST(DlgRemoteCommParamTest, ABadPortComplainsAndKeepsTheDialogOpen) {
    CDlgRemoteCommParam dlg(nullptr, Sample());
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    dialogs.ThenMessage(L"请输入一个整数。");
    dialogs.ThenMessage(L"请输入一个介于 1 和 65535 之间的整数。");
    const int rc = wxtest::RunModal(dlg, [&] {
        Edit(&dlg, res::IDC_EDIT_DB_PORT)->SetValue(wxS("33o6"));
        wxtest::ClickId(&dlg, res::IDOK);
        EXPECT_TRUE(dlg.IsModal()) << "a non-numeric port keeps the dialog open";
        Edit(&dlg, res::IDC_EDIT_DB_PORT)->SetValue(wxS("3306"));
        Edit(&dlg, res::IDC_EDIT_MQTT_PORT)->SetValue(wxS("70000"));
        wxtest::ClickId(&dlg, res::IDOK);
        EXPECT_TRUE(dlg.IsModal()) << "a port above 65535 keeps the dialog open";
        Edit(&dlg, res::IDC_EDIT_MQTT_PORT)->SetValue(wxS("6003"));
        wxtest::ClickId(&dlg, res::IDOK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dlg.Values().dbPort, 3306);
    EXPECT_EQ(dlg.Values().mqttPort, 6003);
    EXPECT_EQ(dialogs.Messages().size(), 2u);
}

TEST(DlgRemoteCommParamTest, AHostNameSurvivesOkUnlessTheFieldsAreEdited) {
    RemoteCommParams start = Sample();
    start.dbIp = "db.plant.local";
    start.mqttIp = "broker";
    {
        CDlgRemoteCommParam dlg(nullptr, start);
        wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
        const int rc = wxtest::RunModal(dlg, [&] { wxtest::ClickId(&dlg, res::IDOK); });
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(dlg.Values().dbIp, "db.plant.local");
        EXPECT_EQ(dlg.Values().mqttIp, "broker");
    }
    {
        CDlgRemoteCommParam dlg(nullptr, start);
        wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
        const int rc = wxtest::RunModal(dlg, [&] {
            dlg.DbAddress()->Field(0)->SetValue(wxS("172"));
            dlg.DbAddress()->Field(3)->SetValue(wxS("9"));
            wxtest::ClickId(&dlg, res::IDOK);
        });
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(dlg.Values().dbIp, "172.0.0.9");
        EXPECT_EQ(dlg.Values().mqttIp, "broker");
    }
}

TEST(DlgRemoteCommParamTest, CancelTakesNothingOver) {
    CDlgRemoteCommParam dlg(nullptr, Sample());
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    int rc = wxtest::RunModal(dlg, [&] {
        Edit(&dlg, res::IDC_EDIT_DB_PORT)->SetValue(wxS("1"));
        wxtest::ClickId(&dlg, res::IDCANCEL);
    });
    EXPECT_EQ(rc, wxID_CANCEL);
    rc = wxtest::RunModal(dlg, [&] { wxtest::PressKey(&dlg, WXK_ESCAPE); });
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_TRUE(dlg.Values() == Sample());
}

TEST(DlgRemoteCommParamTest, AddressFieldsHoldAtMost255) {
    CDlgRemoteCommParam dlg(nullptr, Sample());
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    const int rc = wxtest::RunModal(dlg, [&] {
        dlg.DbAddress()->Field(1)->SetValue(wxS("999"));
        EXPECT_EQ(dlg.DbAddress()->Field(1)->GetValue(), wxS("255"));
        wxtest::ClickId(&dlg, res::IDOK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dlg.Values().dbIp, "10.255.2.3");
}

}  // namespace

#include <wx/stattext.h>

#include "ui/AboutDlg.h"

namespace {

TEST(AboutDlgTest, ShowsNameAndVersionWithAGreenOkButton) {
    CAboutDlg dlg(nullptr);
    wxtest::ScriptedDialogs dialogs([&](wxDialog* d) { return d == &dlg; });
    const int rc = wxtest::RunModal(dlg, [&] {
        EXPECT_EQ(dlg.GetTitle(), wxString(L"关于 Quorvel_Client"));
        bool textFound = false;
        for (wxWindow* child : dlg.GetChildren())
            if (auto* t = wxDynamicCast(child, wxStaticText))
                textFound |= t->GetLabel() == wxS("Quorvel_Client(Version1.12)");
        EXPECT_TRUE(textFound);
        auto* ok = dynamic_cast<CMeterButton*>(dlg.FindWindow(res::IDOK));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->GetLabel(), wxString(L"确定"));
        EXPECT_EQ(ok->GetColor(CButtonST::BTNST_COLOR_BK_OUT), CMeterButton::BackOut());
        wxtest::SaveShot(&dlg, "about_box");
        wxtest::ClickId(&dlg, res::IDOK);
    });
    EXPECT_EQ(rc, wxID_OK);
}

}  // namespace
