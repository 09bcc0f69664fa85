#include "ui/AboutDlg.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/ResourceIds.h"
#include "res/UiStrings.h"
#include "ui/AppIcon.h"
#include "ui/MeterButton.h"

wxBEGIN_EVENT_TABLE(CAboutDlg, wxDialog)
    EVT_BUTTON(res::IDOK, CAboutDlg::OnOK)
wxEND_EVENT_TABLE()

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, uistr::kAboutTitle) {
    const wxIcon icon = QuorvelAppIcon();
    SetIcon(icon);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    wxBitmap bmp;
    bmp.CopyFromIcon(icon);
    row->Add(new wxStaticBitmap(this, wxID_ANY, bmp), 0, wxALL, FromDIP(12));
    row->Add(new wxStaticText(this, wxID_ANY, uistr::kAboutText), 1,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(24));
    auto* ok = new CMeterButton(this, res::IDOK, uistr::kOk);
    ok->SetMeterColorScheme();
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(row, 0, wxEXPAND | wxTOP, FromDIP(6));
    top->Add(ok, 0, wxALIGN_RIGHT | wxALL, FromDIP(12));
    SetSizerAndFit(top);
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
        const int k = e.GetKeyCode();
        if (k == WXK_ESCAPE || k == WXK_RETURN || k == WXK_NUMPAD_ENTER)
            EndModal(wxID_OK);
        else
            e.Skip();
    });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndModal(wxID_OK); });
    CentreOnParent();
}

void CAboutDlg::OnOK(wxCommandEvent&) { EndModal(wxID_OK); }

void ShowAboutDialog(wxWindow* parent) {
    CAboutDlg dlg(parent);
    dlg.ShowModal();
}
