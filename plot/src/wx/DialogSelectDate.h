// "选择日期": pick one day from a sorted list.
#pragma once
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/listbox.h>

namespace curvella {

class CDialogSelectDate : public wxDialog {
public:
    CDialogSelectDate(wxWindow* parent, const std::vector<std::string>& labels);

    // Position of the chosen label in the list handed in; -1 until OK.
    int Chosen() const { return chosen_; }
    wxListBox* List() const { return list_; }

    // The OK button's check: false (with the message box) when nothing is
    // selected; otherwise remembers the choice.
    bool AcceptSelection();

private:
    void OnOk(wxCommandEvent&);

    wxListBox* list_ = nullptr;
    int chosen_ = -1;
};

}  // namespace curvella
