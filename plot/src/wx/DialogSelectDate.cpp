#include "DialogSelectDate.h"

#include <cstdint>

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

namespace curvella {

CDialogSelectDate::CDialogSelectDate(wxWindow* parent, const std::vector<std::string>& labels)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("选择日期")) {
    list_ = new wxListBox(this, 1004, wxDefaultPosition, wxSize(200, 220), 0, nullptr,
                          wxLB_SINGLE | wxLB_SORT | wxLB_NEEDED_SB | wxBORDER_SIMPLE);
    // The list sorts its texts; each entry carries its own position so the
    // answer stays right even where the texts do not sort in day order
    // ("99/12/31" after "00/01/01").
    for (std::size_t i = 0; i < labels.size(); ++i)
        list_->Append(wxString::FromUTF8(labels[i]), reinterpret_cast<void*>(static_cast<std::uintptr_t>(i)));

    auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("确定"));
    auto* cancel = new wxButton(this, wxID_CANCEL, wxString::FromUTF8("取消"));
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(ok, 0, wxBOTTOM, 6);
    buttons->Add(cancel, 0);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(list_, 1, wxEXPAND | wxALL, 8);
    top->Add(buttons, 0, wxTOP | wxRIGHT, 8);
    SetSizerAndFit(top);
    Bind(wxEVT_BUTTON, &CDialogSelectDate::OnOk, this, wxID_OK);
}

bool CDialogSelectDate::AcceptSelection() {
    const int sel = list_->GetSelection();
    if (sel == wxNOT_FOUND) {
        // The button reads 确定 whatever the desktop's language.
        wxMessageDialog box(this, wxString::FromUTF8("没有选择日期!"), GetTitle(),
                            wxOK | wxICON_INFORMATION | wxCENTRE);
        box.SetOKLabel(wxString::FromUTF8("确定"));
        box.ShowModal();
        return false;
    }
    chosen_ = static_cast<int>(reinterpret_cast<std::uintptr_t>(list_->GetClientData(static_cast<unsigned>(sel))));
    return true;
}

void CDialogSelectDate::OnOk(wxCommandEvent&) {
    if (AcceptSelection()) EndModal(wxID_OK);
}

}  // namespace curvella
