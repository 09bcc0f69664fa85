#include "ui/DevicePicker.h"

#include "ui/model/NameFilter.h"

namespace {
// "Type part of a name": the filter box's hint.
const wchar_t* const kFilterHint = L"输入名称筛选";
}  // namespace

CDevicePicker::CDevicePicker(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxChoice(parent, id, pos, size) {
    m_filter = new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(size.x, -1));
    m_filter->SetHint(kFilterHint);
    m_filter->Hide();
    m_filter->Bind(wxEVT_TEXT, &CDevicePicker::OnFilterText, this);
    Bind(wxEVT_CHAR, &CDevicePicker::OnChar, this);
}

CDevicePicker::~CDevicePicker() {
    // The box is the parent's child and may already be gone when the parent
    // destroys its children in order; only unbind while it is alive.
    if (m_filter && !m_filter->IsBeingDeleted()) m_filter->Unbind(wxEVT_TEXT, &CDevicePicker::OnFilterText, this);
}

void CDevicePicker::SetEntries(std::vector<Entry> entries) {
    m_entries = std::move(entries);
    m_utf8Names.clear();
    m_utf8Names.reserve(m_entries.size());
    for (const Entry& e : m_entries) m_utf8Names.push_back(e.name.utf8_string());
    const bool filtering = m_entries.size() > kFilterThreshold;
    m_filter->ChangeValue(wxEmptyString);
    m_filter->Show(filtering);
    ShowMatches(nullptr);
    SetSelection(wxNOT_FOUND);
}

void CDevicePicker::ShowMatches(void* keep) {
    const std::string filter = IsFiltering() ? m_filter->GetValue().utf8_string() : std::string();
    std::vector<std::size_t> shown =
        quorvel::ui::matchingNames(m_utf8Names, filter, IsFiltering() ? kMaxShown : m_entries.size());
    if (shown.empty() && keep) {
        // Nothing matches: the chosen device stays, alone, so the view keeps
        // a selection that agrees with what it shows.
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].data == keep) shown.push_back(i);
    }
    wxArrayString names;
    names.reserve(shown.size());
    std::vector<void*> data;
    data.reserve(shown.size());
    for (std::size_t i : shown) {
        names.push_back(m_entries[i].name);
        data.push_back(m_entries[i].data);
    }
    // One batch: the control is measured once, not once per name.
    Freeze();
    wxChoice::Set(names, data.empty() ? nullptr : data.data());
    Thaw();
}

void CDevicePicker::SetFilter(const wxString& text) {
    if (m_filter->GetValue() != text) m_filter->ChangeValue(text);
    if (!IsFiltering()) return;
    const int old = GetSelection();
    void* const selected = old == wxNOT_FOUND ? nullptr : GetClientData(static_cast<unsigned>(old));
    ShowMatches(selected);
    if (GetCount() == 0) return;
    for (unsigned i = 0; i < GetCount(); ++i) {
        if (selected && GetClientData(i) == selected) {
            SetSelection(static_cast<int>(i));
            return;
        }
    }
    SetSelection(0);
    wxCommandEvent event(wxEVT_CHOICE, GetId());
    event.SetInt(0);
    event.SetString(GetString(0));
    event.SetClientData(GetClientData(0));
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

void CDevicePicker::OnFilterText(wxCommandEvent&) { SetFilter(m_filter->GetValue()); }

void CDevicePicker::OnChar(wxKeyEvent& event) {
    const wxChar c = event.GetUnicodeKey();
    if (!IsFiltering() || c == WXK_NONE || c < 32 || event.HasModifiers()) {
        event.Skip();
        return;
    }
    m_filter->SetFocus();
    m_filter->AppendText(wxString(c));
}
