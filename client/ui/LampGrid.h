#pragma once
// The realtime view's icon area: one lamp picture with the device's name
// under it per device, in rows that fill the width and scroll vertically.
// Drawn by one window from two shared bitmaps (no window, image or list entry
// object per device), so thousands of devices cost little to build, to
// scroll and to update: a lamp change only invalidates its own cell, and all
// changes up to the next repaint are drawn in one go.
#include <vector>

#include <wx/bitmap.h>
#include <wx/scrolwin.h>

#include "ui/model/LampLayout.h"

class CLampGrid : public wxScrolledCanvas {
public:
    CLampGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The pictures of lamp 0 and lamp 1 (white is transparent).
    void SetLampImages(const wxBitmap& lamp0, const wxBitmap& lamp1);
    // Least width of a cell; a longer name widens its cell.
    void SetItemSpacing(int spacing);

    struct Item {
        wxString name;
        int lamp = 0;
    };
    // All icons in one batch (names are measured once, here).
    void SetItems(std::vector<Item> items);

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    wxString GetItemText(int index) const;
    // The lamp of an icon; -1 for no such icon.
    int GetItemLamp(int index) const;
    // Changes one icon's lamp; only its cell is drawn again, at the next paint.
    void SetItemLamp(int index, int lamp);
    // An icon's cell in the scrolled area's coordinates.
    wxRect GetItemRect(int index) const;
    // Stale lamps are drawn greyed: their state may be old (the broker link
    // is down), so they must not look like fresh news.
    void SetStale(bool stale);
    bool IsStale() const { return m_stale; }

private:
    void LayOut();
    wxRect CellOnScreen(int index) const;
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);

    std::vector<Item> m_items;
    std::vector<int> m_textWidths;
    quorvel::ui::LampLayout m_layout;
    wxBitmap m_lamps[2];
    wxBitmap m_staleLamps[2];
    bool m_stale = false;
    int m_spacing = 84;
    int m_textHeight = 0;
    int m_cellHeight = 0;
    int m_laidOutWidth = -1;
};
