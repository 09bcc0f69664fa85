#pragma once
// CIpAddressCtrl: an address entry of four small numeric fields (0..255)
// separated by dots; "." or a full field moves on to the next field.
#include <array>

#include <wx/panel.h>
#include <wx/textctrl.h>

#include "ui/model/IpAddressText.h"

class CIpAddressCtrl : public wxPanel {
public:
    CIpAddressCtrl(wxWindow* parent, wxWindowID id);

    // Fills the fields without counting as a user edit.
    void SetAddress(const quorvel::ui::IpFields& fields);
    // The four numbers; an empty field counts as 0.
    quorvel::ui::IpFields GetAddress() const;
    bool IsBlank() const;
    // True once the user changed a field after the last SetAddress.
    bool IsEdited() const { return m_edited; }

    wxTextCtrl* Field(int i) const { return m_fields[static_cast<std::size_t>(i)]; }

private:
    void OnText(wxCommandEvent& event);
    void OnChar(wxKeyEvent& event);
    int FieldIndex(wxObject* obj) const;

    std::array<wxTextCtrl*, 4> m_fields{};
    bool m_filling = false;
    bool m_edited = false;
};
