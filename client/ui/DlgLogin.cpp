#include "ui/DlgLogin.h"

#include <string>

#include "app/OpenDatabaseFromConfig.h"
#include "db/ConnectionPool.h"
#include "db/DatabaseTls.h"

#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "db/EMUser.h"
#include "res/ResourceIds.h"
#include "res/UiStrings.h"
#include "ui/DlgInput.h"
#include "ui/DlgRemoteCommParam.h"
#include "ui/MessageBox.h"
#include "ui/ResponsiveWait.h"
#include "ui/UiText.h"
#include "ui/WorkParamAccess.h"

using quorvel::ui::uiToGbk;
using quorvel::ui::utf8ToUi;

wxBEGIN_EVENT_TABLE(CDlgLogin, CDlgBase)
    EVT_BUTTON(res::IDC_BTN_LOGIN, CDlgLogin::OnLogin)
    EVT_BUTTON(res::IDC_BTN_CHANGE_PASSWORD, CDlgLogin::OnChangePassword)
    EVT_BUTTON(res::IDC_BTN_COMM_PARAM, CDlgLogin::OnCommParam)
    EVT_BUTTON(res::IDC_BTN_CANCEL, CDlgLogin::OnCancel)
    EVT_CLOSE(CDlgLogin::OnClose)
    EVT_CHAR_HOOK(CDlgLogin::OnCharHook)
wxEND_EVENT_TABLE()

CDlgLogin::CDlgLogin(wxWindow* parent, std::function<bool()> openDb)
    : CDlgBase(parent, res::IDD_DLG_LOGIN, uistr::kLoginTitle,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_logic(openDb ? std::move(openDb) : [] { return openDatabase(); }) {
    const wxSize editSize(FromDIP(220), -1);
    m_server = new wxTextCtrl(this, res::IDC_EDIT_SERVER_ADDRESS, wxEmptyString,
                              wxDefaultPosition, editSize, wxTE_READONLY);
    m_user = new wxTextCtrl(this, res::IDC_EDIT_USER, wxEmptyString, wxDefaultPosition, editSize);
    m_password = new wxTextCtrl(this, res::IDC_EDIT_PASSWORD, wxEmptyString, wxDefaultPosition,
                                editSize, wxTE_PASSWORD);

    auto* grid = new wxFlexGridSizer(2, wxSize(FromDIP(12), FromDIP(10)));
    grid->AddGrowableCol(1);
    auto row = [&](const wchar_t* label, wxTextCtrl* edit) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0,
                  wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
        grid->Add(edit, 1, wxEXPAND);
    };
    row(uistr::kLabelServer, m_server);
    row(uistr::kLabelUser, m_user);
    row(uistr::kLabelPassword, m_password);

    m_btnChange = new CMeterButton(this, res::IDC_BTN_CHANGE_PASSWORD, uistr::kBtnChangePassword);
    m_btnLogin = new CMeterButton(this, res::IDC_BTN_LOGIN, uistr::kBtnLogin);
    m_btnCancel = new CMeterButton(this, res::IDC_BTN_CANCEL, uistr::kBtnCancel);
    m_btnComm = new CMeterButton(this, res::IDC_BTN_COMM_PARAM, uistr::kBtnCommParam);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    for (CMeterButton* b : {m_btnChange, m_btnLogin, m_btnCancel, m_btnComm}) {
        b->SetMeterColorScheme();
        buttons->Add(b, 1, wxLEFT | wxRIGHT, FromDIP(5));
    }

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(24));
    top->Add(buttons, 0, wxEXPAND | wxALL, FromDIP(18));
    SetSizerAndFit(top);
    ApplyDialogColouring();
    ShowServerAddress();
    CentreOnScreen();
}

int CDlgLogin::ShowModal() {
    // The database is contacted before the dialog appears, so its failure
    // message comes first.
    Tell(m_logic.connect());
    m_user->SetFocus();
    return CDlgBase::ShowModal();
}

void CDlgLogin::ShowServerAddress() {
    m_server->ChangeValue(utf8ToUi(quorvel::ui::currentRemoteCommParams().dbIp));
}

void CDlgLogin::Tell(LoginStatus status) {
    const char* text = messageText(status);
    if (!text) return;
    std::string message = text;
    // A TLS failure gets its reason: the operator must see that the server
    // was refused, not just that it could not be reached.
    if (status == LoginStatus::ConnectFailed) {
        const std::string error = lastDatabaseConnectError();
        if (isTlsFailure(error)) message.append("\n数据库服务器的TLS连接被拒绝：").append(error);
    }
    quorvel::ui::ShowMessageBox(utf8ToUi(message), uistr::kAppName, wxOK | wxICON_INFORMATION,
                                IsShown() ? this : nullptr);
}

void CDlgLogin::OnLogin(wxCommandEvent&) { DoLogin(); }

void CDlgLogin::DoLogin() {
    const LoginStatus status =
        m_logic.logIn(uiToGbk(m_user->GetValue()), uiToGbk(m_password->GetValue()));
    if (status == LoginStatus::LoggedIn) {
        m_selectedUser = m_logic.user();
        EndModal(wxID_OK);
        return;
    }
    Tell(status);
}

void CDlgLogin::OnChangePassword(wxCommandEvent&) {
    const LoginStatus check =
        m_logic.checkOldPassword(uiToGbk(m_user->GetValue()), uiToGbk(m_password->GetValue()));
    if (check != LoginStatus::OldPasswordAccepted) {
        Tell(check);
        return;
    }
    CDlgInput input(this);
    if (input.ShowModal() == wxID_OK) {
        const std::string newPassword = uiToGbk(input.m_text);
        LoginStatus changed = LoginStatus::PasswordChangeFailed;
        quorvel::ui::runResponsively([&] {
            changed = m_logic.applyNewPassword(newPassword);
            return true;
        });
        if (changed == LoginStatus::PasswordChanged) m_password->ChangeValue(input.m_text);
        Tell(changed);
    }
    // A correct old password logs the user in, whatever became of the new one.
    m_selectedUser = m_logic.user();
    EndModal(wxID_OK);
}

void CDlgLogin::OnCommParam(wxCommandEvent&) {
    CDlgRemoteCommParam dlg(this, quorvel::ui::currentRemoteCommParams());
    if (dlg.ShowModal() != wxID_OK) return;
    if (!quorvel::ui::storeRemoteCommParams(dlg.Values()))
        quorvel::ui::ShowMessageBox(utf8ToUi("通讯参数保存失败，配置文件未修改！\n") +
                                        wxString::FromUTF8(quorvel::ui::workParamFilePath()),
                                    uistr::kAppName, wxOK | wxICON_ERROR, this);
    ShowServerAddress();
}

void CDlgLogin::OnCancel(wxCommandEvent&) { EndModal(wxID_CANCEL); }

void CDlgLogin::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }

void CDlgLogin::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return;  // swallowed: only cancel or the close box end the dialog
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            DoLogin();
            return;
        default:
            event.Skip();
    }
}
