#include "ui/ResultList.h"

#include "ui/UiText.h"

CResultList::CResultList(wxWindow* parent, wxWindowID id)
    : CLineColorListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN)
{
}

void CResultList::SetRows(std::shared_ptr<const ResultStore> rows)
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
    if (column < 0 || static_cast<size_t>(column) >= m_rows->columnCount())
        return wxString();
    m_rows->cellText(static_cast<size_t>(item), static_cast<size_t>(column), m_cell);
    return quorvel::ui::gbkToUi(m_cell);
}
