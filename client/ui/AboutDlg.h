#pragma once
// The About box (resource 100): icon, program name and version, OK button.
#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

private:
    void OnOK(wxCommandEvent& event);
    wxDECLARE_EVENT_TABLE();
};

// Shows the About box modally (the About command of the application).
void ShowAboutDialog(wxWindow* parent);
