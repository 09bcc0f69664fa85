#include "ui/MessageBox.h"

#include <wx/msgdlg.h>

namespace quorvel::ui {

void SetOwnButtonLabels(wxMessageDialog& box) {
    // "&" marks the key that answers without the mouse (Y, N).
    box.SetYesNoCancelLabels(wxString::FromUTF8("是(&Y)"), wxString::FromUTF8("否(&N)"),
                             wxString::FromUTF8("取消"));
    box.SetOKLabel(wxString::FromUTF8("确定"));
}

int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
    if (!(style & wxICON_NONE) && !(style & wxICON_MASK))
        style |= (style & wxYES) ? wxICON_QUESTION : wxICON_INFORMATION;
    wxMessageDialog box(parent, text, caption, style | wxCENTRE);
    SetOwnButtonLabels(box);
    switch (box.ShowModal()) {
        case wxID_YES:
            return wxYES;
        case wxID_NO:
            return wxNO;
        case wxID_OK:
            return wxOK;
        case wxID_HELP:
            return wxHELP;
        default:
            return wxCANCEL;
    }
}

}  // namespace quorvel::ui
