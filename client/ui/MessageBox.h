#pragma once
// Message boxes with the program's own button texts: 是(Y) and 否(N) for a
// question, 确定 and 取消 otherwise. The toolkit would label them from the
// desktop's language ("Yes"/"No" under the C locale) beneath texts that ask
// for 是/否.
#include <wx/string.h>

class wxMessageDialog;
class wxWindow;

namespace quorvel::ui {

// Gives every button the box may show its fixed text.
void SetOwnButtonLabels(wxMessageDialog& box);

// As wxMessageBox: style takes wxOK, wxYES_NO, wxCANCEL and an icon (a
// question icon for yes/no, information otherwise, when none is given);
// returns wxOK, wxYES, wxNO or wxCANCEL.
int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent);

}  // namespace quorvel::ui
