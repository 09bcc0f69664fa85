#include "ui/ResultList.h"

#include "ui/UiText.h"

CResultList::CResultList(wxWindow* parent, wxWindowID id)
    : CLineColorListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN)
{
}

void CResultList::SetRows(std::shared_ptr<const DataRows> rows)
{
    m_rows = std::move(rows);
    SetItemCount(m_rows ? static_cast<long>(m_rows->size()) : 0);
    Refresh();
}

void CResultList::ClearRows()
{
    m_rows.reset();
    SetItemCount(0);
    Refresh();
}

wxString CResultList::OnGetItemText(long item, long column) const
{
    if (!m_rows || item < 0 || static_cast<size_t>(item) >= m_rows->size())
        return wxString();
    const DataRow& row = (*m_rows)[static_cast<size_t>(item)];
    if (column < 0 || static_cast<size_t>(column) >= row.size())
        return wxString();
    return quorvel::ui::gbkToUi(row[static_cast<size_t>(column)].second);
}
