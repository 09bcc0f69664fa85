#pragma once
// CDlgInput: a one-line input box; the login dialog asks for the new password
// with it. The caption becomes the window title; the edit masks its text.
#include <wx/textctrl.h>

#include "ui/DlgBase.h"
#include "ui/MeterButton.h"

class CDlgInput : public CDlgBase {
public:
    explicit CDlgInput(wxWindow* parent = nullptr);

    wxString m_caption;  // window title, "请输入新密码！" unless set
    wxString m_text;     // exchanged with the edit

    int ShowModal() override;

    wxTextCtrl* Edit() const { return m_edit; }

private:
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    wxTextCtrl* m_edit = nullptr;
    CMeterButton* m_ok = nullptr;
    CMeterButton* m_cancel = nullptr;

    wxDECLARE_EVENT_TABLE();
};
