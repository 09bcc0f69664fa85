#include "ui/DlgDataEdit.h"

#include <wx/colordlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "db/EMDeviceGroupItem.h"
#include "ui/model/ItemColours.h"
#include "ui/UiText.h"

namespace {
wxColour toWx(int colour) {
    const quorvel::ui::Rgb c = quorvel::ui::rgbOf(colour);
    return wxColour(c.r, c.g, c.b);
}
}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgDataEdit, CDlgBase)
    EVT_BUTTON(CDlgDataEdit::kOkId, CDlgDataEdit::OnOK)
    EVT_BUTTON(CDlgDataEdit::kCancelId, CDlgDataEdit::OnCancel)
    EVT_BUTTON(CDlgDataEdit::kColourButtonId, CDlgDataEdit::OnColour)
    EVT_CHAR_HOOK(CDlgDataEdit::OnCharHook)
    EVT_CLOSE(CDlgDataEdit::OnClose)
wxEND_EVENT_TABLE()
// clang-format on

CDlgDataEdit::CDlgDataEdit(wxWindow* parent, EMDeviceGroupItem* item)
    : CDlgBase(parent, kDialogId, wxString(L"数据点编辑")), m_item(item), m_originalColour(item ? item->b4 : 0) {
    m_nameEdit = new wxTextCtrl(this, kNameEditId, wxEmptyString, wxDefaultPosition, wxSize(FromDIP(180), -1));
    m_unitEdit = new wxTextCtrl(this, kUnitEditId, wxEmptyString, wxDefaultPosition, wxSize(FromDIP(180), -1));
    m_colourButton = new CMeterButton(this, kColourButtonId, wxEmptyString, wxDefaultPosition,
                                      wxSize(FromDIP(180), FromDIP(24)));
    m_ok = new CMeterButton(this, kOkId, wxString(L"确定"));
    m_cancel = new CMeterButton(this, kCancelId, wxString(L"取消"));

    auto* fields = new wxFlexGridSizer(2, FromDIP(10), FromDIP(12));
    fields->Add(new wxStaticText(this, wxID_ANY, wxString(L"数据名称")), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_nameEdit, 1, wxEXPAND);
    fields->Add(new wxStaticText(this, wxID_ANY, wxString(L"计量单位")), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_unitEdit, 1, wxEXPAND);
    fields->Add(new wxStaticText(this, wxID_ANY, wxString(L"曲线颜色")), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_colourButton, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(m_ok, 0, wxRIGHT, FromDIP(12));
    buttons->Add(m_cancel, 0);
    buttons->AddStretchSpacer();
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(fields, 0, wxEXPAND | wxALL, FromDIP(16));
    top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(16));
    SetSizerAndFit(top);
    ApplyDialogColouring();

    // Setup: the item's texts, the meter colours, then the colour button
    // showing the item's colour in every state.
    if (m_item) {
        m_name = quorvel::ui::gbkToUi(m_item->c4);
        m_unit = quorvel::ui::gbkToUi(m_item->c3);
    }
    m_nameEdit->ChangeValue(m_name);
    m_unitEdit->ChangeValue(m_unit);
    m_colourButton->SetMeterColorScheme();
    m_ok->SetMeterColorScheme();
    m_cancel->SetMeterColorScheme();
    SetButtonColour(m_originalColour);
    CentreOnParent();
}

int CDlgDataEdit::ShowModal() {
    m_nameEdit->SetFocus();
    return CDlgBase::ShowModal();
}

void CDlgDataEdit::SetButtonColour(int colour) {
    const wxColour c = toWx(colour);
    m_colourButton->SetColor(CButtonST::BTNST_COLOR_BK_IN, c, false);
    m_colourButton->SetColor(CButtonST::BTNST_COLOR_BK_OUT, c, false);
    m_colourButton->SetColor(CButtonST::BTNST_COLOR_BK_FOCUS, c, true);
}

void CDlgDataEdit::OnColour(wxCommandEvent&) {
    wxColourData data;
    data.SetChooseFull(true);
    data.SetColour(toWx(m_item ? m_item->b4 : m_originalColour));
    wxColourDialog dialog(this, &data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxColour chosen = dialog.GetColourData().GetColour();
    if (!chosen.IsOk()) return;
    const int colour = quorvel::ui::colourOf({chosen.Red(), chosen.Green(), chosen.Blue()});
    if (m_item) m_item->b4 = colour;
    SetButtonColour(colour);
}

void CDlgDataEdit::OnOK(wxCommandEvent&) {
    m_name = m_nameEdit->GetValue();
    m_unit = m_unitEdit->GetValue();
    if (m_item) {
        m_item->c4 = quorvel::ui::uiToGbk(m_name);
        m_item->c3 = quorvel::ui::uiToGbk(m_unit);
    }
    EndModal(wxID_OK);
}

void CDlgDataEdit::Cancel() {
    // The colour was given to the shared item at once; a cancelled edit
    // takes it back, so nothing of it is seen by other views.
    if (m_item) m_item->b4 = m_originalColour;
    EndModal(wxID_CANCEL);
}

void CDlgDataEdit::OnCancel(wxCommandEvent&) { Cancel(); }

void CDlgDataEdit::OnCharHook(wxKeyEvent& event) {
    HandleOkCancelKeys(
        event, [this] { wxCommandEvent ev; OnOK(ev); }, [this] { Cancel(); });
}

void CDlgDataEdit::OnClose(wxCloseEvent&) { Cancel(); }
