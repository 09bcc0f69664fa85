#include "ui/LampGrid.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>

namespace {
// The cell's parts, as the list control of the first version drew them: the
// picture 4 px in from the top, the label at the bottom with 2 px to spare.
constexpr int kIconPad = 8;      // around the picture
constexpr int kLabelPad = 4;     // added to the label's extent
// Placed as the list control of the first version placed them: the same
// distance from the left and top edges, the same spacing of short names.
constexpr int kMargin = 4;       // between the area's edge and the cells
constexpr int kTopExtra = 6;     // more room above the first row
constexpr int kLabelDrop = 6;    // the label this much further below its lamp
constexpr int kGap = 18;         // between cells
constexpr int kScrollStep = 20;  // pixels per scroll unit
}  // namespace

CLampGrid::CLampGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxScrolledCanvas(parent, id, pos, size, wxVSCROLL | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_DEFAULT);
    SetScrollRate(0, kScrollStep);
    Bind(wxEVT_PAINT, &CLampGrid::OnPaint, this);
    Bind(wxEVT_SIZE, &CLampGrid::OnSize, this);
}

void CLampGrid::SetLampImages(const wxBitmap& lamp0, const wxBitmap& lamp1) {
    m_lamps[0] = lamp0;
    m_lamps[1] = lamp1;
    for (int i = 0; i < 2; ++i)
        m_staleLamps[i] = m_lamps[i].IsOk() ? m_lamps[i].ConvertToDisabled() : wxBitmap();
    m_laidOutWidth = -1;
    LayOut();
}

void CLampGrid::SetStale(bool stale) {
    if (stale == m_stale) return;
    m_stale = stale;
    Refresh();
}

void CLampGrid::SetItemSpacing(int spacing) {
    m_spacing = spacing;
    m_laidOutWidth = -1;
    LayOut();
}

void CLampGrid::SetItems(std::vector<Item> items) {
    m_items = std::move(items);
    m_textWidths.assign(m_items.size(), 0);
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    m_textHeight = dc.GetCharHeight();
    for (std::size_t i = 0; i < m_items.size(); ++i) m_textWidths[i] = dc.GetTextExtent(m_items[i].name).x;
    m_laidOutWidth = -1;
    LayOut();
    Refresh();
}

wxString CLampGrid::GetItemText(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<std::size_t>(index)].name : wxString();
}

int CLampGrid::GetItemLamp(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<std::size_t>(index)].lamp : -1;
}

void CLampGrid::SetItemLamp(int index, int lamp) {
    if (index < 0 || index >= GetItemCount()) return;
    Item& item = m_items[static_cast<std::size_t>(index)];
    if (item.lamp == lamp) return;
    item.lamp = lamp;
    const wxRect cell = CellOnScreen(index);
    if (cell.Intersects(wxRect(GetClientSize()))) RefreshRect(cell, false);
}

wxRect CLampGrid::GetItemRect(int index) const {
    if (index < 0 || index >= static_cast<int>(m_layout.cells.size())) return {};
    const auto& c = m_layout.cells[static_cast<std::size_t>(index)];
    return {c.x, c.y + kTopExtra, c.width, c.height};
}

wxRect CLampGrid::CellOnScreen(int index) const {
    wxRect r = GetItemRect(index);
    r.SetPosition(CalcScrolledPosition(r.GetPosition()));
    return r;
}

void CLampGrid::LayOut() {
    const int width = GetClientSize().x;
    if (width == m_laidOutWidth) return;
    m_laidOutWidth = width;
    const wxSize icon = m_lamps[0].IsOk() ? m_lamps[0].GetSize() : wxSize(0, 0);
    const int labelHeight = m_textHeight + kLabelPad;
    // As high as the spacing plus the label, and never less than picture and label.
    m_cellHeight = std::max(m_spacing + labelHeight, icon.y + kIconPad + labelHeight + 4) + kLabelDrop;
    std::vector<int> widths(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        widths[i] = std::max({m_spacing, m_textWidths[i] + kLabelPad, icon.x + kIconPad});
    m_layout = quorvel::ui::layOutLamps(widths, m_cellHeight, width, kMargin, kGap);
    SetVirtualSize(width, m_layout.totalHeight + kTopExtra);
}

void CLampGrid::OnSize(wxSizeEvent& event) {
    event.Skip();
    LayOut();
    Refresh(false);
}

void CLampGrid::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DoPrepareDC(dc);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (m_items.empty()) return;
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    // Only the rows in sight are drawn.
    const wxPoint top = CalcUnscrolledPosition(wxPoint(0, -kTopExtra));
    const int bottom = top.y + GetClientSize().y;
    const wxSize icon = m_lamps[0].IsOk() ? m_lamps[0].GetSize() : wxSize(0, 0);
    const int labelHeight = m_textHeight + kLabelPad;
    for (std::size_t row = quorvel::ui::firstRowBelow(m_layout, m_cellHeight, top.y); row < m_layout.rowTops.size();
         ++row) {
        if (m_layout.rowTops[row] >= bottom) break;
        const std::size_t first = static_cast<std::size_t>(m_layout.rowFirst[row]);
        const std::size_t end = row + 1 < m_layout.rowFirst.size() ? static_cast<std::size_t>(m_layout.rowFirst[row + 1])
                                                                   : m_items.size();
        for (std::size_t i = first; i < end; ++i) {
            quorvel::ui::CellRect c = m_layout.cells[i];
            c.y += kTopExtra;
            const Item& item = m_items[i];
            const wxBitmap& lamp = (m_stale ? m_staleLamps : m_lamps)[item.lamp == 1 ? 1 : 0];
            if (lamp.IsOk()) dc.DrawBitmap(lamp, c.x + (c.width - icon.x) / 2, c.y + kIconPad / 2, true);
            const int textWidth = m_textWidths[i];
            dc.DrawText(item.name, c.x + (c.width - textWidth) / 2, c.y + c.height + 2 - labelHeight);
        }
    }
}
