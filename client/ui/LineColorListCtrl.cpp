#include "ui/LineColorListCtrl.h"

#include <algorithm>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>

wxIMPLEMENT_DYNAMIC_CLASS(CLineColorListCtrl, wxListCtrl);

CLineColorListCtrl::CLineColorListCtrl() = default;

CLineColorListCtrl::CLineColorListCtrl(wxWindow* parent, wxWindowID id,
                                       const wxPoint& pos, const wxSize& size,
                                       long style) {
    Create(parent, id, pos, size, style);
}

CLineColorListCtrl::~CLineColorListCtrl() {
    // The list does not own the image list; detach it before it goes.
    if (m_rowImages && GetHandle()) SetImageList(nullptr, wxIMAGE_LIST_SMALL);
}

bool CLineColorListCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                const wxSize& size, long style) {
    if (!wxListCtrl::Create(parent, id, pos, size, style | wxLC_REPORT))
        return false;
    // Colours belong to row indexes: whenever rows move, paint them anew.
    Bind(wxEVT_LIST_INSERT_ITEM, &CLineColorListCtrl::OnItemsChanged, this);
    Bind(wxEVT_LIST_DELETE_ITEM, &CLineColorListCtrl::OnItemsChanged, this);
    return true;
}

void CLineColorListCtrl::SetColumns(const std::vector<ColumnDesc>& columns) {
    if (!m_rowImages) {
        // One blank 1x32 image: the list takes its row height from it.
        m_rowImages = std::make_unique<wxImageList>(1, kRowHeight, true, 1);
        wxBitmap blank(1, kRowHeight, 24);
        {
            wxMemoryDC dc(blank);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
        }
        m_rowImages->Add(blank, *wxWHITE);
        ++m_imageListCreations;
    }
    SetImageList(m_rowImages.get(), wxIMAGE_LIST_SMALL);

    std::vector<ColumnDesc> ordered(columns);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const ColumnDesc& a, const ColumnDesc& b) { return a.index < b.index; });
    for (const ColumnDesc& c : ordered) {
        const int at = std::clamp(c.index, 0, GetColumnCount());
        InsertColumn(at, c.title, wxLIST_FORMAT_LEFT, c.width);
        SetColumnWidth(at, c.width);
    }
    SetWindowStyleFlag(GetWindowStyleFlag() | wxLC_HRULES | wxLC_VRULES);
    SetBackgroundColour(wxColour(192, 192, 220));
    Refresh();
}

void CLineColorListCtrl::SetRowColor(unsigned row, const wxColour& text, const wxColour& back) {
    m_rowColors[row] = RowColor{text, back};
    if (static_cast<long>(row) < GetItemCount()) {
        ApplyRow(static_cast<long>(row));
        RefreshItem(static_cast<long>(row));
        Update();
    }
}

const CLineColorListCtrl::RowColor* CLineColorListCtrl::GetRowColor(unsigned row) const {
    auto it = m_rowColors.find(row);
    return it == m_rowColors.end() ? nullptr : &it->second;
}

void CLineColorListCtrl::ClearRowColors() {
    m_rowColors.clear();
    ScheduleApply();
}

void CLineColorListCtrl::OnItemsChanged(wxListEvent& event) {
    ScheduleApply();
    event.Skip();
}

void CLineColorListCtrl::ScheduleApply() {
    if (m_applyPending) return;
    m_applyPending = true;
    // Once per burst of insertions, not once per row.
    CallAfter([this] { ApplyRowColors(); });
}

void CLineColorListCtrl::ApplyRowColors() {
    m_applyPending = false;
    const long count = GetItemCount();
    for (long row = 0; row < count; ++row) ApplyRow(row);
}

void CLineColorListCtrl::ApplyRow(long row) {
    auto it = m_rowColors.find(static_cast<unsigned>(row));
    const wxColour oldText = GetItemTextColour(row);
    const wxColour oldBack = GetItemBackgroundColour(row);
    if (it == m_rowColors.end()) {
        // An item that brought colours from another index gets the list's own
        // (the list cannot drop an item's colours, only replace them).
        if (!oldText.IsOk() && !oldBack.IsOk()) return;
        const wxColour text = GetTextColour().IsOk() ? GetTextColour() : GetForegroundColour();
        if (oldText != text) SetItemTextColour(row, text);
        if (oldBack != GetBackgroundColour()) SetItemBackgroundColour(row, GetBackgroundColour());
        return;
    }
    if (oldText != it->second.text) SetItemTextColour(row, it->second.text);
    if (oldBack != it->second.back) SetItemBackgroundColour(row, it->second.back);
}
