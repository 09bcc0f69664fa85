#pragma once
// CLineColorListCtrl: a report list whose rows can each have their own text
// and background colour, keyed by row index (a colour stays with the index,
// not with the item, as rows are inserted or deleted), plus a column setter
// that makes rows 32 pixels high.
#include <map>
#include <memory>
#include <vector>

#include <wx/colour.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>

class CLineColorListCtrl : public wxListCtrl {
public:
    struct ColumnDesc {
        int index;
        wxString title;
        int width;  // pixels
    };
    struct RowColor {
        wxColour text;
        wxColour back;
    };

    CLineColorListCtrl();
    CLineColorListCtrl(wxWindow* parent, wxWindowID id,
                       const wxPoint& pos = wxDefaultPosition,
                       const wxSize& size = wxDefaultSize,
                       long style = wxLC_REPORT | wxBORDER_SUNKEN);
    bool Create(wxWindow* parent, wxWindowID id,
                const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize,
                long style = wxLC_REPORT | wxBORDER_SUNKEN);
    ~CLineColorListCtrl() override;

    // Inserts the columns (left aligned) in index order with their widths,
    // adds grid lines, attaches the 1x32 row-height image list (made once)
    // and sets the list background to RGB(192,192,220).
    void SetColumns(const std::vector<ColumnDesc>& columns);

    // Stores the colours for the row and repaints it at once.
    void SetRowColor(unsigned row, const wxColour& text, const wxColour& back);
    // Colours stored for the row, or none.
    const RowColor* GetRowColor(unsigned row) const;
    void ClearRowColors();

    // How often the row-height image list was made (it is made only once).
    int RowImageListCreations() const { return m_imageListCreations; }
    static constexpr int kRowHeight = 32;

private:
    void OnItemsChanged(wxListEvent& event);
    void ScheduleApply();
    void ApplyRowColors();
    void ApplyRow(long row);

    std::map<unsigned, RowColor> m_rowColors;
    std::unique_ptr<wxImageList> m_rowImages;
    int m_imageListCreations = 0;
    bool m_applyPending = false;

    wxDECLARE_DYNAMIC_CLASS(CLineColorListCtrl);
};
