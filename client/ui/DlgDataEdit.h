#pragma once
// CDlgDataEdit ("数据点编辑"): the display name, unit and curve
// colour of one data item. The colour button opens the colour dialog and
// gives the item the chosen colour at once; OK takes name and unit into the
// item; Cancel (button, Escape or close box) puts the colour back as it was,
// so a cancelled edit leaves the item unchanged. The caller writes the item
// to the database after OK.
#include <wx/textctrl.h>

#include "ui/DlgBase.h"
#include "ui/MeterButton.h"

class EMDeviceGroupItem;

class CDlgDataEdit : public CDlgBase {
public:
    static constexpr int kDialogId = 323;  // CDlgBase::GetTemplateId()
    static constexpr wxWindowID kNameEditId = 1063;
    static constexpr wxWindowID kUnitEditId = 1064;
    static constexpr wxWindowID kColourButtonId = 1047;
    static constexpr wxWindowID kOkId = 1049;
    static constexpr wxWindowID kCancelId = 1016;

    // item: the item to edit (not owned; must outlive the dialog).
    CDlgDataEdit(wxWindow* parent, EMDeviceGroupItem* item);

    // wxID_OK or wxID_CANCEL.
    int ShowModal() override;

    wxString m_name;  // exchanged with the name edit
    wxString m_unit;  // exchanged with the unit edit

    wxTextCtrl* NameEdit() const { return m_nameEdit; }
    wxTextCtrl* UnitEdit() const { return m_unitEdit; }
    CMeterButton* ColourButton() const { return m_colourButton; }
    CMeterButton* OkButton() const { return m_ok; }
    CMeterButton* CancelButton() const { return m_cancel; }

private:
    void SetButtonColour(int colour);
    void Cancel();

    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnColour(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    EMDeviceGroupItem* m_item;
    int m_originalColour;
    wxTextCtrl* m_nameEdit = nullptr;
    wxTextCtrl* m_unitEdit = nullptr;
    CMeterButton* m_colourButton = nullptr;
    CMeterButton* m_ok = nullptr;
    CMeterButton* m_cancel = nullptr;

    wxDECLARE_EVENT_TABLE();
};
