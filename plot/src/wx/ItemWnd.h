// The legend: one colour swatch and one check box per series, eight a row,
// scrolled vertically by whole rows.
#pragma once
#include <vector>

#include <wx/checkbox.h>
#include <wx/window.h>

#include "ButtonST.h"
#include "DrawHandler.h"

namespace curvella {

class CoordsSys;

class CItemWnd : public wxWindow {
public:
    CItemWnd(CoordsSys& engine, wxWindow* parent, wxWindowID id, const wxRect& rect);

    // Replaces the entries; the first starts ticked.
    void SetItems(const IndexCaptions& items, const std::vector<Colour>& colours);

    int Rows() const { return rows_; }
    int ScrollRow() const { return scroll_; }
    void ScrollToRow(int row);
    wxCheckBox* CheckBox(std::size_t i) const { return i < checks_.size() ? checks_[i] : nullptr; }
    CButtonST* Swatch(std::size_t i) const { return i < swatches_.size() ? swatches_[i] : nullptr; }
    std::size_t Count() const { return checks_.size(); }

    // The swatch's action: flip the check box beside it, then the series.
    void ClickSwatch(std::size_t i);

private:
    void PlaceEntries();
    void OnScroll(wxScrollWinEvent& e);
    void OnSize(wxSizeEvent& e);

    CoordsSys& engine_;
    std::vector<wxCheckBox*> checks_;
    std::vector<CButtonST*> swatches_;
    std::vector<int> plotIndexes_;
    int rows_ = 0;
    int scroll_ = 0;
    // Check boxes are numbered from 0x4000; swatches take automatic ids
    // (window ids stop below 32767, so 0x8000 + i cannot be used).
    int nextCheckId_ = 0x4000;
};

}  // namespace curvella
