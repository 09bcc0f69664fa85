#include "ui/ViewDataModify.h"

#include <algorithm>

#include <wx/msgdlg.h>

#include "db/EMDevice.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUserDevice.h"
#include "ui/DlgDataEdit.h"
#include "ui/model/ItemColours.h"
#include "ui/MessageBox.h"
#include "ui/ResponsiveWait.h"
#include "ui/UiText.h"

namespace {

using quorvel::ui::gbkToUi;

wxColour toWx(quorvel::ui::Rgb c) { return wxColour(c.r, c.g, c.b); }

constexpr int kEdge = 20;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CViewDataModify, CViewBase)
    EVT_CHOICE(CViewDataModify::kDeviceListId, CViewDataModify::OnDeviceChanged)
    EVT_CHOICE(CViewDataModify::kGroupListId, CViewDataModify::OnGroupChanged)
    EVT_LIST_ITEM_ACTIVATED(CViewDataModify::kItemListId, CViewDataModify::OnItemActivated)
    EVT_CHAR_HOOK(CViewDataModify::OnCharHook)
    EVT_SIZE(CViewDataModify::OnSize)
wxEND_EVENT_TABLE()
// clang-format on

wxString CViewDataModify::UpdateFailedCaption() { return wxString(L"错误"); }

wxString CViewDataModify::UpdateFailedText(const wxString& itemName) {
    return wxString(L"数据点“") + itemName +
           wxString(L"”保存失败：数据库未能写入这次修改（错误详情已记入日志）。修改已撤销。");
}

CViewDataModify::CViewDataModify(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context) {
    new wxStaticText(this, wxID_ANY, wxString(L"设备"), wxPoint(kEdge, 12));
    m_deviceList = new CDevicePicker(this, kDeviceListId, wxPoint(kEdge + 40, 6), wxSize(200, -1));
    new wxStaticText(this, wxID_ANY, wxString(L"数据组"), wxPoint(kEdge + 270, 12));
    m_groupList = new wxChoice(this, kGroupListId, wxPoint(kEdge + 324, 6), wxSize(200, -1));
    // Shown only for long device lists, where there is room right of the row.
    m_deviceList->GetFilterBox()->SetSize(kEdge + 324 + 216, 6, 180, -1);
    m_itemList = new CLineColorListCtrl(this, kItemListId, wxPoint(kEdge, kListTop), wxSize(400, 300));
    m_hint = new wxStaticText(this, wxID_ANY, wxString(L"*鼠标双击数据项编辑"), wxPoint(kEdge, 350));
}

CViewDataModify::~CViewDataModify() = default;

void CViewDataModify::OnInitialUpdate() {
    CViewBase::OnInitialUpdate();
    ApplyViewColours();
    m_device = nullptr;
    std::vector<CDevicePicker::Entry> entries;
    for (EMDevice* device : EMUserDevice::getDevicesByUser(GetContext().userId)) {
        if (!device) continue;
        entries.push_back({gbkToUi(device->name), static_cast<void*>(device)});
    }
    m_deviceList->SetEntries(std::move(entries));
    if (m_deviceList->GetCount() > 0) {
        m_deviceList->SetSelection(0);
        m_device = static_cast<const EMDevice*>(m_deviceList->GetClientData(0));
    }
    if (m_device) {
        m_itemList->SetColumns({{0, wxString(L"数据名称"), 150}, {1, wxString(L"计量单位"), 150}});
        FillGroupList();
    }
    PlaceControls();
}

void CViewDataModify::FillGroupList() {
    m_groupList->Clear();
    if (!m_device) return;
    for (EMDeviceGroup* group : EMDeviceGroup::getByDevice(m_device->id)) {
        if (!group) continue;
        m_groupList->Append(gbkToUi(group->groupName), static_cast<void*>(group));
    }
    if (m_groupList->GetCount() > 0) {
        m_groupList->SetSelection(0);
        FillItemList(static_cast<const EMDeviceGroup*>(m_groupList->GetClientData(0))->id);
    } else {
        // Rows of another device's group must not stay editable under this one.
        FillItemList(std::string());
    }
}

