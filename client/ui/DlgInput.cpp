#include "ui/DlgInput.h"

#include <wx/sizer.h>

#include "res/ResourceIds.h"
#include "res/UiStrings.h"

wxBEGIN_EVENT_TABLE(CDlgInput, CDlgBase)
    EVT_BUTTON(res::IDC_BTN_INPUT_OK, CDlgInput::OnOK)
    EVT_BUTTON(res::IDC_BTN_INPUT_CANCEL, CDlgInput::OnCancel)
    EVT_CHAR_HOOK(CDlgInput::OnCharHook)
    EVT_CLOSE(CDlgInput::OnClose)
wxEND_EVENT_TABLE()

CDlgInput::CDlgInput(wxWindow* parent)
    : CDlgBase(parent, res::IDD_DLG_INPUT, uistr::kInputTitle),
      m_caption(uistr::kInputPrompt) {
    m_edit = new wxTextCtrl(this, res::IDC_EDIT_INPUT, wxEmptyString, wxDefaultPosition,
                            wxSize(FromDIP(240), -1), wxTE_PASSWORD);
    m_ok = new CMeterButton(this, res::IDC_BTN_INPUT_OK, uistr::kOk);
    m_cancel = new CMeterButton(this, res::IDC_BTN_INPUT_CANCEL, uistr::kCancel);
    m_ok->SetMeterColorScheme();
    m_cancel->SetMeterColorScheme();

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(m_ok, 0, wxRIGHT, FromDIP(12));
    buttons->Add(m_cancel, 0);
    buttons->AddStretchSpacer();
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(m_edit, 0, wxEXPAND | wxALL, FromDIP(14));
    top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(14));
    SetSizerAndFit(top);
    ApplyDialogColouring();
    CentreOnParent();
}

int CDlgInput::ShowModal() {
    // Setup: the caption becomes the title, the text fills the edit.
    SetTitle(m_caption);
    m_edit->ChangeValue(m_text);
    m_edit->SetFocus();
    return CDlgBase::ShowModal();
}

void CDlgInput::OnOK(wxCommandEvent&) {
    m_text = m_edit->GetValue();
    EndModal(wxID_OK);
}

void CDlgInput::OnCancel(wxCommandEvent&) { EndModal(wxID_CANCEL); }

void CDlgInput::OnCharHook(wxKeyEvent& event) {
    HandleOkCancelKeys(
        event, [this] { wxCommandEvent ev; OnOK(ev); }, [this] { EndModal(wxID_CANCEL); });
}

void CDlgInput::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }
