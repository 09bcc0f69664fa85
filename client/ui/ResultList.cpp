#include "ui/ResultList.h"

#include "ui/UiText.h"
#include "ui/model/QueryColumns.h"

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
    if (!quorvel::ui::resultCellText(m_rows.get(), item, column, m_cell))
        return wxString();
    return quorvel::ui::gbkToUi(m_cell);
}
