#pragma once
// The result table of the history and statistics views: a virtual report
// list that draws each visible row from the query result on demand, so a
// result of millions of rows is shown at once.
#include <memory>
#include <string>

#include "db/ResultStore.h"
#include "ui/LineColorListCtrl.h"

class CResultList : public CLineColorListCtrl {
public:
    CResultList(wxWindow* parent, wxWindowID id);

    // Shows these rows (cell i in column i).
    void SetRows(std::shared_ptr<const ResultStore> rows);
    // No rows; the columns stay.
    void ClearRows();
    const ResultStore* GetRows() const { return m_rows.get(); }

protected:
    wxString OnGetItemText(long item, long column) const override;
    // The row image list only sets the row height; no row shows an image.
    int OnGetItemImage(long) const override { return -1; }
    int OnGetItemColumnImage(long, long) const override { return -1; }

private:
    std::shared_ptr<const ResultStore> m_rows;
    mutable std::string m_cell;  // reused for each cell drawn
};
