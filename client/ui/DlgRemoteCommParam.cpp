#include "ui/DlgRemoteCommParam.h"

#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "res/ResourceIds.h"
#include "res/UiStrings.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

using quorvel::ui::utf8ToUi;
using quorvel::ui::uiToUtf8;

wxBEGIN_EVENT_TABLE(CDlgRemoteCommParam, CDlgBase)
    EVT_BUTTON(res::IDOK, CDlgRemoteCommParam::OnOK)
    EVT_BUTTON(res::IDCANCEL, CDlgRemoteCommParam::OnCancel)
    EVT_CHAR_HOOK(CDlgRemoteCommParam::OnCharHook)
    EVT_CLOSE(CDlgRemoteCommParam::OnClose)
wxEND_EVENT_TABLE()

namespace {

struct GroupControls {
    CIpAddressCtrl* ip;
    wxTextCtrl* port;
    wxTextCtrl* user;
    wxTextCtrl* password;
    wxTextCtrl* dbName;  // database group only
};

GroupControls makeGroup(wxWindow* dlg, wxSizer* into, const wxString& title, int ipId,
                        int portId, int userId, int passwordId, int dbNameId) {
    auto* box = new wxStaticBoxSizer(wxVERTICAL, dlg, title);
    wxStaticBox* parent = box->GetStaticBox();
    auto* grid = new wxFlexGridSizer(2, wxSize(dlg->FromDIP(10), dlg->FromDIP(8)));
    grid->AddGrowableCol(1);
    const wxSize editSize(dlg->FromDIP(200), -1);
    auto label = [&](const wxString& text) {
        grid->Add(new wxStaticText(parent, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
    };
    GroupControls g{};
    label(uistr::kLabelAddress);
    g.ip = new CIpAddressCtrl(parent, ipId);
    grid->Add(g.ip, 0);
    label(uistr::kLabelPort);
    g.port = new wxTextCtrl(parent, portId, wxEmptyString, wxDefaultPosition, editSize);
    grid->Add(g.port, 1, wxEXPAND);
    label(uistr::kLabelUser);
    g.user = new wxTextCtrl(parent, userId, wxEmptyString, wxDefaultPosition, editSize);
    grid->Add(g.user, 1, wxEXPAND);
    label(uistr::kLabelPassword);
    g.password = new wxTextCtrl(parent, passwordId, wxEmptyString, wxDefaultPosition, editSize,
                                wxTE_PASSWORD);
    grid->Add(g.password, 1, wxEXPAND);
    if (dbNameId) {
        label(uistr::kLabelDbName);
        g.dbName = new wxTextCtrl(parent, dbNameId, wxEmptyString, wxDefaultPosition, editSize);
        grid->Add(g.dbName, 1, wxEXPAND);
    }
    box->Add(grid, 1, wxEXPAND | wxALL, dlg->FromDIP(8));
    into->Add(box, 0, wxEXPAND | wxALL, dlg->FromDIP(8));
    return g;
}

}  // namespace

CDlgRemoteCommParam::CDlgRemoteCommParam(wxWindow* parent,
                                         const quorvel::ui::RemoteCommParams& start)
    : CDlgBase(parent, res::IDD_DLG_REMOTE_COMM_PARAM, uistr::kParamTitle), m_values(start) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    const GroupControls db = makeGroup(this, top, uistr::kGroupDb, res::IDC_IPADDRESS_DB,
                                       res::IDC_EDIT_DB_PORT, res::IDC_EDIT_DB_USER,
                                       res::IDC_EDIT_DB_PASSWORD, res::IDC_EDIT_DB_NAME);
    const GroupControls mq = makeGroup(this, top, uistr::kGroupMqtt, res::IDC_IPADDRESS_MQTT,
                                       res::IDC_EDIT_MQTT_PORT, res::IDC_EDIT_MQTT_USER,
                                       res::IDC_EDIT_MQTT_PASSWORD, 0);
    m_dbIp = db.ip;
    m_dbPort = db.port;
    m_dbUser = db.user;
    m_dbPassword = db.password;
    m_dbName = db.dbName;
    m_mqttIp = mq.ip;
    m_mqttPort = mq.port;
    m_mqttUser = mq.user;
    m_mqttPassword = mq.password;

    m_ok = new CMeterButton(this, res::IDOK, uistr::kOk);
    m_cancel = new CMeterButton(this, res::IDCANCEL, uistr::kCancel);
    m_ok->SetMeterColorScheme();
    m_cancel->SetMeterColorScheme();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(m_ok, 0, wxRIGHT, FromDIP(16));
    buttons->Add(m_cancel, 0);
    buttons->AddStretchSpacer();
    top->Add(buttons, 0, wxEXPAND | wxALL, FromDIP(10));

    // Fill the controls from the configured values.
    m_dbIp->SetAddress(quorvel::ui::parseIpFields(m_values.dbIp));
    m_mqttIp->SetAddress(quorvel::ui::parseIpFields(m_values.mqttIp));
    if (!quorvel::ui::isDottedIpv4(m_values.dbIp)) m_dbIp->SetToolTip(utf8ToUi(m_values.dbIp));
    if (!quorvel::ui::isDottedIpv4(m_values.mqttIp)) m_mqttIp->SetToolTip(utf8ToUi(m_values.mqttIp));
    m_dbPort->ChangeValue(wxString::Format(wxS("%d"), m_values.dbPort));
    m_dbUser->ChangeValue(utf8ToUi(m_values.dbUser));
    m_dbPassword->ChangeValue(utf8ToUi(m_values.dbPassword));
    m_dbName->ChangeValue(utf8ToUi(m_values.dbName));
    m_mqttPort->ChangeValue(wxString::Format(wxS("%d"), m_values.mqttPort));
    m_mqttUser->ChangeValue(utf8ToUi(m_values.mqttUser));
    m_mqttPassword->ChangeValue(utf8ToUi(m_values.mqttPassword));

    SetSizerAndFit(top);
    ApplyDialogColouring();
    CentreOnParent();
}

bool CDlgRemoteCommParam::TakePort(wxTextCtrl* field, int& port) {
    const auto value = quorvel::ui::parseIntegerText(uiToUtf8(field->GetValue()));
    const wchar_t* complaint = nullptr;
    if (!value)
        complaint = uistr::kNeedInteger;
    else if (!quorvel::ui::isValidPort(*value))
        complaint = uistr::kNeedPortRange;
    if (complaint) {
        quorvel::ui::ShowMessageBox(complaint, GetTitle(), wxOK | wxICON_EXCLAMATION, this);
        field->SetFocus();
        field->SelectAll();
        return false;
    }
    port = static_cast<int>(*value);
    return true;
}

std::string CDlgRemoteCommParam::TakeAddress(const CIpAddressCtrl* ctrl,
                                             const std::string& configured) {
    if (!ctrl->IsEdited() && !quorvel::ui::isDottedIpv4(configured)) return configured;
    return quorvel::ui::formatIpFields(ctrl->GetAddress());
}

void CDlgRemoteCommParam::OnOK(wxCommandEvent&) {
    int dbPort = 0, mqttPort = 0;
    if (!TakePort(m_dbPort, dbPort) || !TakePort(m_mqttPort, mqttPort)) return;
    quorvel::ui::RemoteCommParams v;
    v.dbIp = TakeAddress(m_dbIp, m_values.dbIp);
    v.dbPort = dbPort;
    v.dbUser = uiToUtf8(m_dbUser->GetValue());
    v.dbPassword = uiToUtf8(m_dbPassword->GetValue());
    v.dbName = uiToUtf8(m_dbName->GetValue());
    v.mqttIp = TakeAddress(m_mqttIp, m_values.mqttIp);
    v.mqttPort = mqttPort;
    v.mqttUser = uiToUtf8(m_mqttUser->GetValue());
    v.mqttPassword = uiToUtf8(m_mqttPassword->GetValue());
    m_values = v;
    EndModal(wxID_OK);
}

void CDlgRemoteCommParam::OnCancel(wxCommandEvent&) { EndModal(wxID_CANCEL); }

void CDlgRemoteCommParam::OnCharHook(wxKeyEvent& event) {
    HandleOkCancelKeys(
        event, [this] { wxCommandEvent ev; OnOK(ev); }, [this] { EndModal(wxID_CANCEL); });
}

void CDlgRemoteCommParam::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }
