#pragma once
// The device drop-down of the history, statistics, debug and data-point
// views. It is the views' wxChoice as before (same look, same selection and
// events), filled in one batch. With many devices the list alone is no way
// to find one, and a native list of thousands of entries is slow to fill and
// to open: beyond kFilterThreshold devices a filter box appears beside it,
// and the drop-down holds the first kMaxShown devices whose name contains
// what was typed there. Typing while the drop-down has the focus goes to the
// filter box.
#include <cstddef>
#include <string>
#include <vector>

#include <wx/choice.h>
#include <wx/textctrl.h>

class CDevicePicker : public wxChoice {
public:
    static constexpr std::size_t kFilterThreshold = 40;
    static constexpr std::size_t kMaxShown = 200;

    struct Entry {
        wxString name;
        void* data = nullptr;  // the client data of its line
    };

    CDevicePicker(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~CDevicePicker() override;

    // Replaces all devices; nothing is selected afterwards (as after Clear and
    // Append). Shows or hides the filter box; the caller lays the parent out.
    void SetEntries(std::vector<Entry> entries);
    std::size_t GetEntryCount() const { return m_entries.size(); }

    // The filter box (a sibling of the drop-down, hidden while the list is
    // short), for the parent's layout.
    wxTextCtrl* GetFilterBox() const { return m_filter; }
    bool IsFiltering() const { return m_filter && m_filter->IsShown(); }

    // Limits the list to the matching devices, as typing in the box does. The
    // selected device stays selected when it matches; otherwise the first
    // match is selected and a wxEVT_CHOICE goes out as if it had been chosen.
    void SetFilter(const wxString& text);

private:
    // Fills the drop-down with the matches of the filter (or, when none
    // match, with the entry whose data is `keep`, if any).
    void ShowMatches(void* keep);
    void OnFilterText(wxCommandEvent& event);
    void OnChar(wxKeyEvent& event);

    std::vector<Entry> m_entries;
    std::vector<std::string> m_utf8Names;  // the names, for matching
    wxTextCtrl* m_filter = nullptr;
};
