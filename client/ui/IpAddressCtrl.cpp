#include "ui/IpAddressCtrl.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/valtext.h>

CIpAddressCtrl::CIpAddressCtrl(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i) row->Add(new wxStaticText(this, wxID_ANY, wxS(".")), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 2);
        auto* f = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                 wxSize(FromDIP(44), -1), wxTE_CENTRE);
        f->SetMaxLength(3);
        f->Bind(wxEVT_TEXT, &CIpAddressCtrl::OnText, this);
        f->Bind(wxEVT_CHAR, &CIpAddressCtrl::OnChar, this);
        m_fields[i] = f;
        row->Add(f, 0, wxALIGN_CENTER_VERTICAL);
    }
    SetSizerAndFit(row);
}

void CIpAddressCtrl::SetAddress(const quorvel::ui::IpFields& fields) {
    m_filling = true;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->ChangeValue(wxString::Format(wxS("%d"), fields[i]));
    m_filling = false;
    m_edited = false;
}

quorvel::ui::IpFields CIpAddressCtrl::GetAddress() const {
    quorvel::ui::IpFields out{0, 0, 0, 0};
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        long v = 0;
        if (m_fields[i]->GetValue().ToLong(&v) && v >= 0) out[i] = v > 255 ? 255 : static_cast<int>(v);
    }
    return out;
}

bool CIpAddressCtrl::IsBlank() const {
    for (auto* f : m_fields)
        if (!f->GetValue().empty()) return false;
    return true;
}

int CIpAddressCtrl::FieldIndex(wxObject* obj) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == obj) return static_cast<int>(i);
    return -1;
}

void CIpAddressCtrl::OnText(wxCommandEvent& event) {
    if (m_filling) return;
    m_edited = true;
    auto* f = wxDynamicCast(event.GetEventObject(), wxTextCtrl);
    if (!f) return;
    long v = 0;
    // A field holds 0..255: a larger number is cut back to 255.
    if (f->GetValue().ToLong(&v) && v > 255) {
        f->ChangeValue(wxS("255"));
        f->SetInsertionPointEnd();
    }
    const int i = FieldIndex(f);
    if (f->GetValue().length() == 3 && f->GetInsertionPoint() >= 3 && i >= 0 && i < 3) {
        m_fields[static_cast<std::size_t>(i + 1)]->SetFocus();
        m_fields[static_cast<std::size_t>(i + 1)]->SelectAll();
    }
}

void CIpAddressCtrl::OnChar(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const int i = FieldIndex(event.GetEventObject());
    if (key == '.' || key == WXK_NUMPAD_DECIMAL) {
        if (i >= 0 && i < 3) {
            m_fields[static_cast<std::size_t>(i + 1)]->SetFocus();
            m_fields[static_cast<std::size_t>(i + 1)]->SelectAll();
        }
        return;
    }
    if (key >= '0' && key <= '9') { event.Skip(); return; }
    if (key < WXK_SPACE || key == WXK_DELETE || key > WXK_START) { event.Skip(); return; }
    // Other printable characters are not part of an address.
}
