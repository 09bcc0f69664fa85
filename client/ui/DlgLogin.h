#pragma once
// CDlgLogin: the login dialog shown at start-up. It opens the database before
// it appears, checks the user's name and password, lets the user change the
// password and edit the server parameters. Ends with wxID_OK once a user is
// logged in (SelectedUser()), wxID_CANCEL only through its cancel button or
// close box.
#include <functional>

#include <wx/textctrl.h>

#include "db/LoginLogic.h"
#include "ui/DlgBase.h"
#include "ui/MeterButton.h"

class EMUser;

class CDlgLogin : public CDlgBase {
public:
    // openDb opens the pool and loads the caches; empty = the configured
    // server (openDatabase(), app/OpenDatabaseFromConfig.h).
    explicit CDlgLogin(wxWindow* parent = nullptr, std::function<bool()> openDb = {});

    // Opens the database first (its failure message comes before the
    // dialog), then runs the dialog.
    int ShowModal() override;

    EMUser* SelectedUser() const { return m_selectedUser; }
    bool IsConnected() const { return m_logic.connected(); }

    wxTextCtrl* UserEdit() const { return m_user; }
    wxTextCtrl* PasswordEdit() const { return m_password; }
    wxTextCtrl* ServerEdit() const { return m_server; }

private:
    void OnLogin(wxCommandEvent& event);
    void OnChangePassword(wxCommandEvent& event);
    void OnCommParam(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    void DoLogin();
    // Shows the message of a status, if it has one.
    void Tell(LoginStatus status);
    void ShowServerAddress();

    LoginLogic m_logic;
    EMUser* m_selectedUser = nullptr;
    wxTextCtrl* m_server = nullptr;
    wxTextCtrl* m_user = nullptr;
    wxTextCtrl* m_password = nullptr;
    CMeterButton* m_btnChange = nullptr;
    CMeterButton* m_btnLogin = nullptr;
    CMeterButton* m_btnCancel = nullptr;
    CMeterButton* m_btnComm = nullptr;

    wxDECLARE_EVENT_TABLE();
};