void CViewDataModify::FillItemList(const std::string& groupId) {
    m_itemList->Freeze();
    m_itemList->DeleteAllItems();
    m_itemList->ClearRowColors();
    if (!groupId.empty()) {
        long row = 0;
        for (EMDeviceGroupItem* item : EMDeviceGroupItem::getByGroup(groupId)) {
            if (!item) continue;
            m_itemList->InsertItem(row, gbkToUi(item->c4));
            m_itemList->SetItemPtrData(row, reinterpret_cast<wxUIntPtr>(item));
            ShowRow(row, *item);
            ++row;
        }
    }
    m_itemList->Thaw();
}

void CViewDataModify::ShowRow(long row, const EMDeviceGroupItem& item) {
    m_itemList->SetItem(row, 0, gbkToUi(item.c4));
    m_itemList->SetItem(row, 1, gbkToUi(item.c3));
    m_itemList->SetRowColor(static_cast<unsigned>(row), toWx(quorvel::ui::complementOf(item.b4)),
                            toWx(quorvel::ui::rgbOf(item.b4)));
}

EMDeviceGroupItem* CViewDataModify::GetRowItem(long row) const {
    if (row < 0 || row >= m_itemList->GetItemCount()) return nullptr;
    return reinterpret_cast<EMDeviceGroupItem*>(m_itemList->GetItemData(row));
}

void CViewDataModify::OnDeviceChanged(wxCommandEvent&) {
    const int entry = m_deviceList->GetSelection();
    if (entry == wxNOT_FOUND) return;
    m_device = static_cast<const EMDevice*>(m_deviceList->GetClientData(static_cast<unsigned>(entry)));
    FillGroupList();
}

void CViewDataModify::OnGroupChanged(wxCommandEvent&) {
    const int entry = m_groupList->GetSelection();
    if (entry == wxNOT_FOUND) return;
    const auto* group = static_cast<const EMDeviceGroup*>(m_groupList->GetClientData(static_cast<unsigned>(entry)));
    FillItemList(group ? group->id : std::string());
}

void CViewDataModify::OnItemActivated(wxListEvent& event) { EditRow(event.GetIndex()); }

void CViewDataModify::EditRow(long row) {
    EMDeviceGroupItem* item = GetRowItem(row);
    if (!item) return;
    const std::string oldName = item->c4, oldUnit = item->c3;
    const int oldColour = item->b4;
    CDlgDataEdit dialog(this, item);
    if (dialog.ShowModal() != wxID_OK) return;
    if (!quorvel::ui::runResponsively([item] { return item->update(); })) {
        // The database kept the old values: so does the shared record, or
        // other views would show what was never saved.
        item->c4 = oldName;
        item->c3 = oldUnit;
        item->b4 = oldColour;
        ShowRow(row, *item);
        quorvel::ui::ShowMessageBox(UpdateFailedText(dialog.m_name), UpdateFailedCaption(), wxOK | wxICON_ERROR,
                                    this);
        return;
    }
    ShowRow(row, *item);
}

void CViewDataModify::OnCharHook(wxKeyEvent& event) {
    // Enter has no default command in this view.
    if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER) return;
    event.Skip();
}

void CViewDataModify::OnSize(wxSizeEvent& event) {
    event.Skip();
    PlaceControls();
}

void CViewDataModify::PlaceControls() {
    if (!m_itemList) return;
    const wxSize client = GetClientSize();
    const int left = m_itemList->GetPosition().x;
    const int right = std::max(left, client.x - kListRightInset);
    const int bottom = std::max(kListTop, client.y - kListBottomInset);
    m_itemList->SetSize(left, kListTop, right - left, bottom - kListTop);
    m_hint->Move(left, bottom + 8);
}
