#pragma once
// The data modification view: the data items of one group of
// one device, each row on its curve colour with the complement as text.
// Double-clicking a row edits the item (CDlgDataEdit) and writes it to the
// database; the records are the shared cached ones, so every other view sees
// the change at once.

#include <functional>

#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include "ui/DevicePicker.h"
#include "ui/LineColorListCtrl.h"
#include "ui/ViewBase.h"

class EMDevice;
class EMDeviceGroupItem;

class CViewDataModify : public CViewBase {
public:
    static constexpr wxWindowID kDeviceListId = 1000;
    static constexpr wxWindowID kGroupListId = 1061;
    static constexpr wxWindowID kItemListId = 1062;
    static constexpr int kListTop = 40;          // item list: top below the client area's top
    static constexpr int kListRightInset = 20;   // right edge inside the client area
    static constexpr int kListBottomInset = 30;  // bottom edge inside the client area

    // The main frame creates it as: new CViewDataModify(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user whose devices are listed.
    CViewDataModify(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewDataModify() override;

    wxChoice* GetDeviceList() const { return m_deviceList; }
    wxChoice* GetGroupList() const { return m_groupList; }
    CLineColorListCtrl* GetItemList() const { return m_itemList; }
    const EMDevice* GetCurrentDevice() const { return m_device; }
    EMDeviceGroupItem* GetRowItem(long row) const;

    // Edits the item of `row` as a double-click on it does; nothing for a
    // row that does not exist.
    void EditRow(long row);

    // Fixed texts of the message shown when the database refuses a change.
    static wxString UpdateFailedCaption();
    static wxString UpdateFailedText(const wxString& itemName);

protected:
    void OnInitialUpdate() override;

private:
    void FillGroupList();
    void FillItemList(const std::string& groupId);
    void ShowRow(long row, const EMDeviceGroupItem& item);
    void PlaceControls();

    void OnDeviceChanged(wxCommandEvent& event);
    void OnGroupChanged(wxCommandEvent& event);
    void OnItemActivated(wxListEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnSize(wxSizeEvent& event);

    CDevicePicker* m_deviceList = nullptr;
    wxChoice* m_groupList = nullptr;
    CLineColorListCtrl* m_itemList = nullptr;
    wxStaticText* m_hint = nullptr;
    const EMDevice* m_device = nullptr;  // current device, or none

    wxDECLARE_EVENT_TABLE();
};
